#include "display/headless/HeadlessDisplay.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <utility>

#include "display/headless/DumpText.h"
#include "display/headless/ScriptDriver.h"

namespace BPrivate {

namespace {

// Advance widths in pixels of the plain font, for the printable ASCII
// characters from the blank (32) to the tilde (126).
const uint8 kWidths[95] = {
	4, 4, 5, 10, 8, 11, 9, 3, 5, 5, 6, 10, 4, 4, 4, 4,	// blank to /
	8, 8, 8, 8, 8, 8, 8, 8, 8, 8,						// 0 to 9
	4, 4, 10, 10, 10, 7, 12,							// : to @
	8, 8, 8, 9, 7, 7, 9, 9, 3, 3, 8, 6, 10, 9, 9,		// A to O
	7, 9, 8, 8, 7, 9, 8, 11, 8, 7, 8,					// P to Z
	5, 4, 5, 10, 6, 6,									// [ to `
	7, 7, 6, 7, 7, 4, 7, 7, 3, 3, 6, 3, 11, 7, 7,		// a to o
	7, 7, 5, 6, 4, 7, 7, 9, 7, 7, 6,					// p to z
	7, 4, 7, 10											// { to ~
};
const float kOtherCharacterWidth = 8;
const float kAscent = 11;
const float kDescent = 3;
const float kLeading = 0;

bool
ChangesWindows(int32 code)
{
	switch (code) {
		case B_DISPLAY_WINDOW_CREATED:
		case B_DISPLAY_WINDOW_TITLE:
		case B_DISPLAY_WINDOW_SHOWN:
		case B_DISPLAY_WINDOW_HIDDEN:
		case B_DISPLAY_WINDOW_GONE:
			return true;
		default:
			return false;
	}
}

} // namespace


HeadlessDisplay::HeadlessDisplay(bool withDriver)
	:
	fWithDriver(withDriver),
	fExitStatus(0)
{
}


HeadlessDisplay::~HeadlessDisplay()
{
	Stop();
}


float
HeadlessDisplay::StringWidth(const char* text)
{
	if (text == NULL)
		return 0;
	float width = 0;
	for (const unsigned char* c = (const unsigned char*)text; *c != '\0';
			c++) {
		if (*c >= 32 && *c <= 126)
			width += kWidths[*c - 32];
		else if (*c >= 0xc0) {
			// A character beyond ASCII counts once, at its first byte.
			width += kOtherCharacterWidth;
		}
	}
	return width;
}


void
HeadlessDisplay::GetFontHeight(font_height* height)
{
	height->ascent = kAscent;
	height->descent = kDescent;
	height->leading = kLeading;
}


void
HeadlessDisplay::Start()
{
	if (!fWithDriver || fDriver)
		return;
	const char* script = getenv("BE_SCRIPT");
	if (script != NULL && script[0] != '\0') {
		fDriver.reset(new ScriptDriver(this, script));
		return;
	}
	fprintf(stderr, "%s runs on the headless display without a script "
		"(BE_SCRIPT): it shows nothing and runs until it gets SIGTERM, "
		"SIGINT or SIGHUP.\n", program_invocation_short_name);
}


void
HeadlessDisplay::Stop()
{
	if (fDriver) {
		fDriver->Stop();
		fExitStatus = fDriver->ExitStatus();
		fDriver.reset();
	}
}


void
HeadlessDisplay::Send(const DisplayCommand& command)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fMirror.Apply(command))
			return;
		if (ChangesWindows(command.code))
			fWindowsChanged.notify_all();
	}
	_Applied(command);
}


void
HeadlessDisplay::Send(DisplayCommand&& command)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		// Only a batch's text is taken; the rest stays for what follows.
		if (!fMirror.Apply(std::move(command)))
			return;
		// Only the text was taken: the code is still there.
		if (ChangesWindows(command.code))
			fWindowsChanged.notify_all();
	}
	_Applied(command);
}


// What the driver prints and waits for once the mirror has the command.
void
HeadlessDisplay::_Applied(const DisplayCommand& command)
{
	if (!fWithDriver)
		return;

	if (command.code == B_DISPLAY_ALERT_SHOWN) {
		std::string line = "alert " + command.name + ": ";
		for (char c : command.text) {
			if (c == '\n')
				line += "\\n";
			else
				line += c;
		}
		PrintLine(line);
	}
	if (command.code == B_DISPLAY_PANEL_SHOWN)
		PrintLine("panel " + command.text);
	if (fDriver && (command.code == B_DISPLAY_WINDOW_SHOWN
			|| command.code == B_DISPLAY_ALERT_SHOWN))
		fDriver->Begin();
}


int
HeadlessDisplay::ExitStatus()
{
	return fExitStatus;
}

} // namespace BPrivate
