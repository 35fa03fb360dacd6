#include "display/DisplayServer.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "display/headless/HeadlessDisplay.h"

namespace BPrivate {

namespace {

std::atomic<DisplayServer*> sCurrent(NULL);

} // namespace


DisplayServer::~DisplayServer()
{
}


DisplayServer*
DisplayServer::Create(std::string* message)
{
	const char* choice = getenv("BE_DISPLAY");
	if (choice != NULL && strcmp(choice, "headless") == 0)
		return new HeadlessDisplay(true);

	if (choice != NULL && strcmp(choice, "fltk") != 0) {
		*message = std::string("Unknown display \"") + choice
			+ "\": set BE_DISPLAY to fltk or headless.";
		return NULL;
	}
	if (choice == NULL && getenv("DISPLAY") == NULL) {
		*message = "This program needs a graphical session, and DISPLAY is "
			"not set.\nTo run it without one, start it with "
			"BE_DISPLAY=headless (and BE_SCRIPT=FILE to drive it; see "
			"docs/driving.md).";
		return NULL;
	}
	*message = "Real windows are not available in this build yet.\nStart "
		"the program with BE_DISPLAY=headless (and BE_SCRIPT=FILE to drive "
		"it; see docs/driving.md).";
	return NULL;
}


DisplayServer*
DisplayServer::Current()
{
	DisplayServer* current = sCurrent.load();
	if (current != NULL)
		return current;
	// Views measured before (or without) an application use the fixed
	// metrics, which do nothing else.
	static HeadlessDisplay sMetricsOnly(false);
	return &sMetricsOnly;
}


void
DisplayServer::SetCurrent(DisplayServer* display)
{
	sCurrent.store(display);
}

} // namespace BPrivate
