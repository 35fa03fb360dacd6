#ifndef _KITS_DISPLAY_HEADLESS_DISPLAY_H
#define _KITS_DISPLAY_HEADLESS_DISPLAY_H

#include <memory>
#include <mutex>
#include <vector>

#include "display/DisplayServer.h"

namespace BPrivate {

class ScriptDriver;

// No pixels: fixed font metrics (docs/driving.md lists them), the order of
// the windows, alert lines on standard output, and the script driver.
class HeadlessDisplay : public DisplayServer {
public:
	explicit					HeadlessDisplay(bool withDriver);
	virtual						~HeadlessDisplay();

	virtual	float				StringWidth(const char* text);
	virtual	void				GetFontHeight(font_height* height);

	virtual	void				Start();
	virtual	void				Stop();

	virtual	void				WindowShown(BWindow* window);
	virtual	void				WindowHidden(BWindow* window);
	virtual	void				WindowActivated(BWindow* window);
	virtual	void				WindowGone(BWindow* window);
	virtual	void				AlertShown(BAlert* alert, const char* name,
									const char* text);

	// Shown windows, front-most first.
			std::vector<BWindow*> FrontToBack();

private:
			void				_ToFront(BWindow* window);

			bool				fWithDriver;
			std::mutex			fLock;
			std::vector<BWindow*> fOrder;
			std::unique_ptr<ScriptDriver> fDriver;
};

} // namespace BPrivate

#endif
