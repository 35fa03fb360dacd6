#include "MapWatcher.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <poll.h>
#include <string.h>

namespace {

// A window may be gone by the time its title is read: that is no error of
// the benchmark's.
int
IgnoreError(Display*, XErrorEvent*)
{
	return 0;
}

} // namespace


MapWatcher::MapWatcher()
	:
	fDisplay(NULL),
	fRoot(None),
	fNetWmName(None),
	fUtf8String(None)
{
}


MapWatcher::~MapWatcher()
{
	if (fDisplay != NULL)
		XCloseDisplay(fDisplay);
}


bool
MapWatcher::Open(const std::string& display, std::string* error)
{
	fDisplay = XOpenDisplay(display.c_str());
	if (fDisplay == NULL) {
		*error = "cannot connect to the X server at " + display;
		return false;
	}
	XSetErrorHandler(IgnoreError);
	fRoot = DefaultRootWindow(fDisplay);
	fNetWmName = XInternAtom(fDisplay, "_NET_WM_NAME", False);
	fUtf8String = XInternAtom(fDisplay, "UTF8_STRING", False);
	XSelectInput(fDisplay, fRoot, SubstructureNotifyMask);
	XSync(fDisplay, False);
	return true;
}


void
MapWatcher::Reset()
{
	XSync(fDisplay, True);
	fCreated.clear();
	fMapped.clear();
}


MapWatcher::Result
MapWatcher::WaitForMap(const std::string& title, int exitDescriptor,
	double seconds, Clock::time_point* mappedAt)
{
	Clock::time_point deadline = Clock::now()
		+ std::chrono::duration_cast<Clock::duration>(
			std::chrono::duration<double>(seconds));
	for (;;) {
		while (XPending(fDisplay) > 0) {
			XEvent event;
			XNextEvent(fDisplay, &event);
			Clock::time_point now = Clock::now();
			Window window = None;
			if (event.type == CreateNotify && event.xcreatewindow.parent == fRoot) {
				window = event.xcreatewindow.window;
				fCreated.insert(window);
				// The title may come after the map: hear about it then.
				XSelectInput(fDisplay, window, PropertyChangeMask);
				continue;
			}
			if (event.type == MapNotify && event.xmap.event == fRoot) {
				window = event.xmap.window;
				if (fCreated.count(window) == 0)
					continue;
				fMapped[window] = now;
			} else if (event.type == PropertyNotify
				&& (event.xproperty.atom == XA_WM_NAME
					|| event.xproperty.atom == fNetWmName)) {
				window = event.xproperty.window;
			} else
				continue;
			std::map<Window, Clock::time_point>::iterator found
				= fMapped.find(window);
			if (found != fMapped.end() && _HasTitle(window, title)) {
				*mappedAt = found->second;
				return kMapped;
			}
		}

		long left = std::chrono::duration_cast<std::chrono::milliseconds>(
			deadline - Clock::now()).count();
		if (left <= 0)
			return kTimedOut;
		struct pollfd entries[2] = {
			{ ConnectionNumber(fDisplay), POLLIN, 0 },
			{ exitDescriptor, POLLIN, 0 }
		};
		int result = poll(entries, exitDescriptor >= 0 ? 2 : 1, (int)left);
		if (result < 0 && errno != EINTR)
			return kTimedOut;
		// Events first: a program that maps its window and then ends has
		// still mapped it.
		if (result > 0 && (entries[0].revents & POLLIN) == 0
			&& (entries[1].revents & POLLIN) != 0 && XPending(fDisplay) == 0)
			return kExited;
	}
}


bool
MapWatcher::_HasTitle(Window window, const std::string& title)
{
	Atom type = None;
	int format = 0;
	unsigned long count = 0;
	unsigned long after = 0;
	unsigned char* data = NULL;
	bool matches = false;
	if (XGetWindowProperty(fDisplay, window, fNetWmName, 0, 1024, False,
			fUtf8String, &type, &format, &count, &after, &data) == Success
		&& data != NULL) {
		matches = format == 8
			&& std::string((const char*)data, count) == title;
	}
	if (data != NULL)
		XFree(data);
	if (matches)
		return true;

	char* name = NULL;
	if (XFetchName(fDisplay, window, &name) != 0 && name != NULL) {
		matches = title == name;
		XFree(name);
	}
	return matches;
}
