#ifndef _KITS_DISPLAY_SCRIPT_DRIVER_H
#define _KITS_DISPLAY_SCRIPT_DRIVER_H

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <SupportDefs.h>

#include "display/headless/ScriptLines.h"

class BMessage;

namespace BPrivate {

class HeadlessDisplay;
class LooperState;
struct MirrorView;
struct MirrorWindow;

// Performs a script of user actions, one a line, each once the
// application is quiet (docs/driving.md). It finds its targets in the
// display's mirror and sends the input a real display would send.
class ScriptDriver {
public:
								ScriptDriver(HeadlessDisplay* display,
									const char* path);
								~ScriptDriver();

			// The first window or alert is showing: start.
			void				Begin();
			// The application has quit: end at once, whatever the script
			// is doing.
			void				Stop();
			// 3 once a line failed, or lines were left when the
			// application quit; else 0.
			int					ExitStatus() const { return fExitStatus; }

private:
	struct Target {
		int32				window = -1;
		int32				view = -1;
	};

			void				_Run();
			void				_RunScript();
			bool				_Open();
			// The next line; false at the end of the script or once
			// stopping.
			bool				_ReadLine(std::string* line, bool wait);
			bool				_WaitQuiet();
			// Holds every window and the application looper still (each
			// locked, or parked in an alert) while a line is looked at and
			// performed; retries until the application is quiet.
			bool				_Hold(bool forLine);
			void				_Release();
			void				_Perform(const std::vector<std::string>& words);
	[[noreturn]] void			_Fail(const std::string& reason);
			void				_Error(const std::string& reason);

			// Shown windows, front-most first, that the user can reach
			// now; *blocker is the modal window or alert in front, if any.
			std::vector<MirrorWindow*> _Reachable(MirrorWindow** blocker);
			MirrorWindow*		_ShowingAlert();
			Target				_FindView(const std::string& name,
									uint32 action);
	[[noreturn]] void			_FailBlocked(MirrorWindow* blocker);
			void				_Post(int32 window, BMessage* message);
			void				_SendInput(const std::string& name,
									BMessage* input);

			void				_Click(const std::vector<std::string>& words);
			void				_Menu(const std::vector<std::string>& words);
			void				_Type(const std::vector<std::string>& words);
			void				_Pick(const std::vector<std::string>& words);
			void				_Tab(const std::vector<std::string>& words);
			void				_Drop(const std::vector<std::string>& words);
			void				_Select(const std::vector<std::string>& words);
			void				_Panel(const std::vector<std::string>& words);
			void				_Refs(const std::vector<std::string>& words);
			void				_Alert(const std::vector<std::string>& words);
			void				_Close(const std::vector<std::string>& words);
			void				_Key(const std::vector<std::string>& words);
			void				_MenuKey(MirrorWindow* window, char byte);
			bool				_Showing(const std::string& title);
			const MirrorView*	_ShownView(const std::string& name);
			void				_WaitHidden(
									const std::vector<std::string>& words);
			void				_WaitForWindows(const std::string& title,
									bigtime_t deadline);
			void				_WaitText(const std::vector<std::string>& words);
			// Waits, with nothing held, until something happened or the
			// deadline passed; then holds again. False once stopping.
			bool				_WaitForChange(bigtime_t deadline);
			void				_Dump();

			HeadlessDisplay*	fDisplay;
			std::string			fPath;
			int					fFile;
			int					fStopEvent;
			ScriptLines			fLines;
			int32				fLine;
			// The line read and not yet done, if any.
			bool				fLinePending;
			std::vector<std::shared_ptr<LooperState> > fHeld;
			bool				fMirrorLocked;
			std::thread			fThread;
			std::mutex			fLock;
			std::condition_variable fBegun;
			bool				fStarted;
			std::atomic<bool>	fStopping;
			std::atomic<int>	fExitStatus;
};

} // namespace BPrivate

#endif
