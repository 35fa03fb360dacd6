// The encoder options tab on real windows under Xvfb: typed text, a click
// on a check box and an item chosen in a pop-up menu reach the kit objects
// as the user gave them.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <thread>

#include <Application.h>
#include <CheckBox.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <TextControl.h>
#include <Window.h>

#include "EncoderView.h"
#include "MainWindow.h"
#include "PngWriter.h"
#include "TabView.h"
#include "AppOnX.h"
#include "TestSupport.h"
#include "TolvexApp.h"
#include "XProbe.h"
#include "XvfbServer.h"
#include "display/DisplayServer.h"
#include "display/fltk/FltkTabView.h"

namespace {

class EncoderPanelOnX : public AppOnX {
protected:
	// Clicks the middle of a view of the main window, or of its part
	// right of a divider.
	bool ClickOn(BView* view, float divider = 0)
	{
		MainWindow* main = Main();
		if (!main->Lock())
			return false;
		BRect frame = FrameInWindow(view);
		main->Unlock();
		frame.left += divider;
		return ClickAt(fOrigin.x + (int)(frame.left + frame.right) / 2,
			fOrigin.y + (int)(frame.top + frame.bottom) / 2);
	}

	// Kept in the build folder, for a person to look at.
	void SaveShot(unsigned long window, const char* name)
	{
		Screenshot shot = fProbe->GrabSettled(window);
		ASSERT_FALSE(shot.IsEmpty());
		EXPECT_TRUE(shot.Has(216, 216, 216));
		std::string folder = std::string(TOLVEX_BINARY_DIR)
			+ "/e2e-screenshots";
		mkdir(folder.c_str(), 0755);
		EXPECT_TRUE(WritePng(folder + "/" + name + ".png", shot.width,
			shot.height, shot.rgb));
	}

	WindowGeometry		fOrigin;
};

} // namespace


TEST_F(EncoderPanelOnX, TypingClickingAndChoosingReachTheKit)
{
	unsigned long window = fProbe->WaitForWindow("Tolvex 1.2a");
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(fProbe->Geometry(window, &fOrigin));
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);

	// Bring the encoder tab to the front.
	ASSERT_TRUE(main->Lock());
	BTabView* tabView = main->fTabView;
	BRect tabFrame = FrameInWindow(tabView);
	std::vector<int> labels;
	for (int32 i = 0; i < tabView->CountTabs(); i++)
		labels.push_back((int)tabView->StringWidth(tabView->TabAt(i)->Label()));
	EncoderView* panel = main->fTabView->fEncoderView;
	main->Unlock();
	std::vector<int> edges = BPrivate::FltkTabView::TabEdges(labels,
		(int)tabFrame.left, tabFrame.IntegerWidth() + 1);
	ASSERT_TRUE(ClickAt(fOrigin.x + (edges[1] + edges[2]) / 2,
		fOrigin.y + (int)tabFrame.top + 8));
	ASSERT_TRUE(WaitUntilSettled());
	SaveShot(window, "tolvex-encoder-start");

	ASSERT_TRUE(ClickOn(panel->fOutputDirText->TextView()));
	ASSERT_TRUE(TypeText("/tmp/La mia"));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(ClickOn(panel->fDeleteWave));
	ASSERT_TRUE(WaitUntilSettled());

	// The pop-up opens on the marked item; one step down is "32 kbps".
	ASSERT_TRUE(ClickOn(panel->fBitRateField, 117));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(PressKey("Down Return"));
	ASSERT_TRUE(WaitUntilSettled());

	// More than the field's 128 bytes.
	ASSERT_TRUE(ClickOn(panel->fExtraParam->TextView()));
	ASSERT_TRUE(TypeText(std::string(140, 'x')));
	ASSERT_TRUE(WaitUntilSettled());

	ASSERT_TRUE(main->Lock());
	EXPECT_STREQ("/tmp/La mia", panel->fOutputDirText->Text());
	EXPECT_EQ(B_CONTROL_ON, panel->fDeleteWave->Value());
	EXPECT_EQ(2, panel->fBitRateMenu->IndexOf(
		panel->fBitRateMenu->FindMarked()));
	EXPECT_EQ(std::string(128, 'x'), panel->fExtraParam->Text());
	char options[kOptionsTextSize];
	panel->OptionsBefore(options);
	main->Unlock();
	EXPECT_EQ("-b 32 -delete -o \"/tmp/La mia\" " + std::string(128, 'x'),
		std::string(options));

	SaveShot(window, "tolvex-encoder-chosen");
}
