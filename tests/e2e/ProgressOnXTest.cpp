// The encoding run on real windows under Xvfb: "Codifica!" clicked through
// the X server brings up the progress window 50 points right of and below
// the main window, modal; its counter moves, and its buttons act at once.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <string>

#include <Button.h>
#include <StringView.h>

#include "AppOnX.h"
#include "FilesList.h"
#include "MainWindow.h"
#include "ProgressWindow.h"
#include "TestSupport.h"
#include "XProbe.h"

namespace {

class ProgressOnX : public AppOnX {
protected:
	void TearDown() override
	{
		AppOnX::TearDown();
		for (const std::string& pid : SplitLines(ReadFile(
				fHome.File("children"))))
			kill(atoi(pid.c_str()), SIGKILL);
	}

	bool ClickOn(BWindow* window, BView* view, const WindowGeometry& origin)
	{
		if (!window->Lock())
			return false;
		BRect frame = FrameInWindow(view);
		window->Unlock();
		return ClickAt(origin.x + (int)(frame.left + frame.right) / 2,
			origin.y + (int)(frame.top + frame.bottom) / 2);
	}

	std::string Counter(ProgressWindow* progress)
	{
		if (!progress->Lock())
			return std::string();
		std::string text = progress->fFileNumber->Text();
		progress->Unlock();
		return text;
	}

	bool WaitForCounter(ProgressWindow* progress, const std::string& text)
	{
		for (int i = 0; i < 500; i++) {
			if (Counter(progress) == text)
				return true;
			snooze(20000);
		}
		return false;
	}
};

} // namespace


TEST_F(ProgressOnX, ShowsModalMovesAndStops)
{
	// An encoder that works until it is killed.
	fHome.WriteFile(".local/bin/Gogo", "#!/bin/sh\nsleep 60 & echo $! >> '"
		+ fHome.File("children") + "'\nwait\n", true);
	std::string a = fHome.WriteFile("music/a.wav", "RIFF");
	std::string b = fHome.WriteFile("music/b.wav", "RIFF");

	unsigned long window = fProbe->WaitForWindow("Tolvex 1.2a");
	ASSERT_NE(0ul, window);
	WindowGeometry mainGeometry;
	ASSERT_TRUE(fProbe->Geometry(window, &mainGeometry));
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_TRUE(main->Lock());
	main->fFilesList->AddFile(a.c_str());
	main->fFilesList->AddFile(b.c_str());
	ProgressWindow* progress = main->fProgressWindow;
	main->Unlock();
	ASSERT_TRUE(WaitUntilSettled());

	ASSERT_TRUE(ClickOn(main, main->fEncodeButton, mainGeometry));
	unsigned long progressWindow = fProbe->WaitForWindow(
		"Stato della codifica");
	ASSERT_NE(0ul, progressWindow);
	ASSERT_TRUE(WaitUntilSettled());
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(progressWindow, &geometry));
	EXPECT_EQ(mainGeometry.x + 50, geometry.x);
	EXPECT_EQ(mainGeometry.y + 50, geometry.y);
	EXPECT_EQ(341, geometry.width);
	EXPECT_TRUE(WaitForCounter(progress, "File 1 di 2"));

	// Modal: a click on the main window's list selects nothing.
	ASSERT_TRUE(main->Lock());
	BRect listFrame = FrameInWindow(main->fFilesList);
	main->Unlock();
	ASSERT_TRUE(ClickAt(mainGeometry.x + (int)listFrame.left + 20,
		mainGeometry.y + (int)listFrame.top + 5));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(main->Lock());
	EXPECT_LT(main->fFilesList->CurrentSelection(), 0);
	main->Unlock();

	ASSERT_TRUE(ClickOn(progress, progress->fSkipButton, geometry));
	EXPECT_TRUE(WaitForCounter(progress, "File 2 di 2"));
	ASSERT_TRUE(WaitUntilSettled());

	ASSERT_TRUE(ClickOn(progress, progress->fStopButton, geometry));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(progressWindow));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(main->Lock());
	EXPECT_FALSE(main->fEncoding);
	main->Unlock();

	// The main window takes input again.
	ASSERT_TRUE(ClickAt(mainGeometry.x + (int)listFrame.left + 20,
		mainGeometry.y + (int)listFrame.top + 5));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(main->Lock());
	EXPECT_EQ(0, main->fFilesList->CurrentSelection());
	main->Unlock();
}
