#ifndef TOLVEX_APP_H
#define TOLVEX_APP_H

#include <Application.h>
#include <Entry.h>
#include <Messenger.h>

class MainWindow;

extern const char* kTolvexSignature;
extern const char* kTolvexWebAddress;

class TolvexApp : public BApplication {
public:
								TolvexApp();
	virtual						~TolvexApp();

	virtual	void				MessageReceived(BMessage* message);
	virtual	void				ReadyToRun();
	virtual	void				RefsReceived(BMessage* message);
	virtual	void				AboutRequested();

			// The About box's text.
	static	void				GetAboutText(char* buffer, size_t size);

private:
			// The main window, locked, while it still exists; once it has
			// quit, what was meant for it is dropped and the roster is no
			// longer watched.
			MainWindow*			_LockMainWindow();

			entry_ref			fLaunchRef;
			MainWindow*			fMainWindow;
			bool				fHasLaunchRef;
			BMessenger			fMainWindowMessenger;
};

#endif // TOLVEX_APP_H
