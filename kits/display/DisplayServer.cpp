#include "display/DisplayServer.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <utility>

#include <Application.h>

#include "display/accessibility/AccessibilityBridge.h"
#include "display/headless/HeadlessDisplay.h"

namespace BPrivate {

// The real-window display lives in a library of its own (kits/display/fltk)
// that only programs with windows link; without it this is NULL.
DisplayServer* CreateFltkDisplay(std::string* message)
	__attribute__((weak));

namespace {

std::atomic<DisplayServer*> sCurrent(NULL);

// The accessibility bridge of the application's display, while there may
// be someone to serve. The lock keeps it alive while a command is fed.
std::mutex sBridgeLock;
AccessibilityBridge* sBridge = NULL;
std::atomic<bool> sBridged(false);


void
Feed(const DisplayCommand& command)
{
	if (!sBridged.load(std::memory_order_relaxed))
		return;
	std::lock_guard<std::mutex> lock(sBridgeLock);
	if (sBridge != NULL)
		sBridge->Feed(command);
}


} // namespace


std::string
AccessibilityBusAddress()
{
	if (!sBridged.load(std::memory_order_relaxed))
		return "";
	std::lock_guard<std::mutex> lock(sBridgeLock);
	return sBridge != NULL ? sBridge->BusAddress() : "";
}


namespace {

// The guide to driving the program headless, where an install put it
// (PREFIX/share/doc/NAME/driving.md for PREFIX/lib/NAME/PROGRAM); else its
// place in the sources.
std::string
DrivingGuide()
{
	char executable[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", executable,
		sizeof(executable) - 1);
	if (length > 0) {
		executable[length] = '\0';
		std::string path(executable);
		size_t folder = path.rfind('/');
		size_t lib = folder != std::string::npos && folder > 0
			? path.rfind('/', folder - 1) : std::string::npos;
		if (lib != std::string::npos) {
			std::string name = path.substr(lib + 1, folder - lib - 1);
			std::string guide = path.substr(0, lib) + "/../share/doc/" + name
				+ "/driving.md";
			char resolved[PATH_MAX];
			if (realpath(guide.c_str(), resolved) != NULL)
				return resolved;
		}
	}
	return "docs/driving.md nei sorgenti";
}

} // namespace


DisplayServer::~DisplayServer()
{
}


std::string
DisplayServer::ApplicationName()
{
	std::string signature = be_app != NULL && be_app->Signature() != NULL
		? be_app->Signature() : "";
	size_t last = signature.find_last_of("./");
	std::string name = last != std::string::npos
		? signature.substr(last + 1) : signature;
	return name.empty() ? program_invocation_short_name : name;
}


DisplayServer*
DisplayServer::Create(std::string* message)
{
	const char* choice = getenv("BE_DISPLAY");
	if (choice != NULL && strcmp(choice, "headless") == 0)
		return new HeadlessDisplay(true);

	if (choice != NULL && strcmp(choice, "fltk") != 0) {
		*message = std::string("Display sconosciuto \"") + choice
			+ "\": impostate BE_DISPLAY a fltk o headless.";
		return NULL;
	}
	if (choice == NULL && getenv("DISPLAY") == NULL) {
		*message = "Questo programma mostra le sue finestre in una sessione "
			"grafica, e DISPLAY non è impostata.\nPer provarlo senza, "
			"avviatelo con xvfb-run, oppure con BE_DISPLAY=headless (e "
			"BE_SCRIPT=FILE per comandarlo; vedi " + DrivingGuide() + ").";
		return NULL;
	}
	if (CreateFltkDisplay == NULL) {
		*message = "Questo programma è stato compilato senza finestre "
			"vere.\nAvviatelo con BE_DISPLAY=headless (e BE_SCRIPT=FILE per "
			"comandarlo; vedi " + DrivingGuide() + ").";
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
	AccessibilityBridge* old = NULL;
	{
		std::lock_guard<std::mutex> lock(sBridgeLock);
		old = sBridge;
		sBridge = NULL;
		sBridged = false;
	}
	// Joined outside the lock: its thread may be posting input meanwhile.
	delete old;
	sCurrent.store(display);
	if (display == NULL || !AccessibilityBridge::MayHaveBus())
		return;
	AccessibilityBridge* bridge = new AccessibilityBridge(ApplicationName(),
		display->PixelScale());
	std::lock_guard<std::mutex> lock(sBridgeLock);
	sBridge = bridge;
	sBridged = true;
}


float
DisplayServer::PixelScale()
{
	return 1;
}


void
DisplayServer::Send(DisplayCommand&& command)
{
	Send(static_cast<const DisplayCommand&>(command));
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
	Feed(command);
	DisplayServer::Current()->Send(command);
}


void
SendToDisplay(DisplayCommand&& command)
{
	Feed(command);
	DisplayServer::Current()->Send(std::move(command));
}

} // namespace BPrivate
