#ifndef MAIN_WINDOW_H
#define MAIN_WINDOW_H

#include <vector>

#include <Entry.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include <string>

#include "EncoderView.h"

class BButton;
class BMenuBar;
class BView;
class FilesList;
class ProgressWindow;
class TabView;

class MainWindow : public BWindow {
public:
								// The refs of each B_REFS_RECEIVED handed over at launch
								// are handled before the window shows.
								MainWindow(const std::vector<BMessage>* launchRefs);
	virtual						~MainWindow();

	virtual	void				MessageReceived(BMessage* message);
	virtual	bool				QuitRequested();

			void				RefsReceived(BMessage* message);
			void				EncodeNext();

			BView*				fBackView;
			BButton*			fCloseButton;
			BButton*			fEncodeButton;
			ProgressWindow*		fProgressWindow;
			BMenuBar*			fMenuBar;
			char				fOptionsBefore[kOptionsTextSize];
			char				fOptionsAfter[kOptionsTextSize];
			int32				fFileIndex;
			team_id				fEncoderTeam;
			entry_ref			fEncoderRef;
			TabView*			fTabView;
			bool				fEncoding;
			FilesList*			fFilesList;

private:
			bool				_OptionsArePassable();
			bool				_OutputFolderExists();
			bool				_FindOutputClash(std::string* first,
									std::string* second, std::string* output);
			void				_StartRun();
			void				_SkipFile();
			void				_StopRun();
			void				_QuitNoticeReceived(BMessage* message);
			void				_EndRun();
			void				_AddFailure(const char* path,
									const char* reason);
	static	std::string			_Printable(const char* text);
			void				_ReportFailures();
			void				_StoreEncoderLocation();
			void				_OpenReadme();

			// What the run must tell at its end: the entries that did not
			// become an MP3, the first kMaxReportedFailures of them with
			// their reasons.
			int32				fFailureCount;
			std::string			fFailureLines;
			// The entry being encoded, and whether the user skipped it.
			std::string			fCurrentPath;
			bool				fSkipped;
};

#endif // MAIN_WINDOW_H
