#ifndef APP_ON_X_H
#define APP_ON_X_H

#include <thread>

#include <gtest/gtest.h>

#include <Rect.h>

#include "TestSupport.h"
#include "XProbe.h"
#include "XvfbServer.h"

class BAlert;
class BView;
class MainWindow;
class TolvexApp;

// The application and the display have nothing left to do.
bool WaitUntilSettled();

// A view's frame in its window's coordinates.
BRect FrameInWindow(BView* view);

// A TolvexApp of this process on the real-window display of a private X
// server, its loop in a thread of its own.
class AppOnX : public ::testing::Test {
protected:
	virtual	void				SetUp();
	virtual	void				TearDown();

			MainWindow*			Main();
			BAlert*				ShowingAlert();

			TemporaryHome		fHome;
			XvfbServer			fServer;
			TolvexApp*			fApp = NULL;
			std::thread			fThread;
			XProbe*				fProbe = NULL;
};

#endif // APP_ON_X_H
