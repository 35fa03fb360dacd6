#ifndef RUNNING_APP_H
#define RUNNING_APP_H

#include <thread>

#include "MainWindow.h"
#include "TestSupport.h"
#include "TolvexApp.h"

// A TolvexApp running in this process on the headless display, in a
// temporary home, its loop in a thread of its own.
class RunningApp {
public:
								RunningApp();
								~RunningApp();

			TolvexApp*			App() const { return fApp; }
			MainWindow*			Window() const;
			// Posts and waits until the application is quiet again.
			void				Post(BLooper* looper, BMessage* message);
			// The alert showing, if any.
			class BAlert*		ShowingAlert() const;
			// Presses a button of a window as a user would.
			void				Press(BWindow* window, BView* button);
			// Asks the application to quit and waits for Run to return.
			void				Quit();

			TemporaryHome		fHome;

private:
			TolvexApp*			fApp;
			std::thread			fThread;
			bool				fQuit;
};

#endif
