#include "AppOnX.h"

#include <stdlib.h>

#include <Alert.h>
#include <Application.h>
#include <View.h>

#include "MainWindow.h"
#include "TolvexApp.h"
#include "display/DisplayServer.h"


bool
WaitUntilSettled()
{
	bigtime_t deadline = system_time() + 10000000;
	int quiet = 0;
	while (system_time() < deadline) {
		bool busy = !WaitUntilQuiet(1)
			|| BPrivate::DisplayServer::Current()->IsBusy();
		quiet = busy ? 0 : quiet + 1;
		if (quiet >= 3)
			return true;
		snooze(20000);
	}
	return false;
}


BRect
FrameInWindow(BView* view)
{
	BRect frame = view->Frame();
	for (BView* parent = view->Parent(); parent != NULL;
			parent = parent->Parent())
		frame.OffsetBy(parent->Frame().left, parent->Frame().top);
	return frame;
}


void
AppOnX::SetUp()
{
	ASSERT_TRUE(fServer.IsRunning());
	setenv("BE_DISPLAY", "fltk", 1);
	fApp = new TolvexApp;
	fThread = std::thread([this] { fApp->Run(); });
	bigtime_t deadline = system_time() + 10000000;
	while (fApp->Thread() < 0 && system_time() < deadline)
		snooze(1000);
	ASSERT_TRUE(WaitUntilSettled());
	fProbe = new XProbe;
	ASSERT_TRUE(fProbe->IsOpen());
}


void
AppOnX::TearDown()
{
	delete fProbe;
	if (fApp != NULL) {
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		fThread.join();
		delete fApp;
	}
}


MainWindow*
AppOnX::Main()
{
	for (int32 i = 0; BWindow* window = fApp->WindowAt(i); i++) {
		if (MainWindow* main = dynamic_cast<MainWindow*>(window))
			return main;
	}
	return NULL;
}


BAlert*
AppOnX::ShowingAlert()
{
	for (int32 i = 0; BWindow* window = fApp->WindowAt(i); i++) {
		if (BAlert* alert = dynamic_cast<BAlert*>(window))
			return alert;
	}
	return NULL;
}
