#include "RunningApp.h"

#include <gtest/gtest.h>

#include <Alert.h>
#include <View.h>

#include "display/DisplayProtocol.h"

RunningApp::RunningApp()
	:
	fApp(new TolvexApp()),
	fQuit(false)
{
	fThread = std::thread([this] { fApp->Run(); });
	// Once its loop runs, the application is busy until the main window
	// is built and shown; windows are looked at only when it is quiet.
	bigtime_t deadline = system_time() + 10000000;
	while (fApp->Thread() < 0 && system_time() < deadline)
		snooze(1000);
	EXPECT_TRUE(WaitUntilQuiet());
	EXPECT_NE(nullptr, Window());
}


RunningApp::~RunningApp()
{
	Quit();
	delete fApp;
}


void
RunningApp::Quit()
{
	if (fQuit)
		return;
	fQuit = true;
	be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	fThread.join();
}


MainWindow*
RunningApp::Window() const
{
	for (int32 i = 0; BWindow* window = fApp->WindowAt(i); i++) {
		if (MainWindow* main = dynamic_cast<MainWindow*>(window))
			return main;
	}
	return NULL;
}


void
RunningApp::Post(BLooper* looper, BMessage* message)
{
	ASSERT_EQ(B_OK, BMessenger(looper).SendMessage(message));
	ASSERT_TRUE(WaitUntilQuiet());
}


BAlert*
RunningApp::ShowingAlert() const
{
	for (int32 i = 0; BWindow* window = fApp->WindowAt(i); i++) {
		if (BAlert* alert = dynamic_cast<BAlert*>(window))
			return alert;
	}
	return NULL;
}


void
RunningApp::Press(BWindow* window, BView* button)
{
	BMessage click(BPrivate::B_INPUT_CLICK);
	click.AddInt32("view", button->_Token());
	Post(window, &click);
}
