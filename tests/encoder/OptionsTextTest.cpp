#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include <Button.h>
#include <CheckBox.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <TextControl.h>

#include "EncoderView.h"
#include "private/interface/MenuFieldPrivate.h"

namespace {

// The panel as the tab view makes it, not in a window: its controls are
// set here as a user would leave them.
class OptionsTextTest : public testing::Test {
protected:
	OptionsTextTest()
		: fView(BRect(0, 0, 408, 179))
	{
	}

	void Mark(BMenu* menu, int32 index)
	{
		ASSERT_NE(nullptr, menu->ItemAt(index));
		menu->ItemAt(index)->SetMarked(true);
	}

	// Both texts, each written into a buffer of the size the main window
	// gives, with a canary after it.
	std::string Before()
	{
		memset(fBuffer, '#', sizeof(fBuffer));
		fView.OptionsBefore(fBuffer);
		EXPECT_EQ('#', fBuffer[kOptionsTextSize]) << "written past the end";
		return fBuffer;
	}

	std::string After()
	{
		memset(fBuffer, '#', sizeof(fBuffer));
		fView.OptionsAfter(fBuffer);
		return fBuffer;
	}

	EncoderView fView;
	char fBuffer[kOptionsTextSize + 1];
};

} // namespace


TEST_F(OptionsTextTest, StartsAtDefaultOffAndEmpty)
{
	EXPECT_EQ(0, fView.fBitRateMenu->IndexOf(fView.fBitRateMenu->FindMarked()));
	EXPECT_EQ(0, fView.fOutputModeMenu->IndexOf(
		fView.fOutputModeMenu->FindMarked()));
	EXPECT_TRUE(fView.fBitRateMenu->IsRadioMode());
	EXPECT_TRUE(fView.fBitRateMenu->IsLabelFromMarked());
	EXPECT_FALSE(fView.fBitRateMenu->AreTriggersEnabled());
	EXPECT_FALSE(fView.fOutputModeMenu->AreTriggersEnabled());
	EXPECT_EQ(B_CONTROL_OFF, fView.fDisablePsycho->Value());
	EXPECT_EQ(B_CONTROL_OFF, fView.fDeleteWave->Value());
	EXPECT_STREQ("", fView.fOutputDirText->Text());
	EXPECT_STREQ("", fView.fExtraParam->Text());
	EXPECT_EQ("", Before());
	EXPECT_EQ("", After());
}


// Every item of both menus, the labels coming from the table.
TEST_F(OptionsTextTest, EveryMenuItemGivesItsOption)
{
	const int rates[14] = { 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192,
		224, 256, 320 };
	ASSERT_EQ(16, fView.fBitRateMenu->CountItems());
	EXPECT_STREQ("Default", fView.fBitRateMenu->ItemAt(0)->Label());
	for (int32 i = 0; i < 14; i++) {
		SCOPED_TRACE(rates[i]);
		EXPECT_EQ(rates[i], fView.fBitRates[i]);
		std::string label = std::to_string(rates[i]) + " kbps";
		EXPECT_EQ(label, fView.fBitRateMenu->ItemAt(i + 2)->Label());
		Mark(fView.fBitRateMenu, i + 2);
		EXPECT_EQ("-b " + std::to_string(rates[i]), Before());
		EXPECT_STREQ(label.c_str(),
			BMenuField::Private(fView.fBitRateField).ShownLabel());
	}
	Mark(fView.fBitRateMenu, 0);
	EXPECT_EQ("", Before());
	EXPECT_STREQ("Default",
		BMenuField::Private(fView.fBitRateField).ShownLabel());

	const char* modes[] = { "Monofonico", "Stereo", "Joint stereo" };
	const char* options[] = { "-m m", "-m s", "-m j" };
	ASSERT_EQ(5, fView.fOutputModeMenu->CountItems());
	for (int32 i = 0; i < 3; i++) {
		EXPECT_STREQ(modes[i], fView.fOutputModeMenu->ItemAt(i + 2)->Label());
		Mark(fView.fOutputModeMenu, i + 2);
		EXPECT_EQ(options[i], Before());
	}
	// One item marked at a time.
	int32 marked = 0;
	for (int32 i = 0; BMenuItem* item = fView.fOutputModeMenu->ItemAt(i); i++)
		marked += item->IsMarked() ? 1 : 0;
	EXPECT_EQ(1, marked);
	EXPECT_EQ("", After());
}


TEST_F(OptionsTextTest, CheckBoxesInTheirOrder)
{
	fView.fDeleteWave->SetValue(B_CONTROL_ON);
	EXPECT_EQ("-delete", Before());
	fView.fDisablePsycho->SetValue(B_CONTROL_ON);
	EXPECT_EQ("-nopsy -delete", Before());
	fView.fDeleteWave->SetValue(B_CONTROL_OFF);
	EXPECT_EQ("-nopsy", Before());
}


TEST_F(OptionsTextTest, WorkedExamples)
{
	Mark(fView.fBitRateMenu, 10);		// 128 kbps
	Mark(fView.fOutputModeMenu, 4);		// Joint stereo
	EXPECT_EQ("-b 128 -m j", Before());

	Mark(fView.fBitRateMenu, 12);		// 192 kbps
	Mark(fView.fOutputModeMenu, 3);		// Stereo
	fView.fDisablePsycho->SetValue(B_CONTROL_ON);
	fView.fOutputDirText->SetText("/boot/home/mp3");
	EXPECT_EQ("-b 192 -m s -nopsy -o /boot/home/mp3", Before());

	Mark(fView.fBitRateMenu, 0);
	Mark(fView.fOutputModeMenu, 2);		// Monofonico
	fView.fDisablePsycho->SetValue(B_CONTROL_OFF);
	fView.fDeleteWave->SetValue(B_CONTROL_ON);
	fView.fOutputDirText->SetText("/boot/home/My Music");
	fView.fExtraParam->SetText("-b 64");
	EXPECT_EQ("-m m -delete -o \"/boot/home/My Music\" -b 64", Before());
	EXPECT_EQ("", After());
}


// Only a blank asks for quotes; the folder and the extra parameters are
// used exactly as typed.
TEST_F(OptionsTextTest, FolderAndExtraParametersAsTyped)
{
	fView.fOutputDirText->SetText("   ");
	EXPECT_EQ("-o \"   \"", Before());
	fView.fOutputDirText->SetText("/tmp/a\tb");
	EXPECT_EQ("-o /tmp/a\tb", Before());
	fView.fOutputDirText->SetText("/tmp/\"x\"");
	EXPECT_EQ("-o /tmp/\"x\"", Before());
	fView.fOutputDirText->SetText(" /lead");
	EXPECT_EQ("-o \" /lead\"", Before());

	fView.fOutputDirText->SetText("");
	fView.fExtraParam->SetText("-v 2  ");
	EXPECT_EQ("-v 2  ", Before());
	fView.fExtraParam->SetText(" ");
	EXPECT_EQ(" ", Before());
	Mark(fView.fBitRateMenu, 15);
	fView.fExtraParam->SetText("-silent ");
	EXPECT_EQ("-b 320 -silent ", Before());
}


// Every control at its longest: the text reaches 1185 bytes, all of it
// kept, none of it past the buffer.
TEST_F(OptionsTextTest, TheLongestTextFitsWhole)
{
	Mark(fView.fBitRateMenu, 15);
	Mark(fView.fOutputModeMenu, 4);
	fView.fDisablePsycho->SetValue(B_CONTROL_ON);
	fView.fDeleteWave->SetValue(B_CONTROL_ON);
	std::string folder = "/" + std::string(1022, 'f') + " ";
	fView.fOutputDirText->SetText(folder.c_str());
	std::string extra(128, 'x');
	extra[0] = '-';
	fView.fExtraParam->SetText(extra.c_str());
	ASSERT_EQ(1024u, strlen(fView.fOutputDirText->Text()));
	ASSERT_EQ(128u, strlen(fView.fExtraParam->Text()));

	std::string expected = "-b 320 -m j -nopsy -delete -o \"" + folder + "\" "
		+ extra;
	EXPECT_EQ(1185u, expected.size());
	EXPECT_EQ(expected, Before());
	EXPECT_EQ(1186u, kOptionsTextSize);
}


// The limits count bytes of UTF-8, hold for text set by the program, and
// never split a character.
TEST_F(OptionsTextTest, TextFieldsKeepTheirByteLimits)
{
	EXPECT_EQ(1024, fView.fOutputDirText->TextView()->MaxBytes());
	EXPECT_EQ(128, fView.fExtraParam->TextView()->MaxBytes());

	std::string longFolder(2000, 'd');
	fView.fOutputDirText->SetText(longFolder.c_str());
	EXPECT_EQ(longFolder.substr(0, 1024), fView.fOutputDirText->Text());

	// "è" is two bytes: at byte 127 it would not fit whole.
	std::string accented = std::string(127, 'a') + "\xc3\xa8" + "zz";
	fView.fExtraParam->SetText(accented.c_str());
	EXPECT_EQ(std::string(127, 'a'), fView.fExtraParam->Text());
	std::string fits = std::string(126, 'a') + "\xc3\xa8";
	fView.fExtraParam->SetText(fits.c_str());
	EXPECT_EQ(fits, fView.fExtraParam->Text());
	// A three-byte character cut after its first byte.
	std::string euro = std::string(127, 'a') + "\xe2\x82\xac";
	fView.fExtraParam->SetText(euro.c_str());
	EXPECT_EQ(std::string(127, 'a'), fView.fExtraParam->Text());
}


TEST_F(OptionsTextTest, LayoutFollowsThePanelWidth)
{
	const float width = 408;
	EXPECT_STREQ("Opzioni di Gogo", fView.Name());
	const char* order[] = { "BitRateField", "OutputModeField",
		"DisablePsycho", "DeleteWave", "OutputDirButton", "OutputDirText",
		"ExtraParam" };
	ASSERT_EQ(7, fView.CountChildren());
	for (int32 i = 0; i < 7; i++)
		EXPECT_STREQ(order[i], fView.ChildAt(i)->Name());

	EXPECT_EQ(0, fView.fBitRateField->Frame().top);
	EXPECT_EQ(117, fView.fBitRateField->Divider());
	EXPECT_EQ(24, fView.fOutputModeField->Frame().top);
	EXPECT_EQ(117, fView.fOutputModeField->Divider());
	EXPECT_EQ(fView.fOutputModeField->Frame().bottom + 6,
		fView.fDisablePsycho->Frame().top);
	EXPECT_EQ(fView.fDisablePsycho->Frame().bottom + 6,
		fView.fDeleteWave->Frame().top);

	BRect button = fView.fOutputDirButton->Frame();
	EXPECT_EQ(width - 74, button.left);
	EXPECT_EQ(fView.fDeleteWave->Frame().bottom + 4, button.top);
	EXPECT_EQ(20, button.Height());

	BRect folder = fView.fOutputDirText->Frame();
	EXPECT_EQ(0, folder.left);
	EXPECT_EQ(fView.fDeleteWave->Frame().bottom + 5, folder.top);
	EXPECT_EQ(width - 79, folder.right);
	EXPECT_EQ(115, fView.fOutputDirText->Divider());
	EXPECT_EQ(width - 203, fView.fOutputDirText->TextView()->Frame().Width());

	BRect extra = fView.fExtraParam->Frame();
	EXPECT_EQ(folder.bottom + 5, extra.top);
	EXPECT_EQ(0, extra.left);
	EXPECT_EQ(width, extra.right);
	EXPECT_EQ(115, fView.fExtraParam->Divider());
	EXPECT_EQ(width - 124, fView.fExtraParam->TextView()->Frame().Width());
}


// The button's place does not depend on its label's width.
TEST(EncoderViewLayoutTest, ButtonPlacedFromTheRightEdge)
{
	EncoderView narrow(BRect(0, 0, 300, 179));
	EXPECT_EQ(300 - 74, narrow.fOutputDirButton->Frame().left);
	EXPECT_EQ(300 - 79, narrow.fOutputDirText->Frame().right);
	EXPECT_EQ(300, narrow.fExtraParam->Frame().right);
}
