#include "display/DisplayServer.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "display/headless/HeadlessDisplay.h"

namespace BPrivate {

// The real-window display lives in a library of its own (kits/display/fltk)
// that only programs with windows link; without it this is NULL.
DisplayServer* CreateFltkDisplay(std::string* message)
	__attribute__((weak));

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
			"not set.\nTo try it without one, run it under xvfb-run, or "
			"start it with BE_DISPLAY=headless (and BE_SCRIPT=FILE to drive "
			"it; see docs/driving.md).";
		return NULL;
	}
	if (CreateFltkDisplay == NULL) {
		*message = "This program was built without real windows.\nStart "
			"it with BE_DISPLAY=headless (and BE_SCRIPT=FILE to drive it; "
			"see docs/driving.md).";
		return NULL;
	}
	return CreateFltkDisplay(message);
}


DisplayServer*
DisplayServer::Current()
{
	DisplayServer* current = sCurrent.load();
	if (current != NULL)
		return current;
	// Views before (or without) an application measure with the fixed
	// metrics and tell a display that only keeps their mirror.
	static HeadlessDisplay* sMetricsOnly = new HeadlessDisplay(false);
	return sMetricsOnly;
}


void
DisplayServer::SetCurrent(DisplayServer* display)
{
	sCurrent.store(display);
}


bool
DisplayServer::IsBusy()
{
	return false;
}


int
DisplayServer::ExitStatus()
{
	return 0;
}


void
SendToDisplay(const DisplayCommand& command)
{
	DisplayServer::Current()->Send(command);
}

} // namespace BPrivate
