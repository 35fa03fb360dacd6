#ifndef _KITS_DISPLAY_DISPLAY_SERVER_H
#define _KITS_DISPLAY_DISPLAY_SERVER_H

#include <string>

#include <Font.h>
#include <SupportDefs.h>

#include "display/DisplayProtocol.h"

namespace BPrivate {

// A display as the kits see it: it takes the command stream of
// DisplayProtocol.h, posts input back to the windows' loopers, and
// measures text. Control state lives in the kit objects, never only in
// the display.
class DisplayServer {
public:
	virtual						~DisplayServer();

	// The display chosen by BE_DISPLAY (fltk or headless; unset: fltk when
	// DISPLAY is set). NULL, with a message for the user, when there is
	// none to be had.
	static	DisplayServer*		Create(std::string* message);

	// The running application's display; before there is one, a headless
	// display without a script, so that views measure the same everywhere.
	static	DisplayServer*		Current();
	static	void				SetCurrent(DisplayServer* display);

	// The name the desktop knows the application by: the last part of its
	// signature ("application/x-vnd.Tolvex": Tolvex), else the program's.
	static	std::string			ApplicationName();

	// Synchronous, from any thread; the answer depends only on the text.
	virtual	float				StringWidth(const char* text) = 0;
	virtual	void				GetFontHeight(font_height* height) = 0;

	// The application runs; it is about to be deleted. Once Stop returns
	// the display posts nothing more.
	virtual	void				Start() = 0;
	virtual	void				Stop() = 0;

	// One command, by the thread that holds the window's lock. It never
	// waits for the display.
	virtual	void				Send(const DisplayCommand& command) = 0;
			// The same, the display free to take the command's text
			// rather than copy it: a big list's batch is megabytes.
	virtual	void				Send(DisplayCommand&& command);

	// Pixels a point takes on the screen.
	virtual	float				PixelScale();

	// True while the display holds commands or input it has not handled
	// yet; the quiet check counts it.
	virtual	bool				IsBusy();

	// The status the program must end with instead of its own (a script
	// that failed), or 0.
	virtual	int					ExitStatus();
};

// The address of the accessibility bus the application is served on, once
// it is; empty before, and where there is none. Cheap when there is none.
std::string AccessibilityBusAddress();

// Sends a command to the current display.
void SendToDisplay(const DisplayCommand& command);
void SendToDisplay(DisplayCommand&& command);

} // namespace BPrivate

#endif
