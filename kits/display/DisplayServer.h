#ifndef _KITS_DISPLAY_DISPLAY_SERVER_H
#define _KITS_DISPLAY_DISPLAY_SERVER_H

#include <string>

#include <Font.h>
#include <SupportDefs.h>

class BAlert;
class BWindow;

namespace BPrivate {

// The display server as the kits see it. Kits tell it what windows do;
// it measures text. Control state lives in the kit objects, never only in
// the display.
class DisplayServer {
public:
	virtual						~DisplayServer();

	// The display chosen by BE_DISPLAY (fltk or headless; unset: fltk when
	// DISPLAY is set). NULL, with a message for the user, when there is
	// none to be had.
	static	DisplayServer*		Create(std::string* message);

	// The running application's display; before there is one, the
	// headless metrics, so that views measure the same everywhere.
	static	DisplayServer*		Current();
	static	void				SetCurrent(DisplayServer* display);

	virtual	float				StringWidth(const char* text) = 0;
	virtual	void				GetFontHeight(font_height* height) = 0;

	virtual	void				Start() = 0;
	virtual	void				Stop() = 0;

	// Called with the window locked, from any thread.
	virtual	void				WindowShown(BWindow* window) = 0;
	virtual	void				WindowHidden(BWindow* window) = 0;
	virtual	void				WindowActivated(BWindow* window) = 0;
	virtual	void				WindowGone(BWindow* window) = 0;
	virtual	void				AlertShown(BAlert* alert, const char* name,
									const char* text) = 0;
};

} // namespace BPrivate

#endif
