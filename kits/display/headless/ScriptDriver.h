#ifndef _KITS_DISPLAY_SCRIPT_DRIVER_H
#define _KITS_DISPLAY_SCRIPT_DRIVER_H

#include <stdio.h>

#include <atomic>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <Messenger.h>

class BAlert;
class BView;
class BWindow;

namespace BPrivate {

class HeadlessDisplay;

// Performs a script of user actions, one a line, each once the
// application is quiet (docs/driving.md).
class ScriptDriver {
public:
								ScriptDriver(HeadlessDisplay* display,
									const char* path);
								~ScriptDriver();

			// The first window or alert is showing: start.
			void				Begin();
			void				Stop();

private:
	struct Target {
		BWindow*			window = NULL;
		BView*				view = NULL;
	};

			void				_Run();
			bool				_WaitQuiet();
			void				_Perform(const std::vector<std::string>& words);
	[[noreturn]] void			_Fail(const std::string& reason);

			// Every window held still (locked, or parked in an alert) while
			// a line is looked at and performed; false if one is busy, to
			// be tried again once the application is quiet.
			bool				_HoldWindows();
			void				_HoldWindowsWhenQuiet();
			void				_ReleaseWindows();
			// Shown windows, front-most first.
			std::vector<BWindow*> _ShownWindows();
			// Shown windows, front-most first, that the user can reach now.
			std::vector<BWindow*> _ReachableWindows(BWindow** blocker);
			BAlert*				_ShowingAlert();
			Target				_FindView(const std::string& name,
									uint32 action);
			void				_Post(BWindow* window, BMessage* message);
			// Input for the view so named, as the user would find it.
			void				_SendInput(const std::string& name,
									BMessage* input);
			// "VERB NAME TEXT": TEXT goes to the view in the given field.
			void				_SendTextInput(
									const std::vector<std::string>& words,
									uint32 action, const char* field,
									const char* usage);
	[[noreturn]] void			_FailBlocked(BWindow* blocker);

			void				_Click(const std::vector<std::string>& words);
			void				_Type(const std::vector<std::string>& words);
			void				_Menu(const std::vector<std::string>& words);
			void				_Pick(const std::vector<std::string>& words);
			void				_Tab(const std::vector<std::string>& words);
			void				_Select(const std::vector<std::string>& words);
			void				_Drop(const std::vector<std::string>& words);
			void				_Refs(const std::vector<std::string>& words);
			void				_Alert(const std::vector<std::string>& words);
			void				_Close(const std::vector<std::string>& words);
			void				_WaitHidden(
									const std::vector<std::string>& words);
			void				_WaitText(const std::vector<std::string>& words);
			void				_Dump();

			HeadlessDisplay*	fDisplay;
			std::vector<BWindow*> fWindows;
			std::vector<std::shared_ptr<class LooperState> > fHeld;
			std::string			fPath;
			FILE*				fFile;
			int32				fLine;
			std::thread			fThread;
			std::mutex			fLock;
			std::condition_variable fBegun;
			bool				fStarted;
			std::atomic<bool>	fStopping;
};

} // namespace BPrivate

#endif
