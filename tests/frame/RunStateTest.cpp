#include <gtest/gtest.h>

#include <Button.h>
#include <StringView.h>

#include "Commands.h"
#include "FilesList.h"
#include "ProgressWindow.h"
#include "RunningApp.h"

namespace {

// An encoder at the default location that works until it is killed.
void
InstallWaitingEncoder(const TemporaryHome& home)
{
	home.WriteFile(".local/bin/Gogo", "#!/bin/sh\nexec sleep 30\n", true);
}


struct RunState {
	bool		encoding;
	int32		fileIndex;
	team_id		team;
	bool		progressHidden;
	BRect		progressFrame;
};


RunState
StateOf(MainWindow* window)
{
	RunState state = {};
	EXPECT_TRUE(window->Lock());
	state.encoding = window->fEncoding;
	state.fileIndex = window->fFileIndex;
	state.team = window->fEncoderTeam;
	state.progressHidden = window->fProgressWindow->IsHidden();
	window->Unlock();
	ProgressWindow* progress = window->fProgressWindow;
	EXPECT_TRUE(progress->Lock());
	state.progressFrame = progress->Frame();
	progress->Unlock();
	return state;
}

} // namespace


// "Salta file" and "Ferma codifica" while no run is under way change
// nothing.
TEST(RunStateTest, SkipAndStopWhileIdleDoNothing)
{
	RunningApp running;
	InstallWaitingEncoder(running.fHome);
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	RunState before = StateOf(window);
	BMessage skip(MSG_SKIP_FILE);
	running.Post(window, &skip);
	BMessage stop(MSG_STOP_ENCODING);
	running.Post(window, &stop);
	RunState after = StateOf(window);
	EXPECT_FALSE(after.encoding);
	EXPECT_EQ(0, after.fileIndex);
	EXPECT_EQ(before.team, after.team);
	EXPECT_TRUE(after.progressHidden);
	EXPECT_EQ(before.progressFrame, after.progressFrame);
	ASSERT_TRUE(window->fProgressWindow->Lock());
	EXPECT_TRUE(window->fProgressWindow->fSkipButton->IsEnabled());
	EXPECT_STREQ("#", window->fProgressWindow->fFileNumber->Text());
	window->fProgressWindow->Unlock();
}


// With nothing in the list the run ends as it starts: the progress window
// is placed, shown and hidden again.
TEST(RunStateTest, EmptyListShowsAndHidesTheProgressWindow)
{
	RunningApp running;
	InstallWaitingEncoder(running.fHome);
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	BMessage encode(MSG_ENCODE);
	running.Post(window, &encode);
	RunState after = StateOf(window);
	EXPECT_FALSE(after.encoding);
	EXPECT_TRUE(after.progressHidden);
	ASSERT_TRUE(window->Lock());
	BRect frame = window->Frame();
	window->Unlock();
	EXPECT_EQ(frame.left + 50, after.progressFrame.left);
	EXPECT_EQ(frame.top + 50, after.progressFrame.top);
}


// A second "Codifica!" (a double click) while a run is under way starts no
// second encoder.
TEST(RunStateTest, SecondEncodeDuringARunIsIgnored)
{
	RunningApp running;
	InstallWaitingEncoder(running.fHome);
	std::string a = running.fHome.WriteFile("a.wav", "RIFF");
	std::string b = running.fHome.WriteFile("b.wav", "RIFF");
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	ASSERT_TRUE(window->Lock());
	window->fFilesList->AddFile(a.c_str());
	window->fFilesList->AddFile(b.c_str());
	window->Unlock();

	BMessage encode(MSG_ENCODE);
	running.Post(window, &encode);
	RunState first = StateOf(window);
	ASSERT_TRUE(first.encoding);
	EXPECT_EQ(1, first.fileIndex);
	EXPECT_GT(first.team, 0);
	EXPECT_FALSE(first.progressHidden);

	running.Post(window, &encode);
	RunState second = StateOf(window);
	EXPECT_TRUE(second.encoding);
	EXPECT_EQ(1, second.fileIndex);
	EXPECT_EQ(first.team, second.team);

	BMessage stop(MSG_STOP_ENCODING);
	running.Post(window, &stop);
	RunState stopped = StateOf(window);
	EXPECT_FALSE(stopped.encoding);
	EXPECT_EQ(0, stopped.fileIndex);
	EXPECT_TRUE(stopped.progressHidden);
}
