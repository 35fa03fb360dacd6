#ifndef TOLVEX_APP_H
#define TOLVEX_APP_H

#include <atomic>
#include <vector>

#include <Application.h>
#include <Entry.h>
#include <Locker.h>
#include <Message.h>
#include <Messenger.h>

class MainWindow;

extern const char* kTolvexSignature;
extern const char* kTolvexWebAddress;
extern const char* kListMimeType;
extern const char* kDefaultEncoderLocation;
extern const char* kTolvexVersion;

// The web address holds at most this many bytes, its NUL included: a path
// of B_PATH_NAME_LENGTH bytes, each written as %XX, and "file://".
const size_t kWebAddressSize = 3 * 1024 + 64;

// The encoder location holds at most this many bytes, its NUL included.
const size_t kEncoderLocationSize = 1024;

class TolvexApp : public BApplication {
public:
								// Without a display, error says so where it
								// is given; else the program ends there.
								TolvexApp(status_t* error = NULL);
	virtual						~TolvexApp();

	virtual	void				MessageReceived(BMessage* message);
	virtual	void				ReadyToRun();
	virtual	void				RefsReceived(BMessage* message);
	virtual	void				AboutRequested();

			// The settings, stored as attributes of the executable.
			void				ReadOptions();
			void				WriteOptions();

			// The list file type in the MIME database.
			void				RegisterMIMEType(bool verbose);
			void				UnregisterMIMEType();

			// The encoder location is read and written from two threads:
			// copies go through the settings lock, and a copy is always
			// NUL-terminated.
			void				GetEncoderLocation(char* buffer,
									size_t size) const;
			void				SetEncoderLocation(const char* location);

			std::atomic<bool>	dont_close_on_add;
			std::atomic<bool>	dont_clear_on_open;
			std::atomic<bool>	self_register_mime_type;

			// The About box's text, and the address it names and opens.
	static	void				GetAboutText(char* buffer, size_t size);
	static	void				GetWebAddress(char* buffer, size_t size);
			// The refs messages handed over while launching, until the
			// main window has taken them.
			const std::vector<BMessage>& LaunchRefs() const
									{ return fLaunchRefs; }

private:
			// The main window, locked, while it still exists; once it has
			// quit, what was meant for it is dropped and the roster is no
			// longer watched.
			MainWindow*			_LockMainWindow();

			// Every B_REFS_RECEIVED of the launch, in order: the main
			// window handles them as it does those that come later.
			std::vector<BMessage> fLaunchRefs;
			MainWindow*			fMainWindow;
			char*				encoder_location;
			mutable BLocker		fSettingsLock;
			BMessenger			fMainWindowMessenger;

			// The executable as found at start, and which stored settings
			// were there but could not be read, with the values that stood
			// in for them: those are written at quit only once changed.
			entry_ref			fExecutableRef;
			bool				fHasExecutableRef;
			struct {
				bool			location = false;
				bool			closeOnAdd = false;
				bool			clearOnOpen = false;
				bool			selfRegister = false;
			}					fUnreadable;
			char				fLocationAtStart[kEncoderLocationSize];
			bool				fSwitchesAtStart[3];
};

#endif // TOLVEX_APP_H
