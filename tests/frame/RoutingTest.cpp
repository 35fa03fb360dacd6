#include <gtest/gtest.h>

#include <Button.h>
#include "TabView.h"

#include "Commands.h"
#include "ProgressWindow.h"
#include "RunningApp.h"

namespace {

// A run under way, as far as the quit notice is concerned: the main
// window encodes with this executable and has started some entries.
void
PretendRun(MainWindow* window, const entry_ref& encoder)
{
	ASSERT_TRUE(window->Lock());
	window->fEncoding = true;
	window->fEncoderRef = encoder;
	window->fFileIndex = 5;
	window->fEncoderTeam = 4321;
	window->Unlock();
}


void
ExpectRunUnchanged(MainWindow* window)
{
	ASSERT_TRUE(window->Lock());
	EXPECT_TRUE(window->fEncoding);
	EXPECT_EQ(5, window->fFileIndex);
	window->Unlock();
}

} // namespace


// The quit notice moves a run on only when a run is under way, the notice
// names an executable, that executable is the encoder, and its team is the
// encoder launched last.
TEST(RoutingTest, QuitNoticeNeedsAllFourConditions)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	entry_ref encoder;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/sh", &encoder));
	entry_ref other;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/true", &other));

	// No run under way.
	PretendRun(window, encoder);
	ASSERT_TRUE(window->Lock());
	window->fEncoding = false;
	window->Unlock();
	BMessage notice(B_SOME_APP_QUIT);
	notice.AddRef("be:ref", &encoder);
	notice.AddInt32("be:team", 4321);
	running.Post(running.App(), &notice);
	ASSERT_TRUE(window->Lock());
	EXPECT_FALSE(window->fEncoding);
	EXPECT_EQ(5, window->fFileIndex);
	window->Unlock();

	// No "be:ref".
	PretendRun(window, encoder);
	BMessage anonymous(B_SOME_APP_QUIT);
	anonymous.AddInt32("be:team", 1234);
	running.Post(running.App(), &anonymous);
	ExpectRunUnchanged(window);

	// Another executable.
	BMessage stranger(B_SOME_APP_QUIT);
	stranger.AddRef("be:ref", &other);
	running.Post(running.App(), &stranger);
	ExpectRunUnchanged(window);

	// The encoder, but an earlier one (a run stopped and started again).
	BMessage earlier(B_SOME_APP_QUIT);
	earlier.AddRef("be:ref", &encoder);
	earlier.AddInt32("be:team", 1234);
	running.Post(running.App(), &earlier);
	ExpectRunUnchanged(window);

	// All four: the run moves on; with no entry left, it ends.
	running.Post(running.App(), &notice);
	ASSERT_TRUE(window->Lock());
	EXPECT_FALSE(window->fEncoding);
	EXPECT_EQ(0, window->fFileIndex);
	EXPECT_TRUE(window->fProgressWindow->IsHidden());
	window->Unlock();
}


// Every refs message of the launch is kept whole and in order, for the
// main window to handle as it handles those that come later.
TEST(RoutingTest, LaunchKeepsEveryRefsMessageInOrder)
{
	TemporaryHome home;
	TolvexApp app;
	entry_ref first, second, third;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/sh", &first));
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/true", &second));
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/false", &third));

	EXPECT_TRUE(app.IsLaunching());
	EXPECT_TRUE(app.LaunchRefs().empty());
	BMessage empty(B_REFS_RECEIVED);
	app.RefsReceived(&empty);
	EXPECT_TRUE(app.LaunchRefs().empty());

	BMessage two(B_REFS_RECEIVED);
	two.AddRef("refs", &first);
	two.AddRef("refs", &second);
	app.RefsReceived(&two);
	BMessage another(B_REFS_RECEIVED);
	another.AddRef("refs", &third);
	app.RefsReceived(&another);

	ASSERT_EQ(2u, app.LaunchRefs().size());
	entry_ref ref;
	const BMessage& kept = app.LaunchRefs()[0];
	ASSERT_EQ(B_OK, kept.FindRef("refs", 0, &ref));
	EXPECT_TRUE(ref == first);
	ASSERT_EQ(B_OK, kept.FindRef("refs", 1, &ref));
	EXPECT_TRUE(ref == second);
	ASSERT_EQ(B_OK, app.LaunchRefs()[1].FindRef("refs", 0, &ref));
	EXPECT_TRUE(ref == third);
}


TEST(RoutingTest, RefsAfterLaunchAreNotStored)
{
	RunningApp running;
	EXPECT_FALSE(running.App()->IsLaunching());
	EXPECT_TRUE(running.App()->LaunchRefs().empty());
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/sh", &ref));
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	running.Post(running.App(), &refs);
	EXPECT_TRUE(running.App()->LaunchRefs().empty());
	EXPECT_NE(nullptr, running.Window());
}


// A code nobody handles reaches the base classes and changes nothing.
TEST(RoutingTest, UnknownCommandHasNoEffect)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	int32 windows = running.App()->CountWindows();
	BMessage unknown('ZZZZ');
	unknown.AddInt32("be:value", 1);
	running.Post(window, &unknown);
	running.Post(running.App(), &unknown);
	running.Post(window->fProgressWindow, &unknown);

	EXPECT_EQ(windows, running.App()->CountWindows());
	ASSERT_TRUE(window->Lock());
	EXPECT_FALSE(window->IsHidden());
	EXPECT_FALSE(window->fEncodeButton->IsEnabled());
	EXPECT_EQ(0, window->fTabView->Selection());
	EXPECT_FALSE(window->fEncoding);
	window->Unlock();
	EXPECT_TRUE(window->fProgressWindow->IsHidden());
}


// After the main window has quit, what was meant for it is dropped.
TEST(RoutingTest, NothingReachesAQuitMainWindow)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	BMessenger messenger(window);
	ASSERT_TRUE(window->Lock());
	window->Quit();
	ASSERT_FALSE(messenger.IsValid());
	ASSERT_TRUE(WaitUntilQuiet());
	// The window's own quit request for the application is still queued
	// or done; what follows must not touch the deleted window.
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/sh", &ref));
	BMessage notice(B_SOME_APP_QUIT);
	notice.AddRef("be:ref", &ref);
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	BMessage panel(MSG_OPEN_LIST_PANEL);
	panel.AddRef("refs", &ref);
	be_app_messenger.SendMessage(&notice);
	be_app_messenger.SendMessage(&refs);
	be_app_messenger.SendMessage(&panel);
	running.Quit();
}
