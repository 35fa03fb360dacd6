#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <vector>

#include <AppDefs.h>
#include <Looper.h>
#include <Roster.h>

class BWindow;

// The application object: a looper whose loop runs in the thread that
// calls Run. It owns the connection to the display server.
class BApplication : public BLooper {
public:
								BApplication(const char* signature);
								BApplication(const char* signature,
									status_t* error);
	virtual						~BApplication();

	virtual	thread_id			Run();
	virtual	void				Quit();
	virtual	bool				QuitRequested();
	virtual	void				DispatchMessage(BMessage* message,
									BHandler* handler);
	virtual	void				MessageReceived(BMessage* message);

	virtual	void				ReadyToRun();
	virtual	void				ArgvReceived(int32 argc, char** argv);
	virtual	void				RefsReceived(BMessage* message);
	virtual	void				AboutRequested();
	virtual	void				AppActivated(bool active);

			bool				IsLaunching() const;
			status_t			GetAppInfo(app_info* info) const;
			const char*			Signature() const;

			int32				CountWindows() const;
			BWindow*			WindowAt(int32 index) const;

			status_t			InitCheck() const { return fInitStatus; }

			class Private;

private:
	friend class Private;

			void				_Init(const char* signature, status_t* error);
			bool				_QuitAllWindows();
			// The window of that token, locked; NULL once it has gone.
			BWindow*			_LockWindow(int32 token);

			char*				fSignature;
			status_t			fInitStatus;
			bool				fLaunching;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif // _APPLICATION_H
