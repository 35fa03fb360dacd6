// Losing the X server (a logout, a crash) quits the application the
// normal way instead of ending it inside Xlib.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <Application.h>
#include <OS.h>
#include <Window.h>

#include "TestSupport.h"
#include "XProbe.h"
#include "XvfbServer.h"
#include "display/DisplayServer.h"

namespace {

class QuitWatcher : public BApplication {
public:
	QuitWatcher()
		:
		BApplication("application/x-vnd.tolvex-e2e")
	{
	}

	virtual bool QuitRequested()
	{
		fAsked = true;
		return BApplication::QuitRequested();
	}

	std::atomic<bool> fAsked{false};
};

} // namespace


TEST(LostConnectionTest, ApplicationIsAskedToQuitAndStopsAtOnce)
{
	TemporaryHome home;
	XvfbServer server;
	ASSERT_TRUE(server.IsRunning());
	setenv("BE_DISPLAY", "fltk", 1);

	QuitWatcher* app = new QuitWatcher;
	std::atomic<bool> ended(false);
	std::thread runner([app, &ended] {
		app->Run();
		ended = true;
	});
	bigtime_t deadline = system_time() + 10000000;
	while (app->Thread() < 0 && system_time() < deadline)
		snooze(1000);
	float width = BPrivate::DisplayServer::Current()->StringWidth("Tolvex");
	EXPECT_GT(width, 0);
	// A window on the screen: the display has X resources to lose.
	BWindow* window = new BWindow(BRect(100, 100, 299, 199), "Finestra",
		B_TITLED_WINDOW, B_NOT_RESIZABLE);
	window->Show();
	{
		XProbe probe;
		ASSERT_NE(0ul, probe.WaitForWindow("Finestra"));
	}

	server.Kill();
	deadline = system_time() + 10000000;
	while (!ended && system_time() < deadline)
		snooze(10000);
	EXPECT_TRUE(app->fAsked);
	EXPECT_TRUE(ended);
	if (!ended)
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	runner.join();

	// Text is still measured, and the display stops without waiting for
	// a thread that stays where the lost connection left it.
	EXPECT_EQ(width,
		BPrivate::DisplayServer::Current()->StringWidth("Tolvex"));
	bigtime_t start = system_time();
	delete app;
	EXPECT_LT(system_time() - start, 2000000);
}
