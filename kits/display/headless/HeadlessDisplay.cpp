#include "display/headless/HeadlessDisplay.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include <Window.h>

#include "display/headless/ScriptDriver.h"
#include "private/OutputLock.h"

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

} // namespace


HeadlessDisplay::HeadlessDisplay(bool withDriver)
	:
	fWithDriver(withDriver)
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
	if (script != NULL && script[0] != '\0')
		fDriver.reset(new ScriptDriver(this, script));
}


void
HeadlessDisplay::Stop()
{
	if (fDriver) {
		fDriver->Stop();
		fDriver.reset();
	}
}


void
HeadlessDisplay::WindowShown(BWindow* window)
{
	_ToFront(window);
	if (fDriver)
		fDriver->Begin();
}


void
HeadlessDisplay::WindowHidden(BWindow* window)
{
	std::lock_guard<std::mutex> lock(fLock);
	fOrder.erase(std::remove(fOrder.begin(), fOrder.end(), window),
		fOrder.end());
}


void
HeadlessDisplay::WindowActivated(BWindow* window)
{
	_ToFront(window);
}


void
HeadlessDisplay::WindowGone(BWindow* window)
{
	WindowHidden(window);
}


void
HeadlessDisplay::AlertShown(BAlert*, const char* name, const char* text)
{
	if (!fWithDriver)
		return;
	std::string line = std::string("alert ") + (name != NULL ? name : "")
		+ ": ";
	for (const char* c = text != NULL ? text : ""; *c != '\0'; c++) {
		if (*c == '\n')
			line += "\\n";
		else
			line += *c;
	}
	PrintLine(line);
	if (fDriver)
		fDriver->Begin();
}


std::vector<BWindow*>
HeadlessDisplay::FrontToBack()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fOrder;
}


void
HeadlessDisplay::_ToFront(BWindow* window)
{
	std::lock_guard<std::mutex> lock(fLock);
	fOrder.erase(std::remove(fOrder.begin(), fOrder.end(), window),
		fOrder.end());
	fOrder.insert(fOrder.begin(), window);
}

} // namespace BPrivate
