#ifndef _KITS_DISPLAY_FLTK_DISPLAY_H
#define _KITS_DISPLAY_FLTK_DISPLAY_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "display/DisplayMirror.h"
#include "display/DisplayServer.h"

namespace BPrivate {

class FltkWindow;

// Real windows through FLTK 1.3 on X11. One thread of its own is the only
// one that calls FLTK: kits queue commands and metric requests and wake
// it; it applies each command to its mirror and brings the windows in
// line with it, and posts user input to the windows' loopers.
class FltkDisplay : public DisplayServer {
public:
								FltkDisplay();
	virtual						~FltkDisplay();

			// Starts the display thread, which opens the X display; false,
			// with a message for the user, when it cannot. The thread runs
			// from here on because views measure text before the
			// application runs.
			bool				Open(std::string* message);

	virtual	float				StringWidth(const char* text);
	virtual	void				GetFontHeight(font_height* height);

	virtual	void				Start();
	virtual	void				Stop();

	virtual	void				Send(const DisplayCommand& command);
	virtual	void				Send(DisplayCommand&& command);
	virtual	bool				IsBusy();
	virtual	float				PixelScale();

private:
			struct WidthRequest;

			void				_Run(std::string* message);
			bool				_Init(std::string* message);
			void				_ReadToolkitOptions();
			void				_Drain();
			void				_SyncWindows(const std::vector<int32>& touched,
									const std::vector<int32>& raised);
			void				_CloseWindows();
			float				_Estimate(const char* text) const;
			bool				_WaitsForThread() const;
	static	void				_BeforeWait(void* data);
	static	bool				_IsBusy(void* data);
	static	void				_LoseConnection();

			std::mutex			fLock;
			std::condition_variable fChanged;
			std::thread			fThread;
			std::thread::id		fThreadId;
			std::deque<DisplayCommand> fCommands;
			std::deque<WidthRequest*> fRequests;
			std::map<std::string, float> fWidths;
			float				fAdvances[128];
			font_height			fFontHeight;
			// Commands and requests queued or being handled.
			std::atomic<int32>	fPending;
			// The thread is about to block for events with nothing to do.
			std::atomic<bool>	fWaiting;
			bool				fReady;
			bool				fStopping;
			bool				fEnded;
			bool				fLost;

			// Display thread only.
			DisplayMirror		fMirror;
			std::map<int32, std::unique_ptr<FltkWindow> > fWindows;
};

} // namespace BPrivate

#endif
