#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Entry.h>
#include <TextControl.h>

#include "Commands.h"
#include "EncoderView.h"
#include "RunningApp.h"
#include "TabView.h"

namespace {

std::string
FolderText(MainWindow* window)
{
	EXPECT_TRUE(window->Lock());
	std::string text = window->fTabView->fEncoderView->fOutputDirText->Text();
	window->Unlock();
	return text;
}


void
SetFolderText(MainWindow* window, const char* text)
{
	ASSERT_TRUE(window->Lock());
	window->fTabView->fEncoderView->fOutputDirText->SetText(text);
	window->Unlock();
}


// The folder panel's reply: it has no target, so it reaches the
// application object, which hands it to the main window.
BMessage
PanelReply(const char* path)
{
	BMessage reply(MSG_ENCODER_VIEW);
	reply.AddInt32("encoder_what", MSG_OUTPUT_DIR_PANEL);
	if (path != NULL) {
		entry_ref ref;
		EXPECT_EQ(B_OK, get_ref_for_path(path, &ref));
		reply.AddRef("refs", &ref);
	}
	return reply;
}

} // namespace


// The chosen folder replaces what was typed, by the path of what a link
// points to; the change is made in the application's thread, with the
// main window locked.
TEST(EncoderPanelTest, AChosenFolderReplacesTheTypedOne)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	std::string music = running.fHome.Path() + "/Musica mia";
	ASSERT_EQ(0, mkdir(music.c_str(), 0755));
	std::string link = running.fHome.Path() + "/collegamento";
	ASSERT_EQ(0, symlink(music.c_str(), link.c_str()));

	SetFolderText(window, "/typed/before");
	BMessage reply = PanelReply(music.c_str());
	running.Post(running.App(), &reply);
	EXPECT_EQ(music, FolderText(window));

	SetFolderText(window, "/typed/again");
	reply = PanelReply(link.c_str());
	running.Post(running.App(), &reply);
	EXPECT_EQ(music, FolderText(window));

	// The same reply straight to the main window, as from its own thread.
	SetFolderText(window, "");
	reply = PanelReply(music.c_str());
	running.Post(window, &reply);
	EXPECT_EQ(music, FolderText(window));
}


// What the panel does not know changes nothing, and is not passed on.
TEST(EncoderPanelTest, OtherMessagesChangeNothing)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	std::string music = running.fHome.Path() + "/mp3";
	ASSERT_EQ(0, mkdir(music.c_str(), 0755));
	SetFolderText(window, "/as/typed");

	BMessage noCode(MSG_ENCODER_VIEW);
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(music.c_str(), &ref));
	noCode.AddRef("refs", &ref);
	running.Post(running.App(), &noCode);
	EXPECT_EQ("/as/typed", FolderText(window));

	BMessage otherCode(MSG_ENCODER_VIEW);
	otherCode.AddInt32("encoder_what", 'XXXX');
	otherCode.AddRef("refs", &ref);
	running.Post(window, &otherCode);
	EXPECT_EQ("/as/typed", FolderText(window));

	BMessage noRefs = PanelReply(NULL);
	running.Post(running.App(), &noRefs);
	EXPECT_EQ("/as/typed", FolderText(window));

	// A folder gone since it was chosen still has a path; one whose
	// parent is gone has none and is ignored.
	BMessage gone(MSG_ENCODER_VIEW);
	gone.AddInt32("encoder_what", MSG_OUTPUT_DIR_PANEL);
	entry_ref lost;
	lost.device = ref.device;
	lost.directory = 1;		// no folder has this inode
	lost.set_name("perso");
	gone.AddRef("refs", &lost);
	running.Post(running.App(), &gone);
	EXPECT_EQ("/as/typed", FolderText(window));
	EXPECT_EQ(nullptr, running.ShowingAlert());
}
