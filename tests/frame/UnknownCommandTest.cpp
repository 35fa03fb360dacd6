#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include <CheckBox.h>
#include <TextControl.h>

#include "Commands.h"
#include "FilesList.h"
#include "FilesView.h"
#include "OptionsView.h"
#include "RunningApp.h"
#include "TabView.h"

// A code that no case names goes on to BWindow and changes nothing of the
// program's own: not the settings, not the list, not the controls, and no
// alert shows.
TEST(UnknownCommandTest, ACodeNobodyHandlesChangesNothing)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	TolvexApp* app = running.App();
	std::string wave = running.fHome.WriteFile("uno.wav", "RIFF");
	ASSERT_TRUE(window->Lock());
	window->fFilesList->AddFile(wave.c_str());
	window->Unlock();

	char before[kEncoderLocationSize];
	app->GetEncoderLocation(before, sizeof(before));
	bool switches[3] = { app->dont_close_on_add, app->dont_clear_on_open,
		app->self_register_mime_type };

	// Codes close to the program's own, and ones the fields of a panel
	// reply would carry.
	for (uint32 what : { (uint32)'XXXX', (uint32)'LOCX', (uint32)'DCOB',
			(uint32)0 }) {
		BMessage message(what);
		message.AddString("name", "nuovo");
		running.Post(window, &message);
		EXPECT_EQ(nullptr, running.ShowingAlert());
	}

	char after[kEncoderLocationSize];
	app->GetEncoderLocation(after, sizeof(after));
	EXPECT_STREQ(before, after);
	EXPECT_EQ(switches[0], (bool)app->dont_close_on_add);
	EXPECT_EQ(switches[1], (bool)app->dont_clear_on_open);
	EXPECT_EQ(switches[2], (bool)app->self_register_mime_type);
	ASSERT_TRUE(window->Lock());
	OptionsView* options = window->fTabView->fOptionsView;
	EXPECT_STREQ(before, options->fEncoderLocation->Text());
	EXPECT_EQ(1, window->fFilesList->CountItems());
	EXPECT_EQ(B_CONTROL_OFF, options->fDontCloseOnAdd->Value());
	window->Unlock();
}


// A panel reply without "refs" leaves the encoder location as it was.
TEST(UnknownCommandTest, EncoderPanelReplyWithoutRefsChangesNothing)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	BMessage reply(MSG_ENCODER_PANEL);
	running.Post(running.App(), &reply);
	char location[kEncoderLocationSize];
	running.App()->GetEncoderLocation(location, sizeof(location));
	EXPECT_STREQ("/boot/home/config/bin/Gogo", location);
}
