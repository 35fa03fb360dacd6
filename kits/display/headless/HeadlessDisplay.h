#ifndef _KITS_DISPLAY_HEADLESS_DISPLAY_H
#define _KITS_DISPLAY_HEADLESS_DISPLAY_H

#include <condition_variable>
#include <memory>
#include <mutex>

#include "display/DisplayMirror.h"
#include "display/DisplayServer.h"

namespace BPrivate {

class ScriptDriver;

// No pixels: fixed font metrics (docs/driving.md lists them), a mirror of
// every window built from the commands, alert lines on standard output,
// and the script driver.
class HeadlessDisplay : public DisplayServer {
public:
	explicit					HeadlessDisplay(bool withDriver);
	virtual						~HeadlessDisplay();

	virtual	float				StringWidth(const char* text);
	virtual	void				GetFontHeight(font_height* height);

	virtual	void				Start();
	virtual	void				Stop();
	virtual	void				Send(const DisplayCommand& command);
	virtual	void				Send(DisplayCommand&& command);
	virtual	int					ExitStatus();

			// The mirror may be read with its lock held.
			std::mutex&			MirrorLock() { return fLock; }
			DisplayMirror&		Mirror() { return fMirror; }
			// Notified, with the mirror's lock, whenever a window comes,
			// goes, shows, hides or changes its title.
			std::condition_variable& WindowsChanged()
									{ return fWindowsChanged; }

private:
			void				_Applied(const DisplayCommand& command);

			bool				fWithDriver;
			std::mutex			fLock;
			std::condition_variable fWindowsChanged;
			DisplayMirror		fMirror;
			std::unique_ptr<ScriptDriver> fDriver;
			int					fExitStatus;
};

} // namespace BPrivate

#endif
