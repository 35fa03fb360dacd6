#include "XProbe.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <OS.h>

namespace {

inline Display*
X(void* display)
{
	return static_cast<Display*>(display);
}


// Windows come and go while a probe looks at them: errors on its own
// connection are expected, others go to the handler that was there
// (Xlib's would end the test).
std::atomic<Display*> sProbeDisplay(NULL);
XErrorHandler sPreviousHandler = NULL;


int
ProbeErrors(Display* display, XErrorEvent* error)
{
	if (display == sProbeDisplay.load() || sPreviousHandler == NULL)
		return 0;
	return sPreviousHandler(display, error);
}


// Hands a window's property to use when it has the format wanted (8:
// bytes, 32: items of 32 bits); nothing when it has none.
template<typename Use>
void
ReadProperty(void* display, unsigned long window, const char* name,
	int wanted, Use use)
{
	if (display == NULL)
		return;
	Atom type;
	int format;
	unsigned long count, after;
	unsigned char* data = NULL;
	if (XGetWindowProperty(X(display), window,
			XInternAtom(X(display), name, False), 0, 1 << 16, False,
			AnyPropertyType, &type, &format, &count, &after, &data)
				== Success && data != NULL && format == wanted)
		use(data, count);
	if (data != NULL)
		XFree(data);
}

} // namespace


bool
Screenshot::Pixel(int x, int y, uint8* red, uint8* green, uint8* blue) const
{
	if (x < 0 || y < 0 || x >= width || y >= height)
		return false;
	const uint8* pixel = &rgb[(y * width + x) * 3];
	*red = pixel[0];
	*green = pixel[1];
	*blue = pixel[2];
	return true;
}


bool
Screenshot::Has(uint8 red, uint8 green, uint8 blue) const
{
	for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
		if (rgb[i] == red && rgb[i + 1] == green && rgb[i + 2] == blue)
			return true;
	}
	return false;
}


int
Screenshot::CountColors() const
{
	std::set<uint32> colors;
	for (size_t i = 0; i + 2 < rgb.size(); i += 3)
		colors.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
	return (int)colors.size();
}


int
Screenshot::CountOther(int left, int top, int right, int bottom, uint8 red,
	uint8 green, uint8 blue) const
{
	int count = 0;
	for (int y = top; y <= bottom; y++) {
		for (int x = left; x <= right; x++) {
			uint8 r, g, b;
			if (Pixel(x, y, &r, &g, &b) && (r != red || g != green
					|| b != blue))
				count++;
		}
	}
	return count;
}


bool
Screenshot::operator==(const Screenshot& other) const
{
	return width == other.width && height == other.height
		&& rgb == other.rgb;
}


XProbe::XProbe()
	:
	fDisplay(XOpenDisplay(NULL))
{
	sProbeDisplay = X(fDisplay);
	XErrorHandler previous = XSetErrorHandler(ProbeErrors);
	if (previous != ProbeErrors)
		sPreviousHandler = previous;
}


XProbe::~XProbe()
{
	Close();
}


void
XProbe::Close()
{
	if (fDisplay != NULL) {
		sProbeDisplay = NULL;
		XCloseDisplay(X(fDisplay));
	}
	fDisplay = NULL;
}


unsigned long
XProbe::FindWindow(const std::string& title)
{
	if (fDisplay == NULL)
		return 0;
	// On the root window, or one level down in the frame a window manager
	// put it in.
	std::vector<Window> pending(1, DefaultRootWindow(X(fDisplay)));
	for (int depth = 0; depth < 2 && !pending.empty(); depth++) {
		std::vector<Window> next;
		for (Window window : pending) {
			Window root, parent;
			Window* children = NULL;
			unsigned int count = 0;
			if (!XQueryTree(X(fDisplay), window, &root, &parent, &children,
					&count))
				continue;
			for (unsigned int i = 0; i < count; i++) {
				if (Title(children[i]) == title) {
					unsigned long found = children[i];
					XFree(children);
					return found;
				}
				next.push_back(children[i]);
			}
			if (children != NULL)
				XFree(children);
		}
		pending.swap(next);
	}
	return 0;
}


unsigned long
XProbe::Root()
{
	return fDisplay != NULL ? DefaultRootWindow(X(fDisplay)) : 0;
}


unsigned long
XProbe::Frame(unsigned long window)
{
	if (fDisplay == NULL)
		return 0;
	Window rootWindow = DefaultRootWindow(X(fDisplay));
	while (true) {
		Window root, parent;
		Window* children = NULL;
		unsigned int count = 0;
		if (!XQueryTree(X(fDisplay), window, &root, &parent, &children,
				&count))
			return 0;
		if (children != NULL)
			XFree(children);
		if (parent == rootWindow || parent == 0)
			return window;
		window = parent;
	}
}


unsigned long
XProbe::WaitForWindow(const std::string& title, int timeoutMs)
{
	bigtime_t deadline = system_time() + timeoutMs * 1000LL;
	do {
		unsigned long window = FindWindow(title);
		WindowGeometry geometry;
		// The display gives every window its type and Motif hints right
		// after FLTK maps it: a window counts once they are there too.
		if (window != 0 && Geometry(window, &geometry) && geometry.mapped
			&& !AtomNames(window, "_NET_WM_WINDOW_TYPE").empty()
			&& Property(window, "_MOTIF_WM_HINTS").size() == 5)
			return window;
		snooze(20000);
	} while (system_time() < deadline);
	return 0;
}


bool
XProbe::WaitUntilUnmapped(unsigned long window, int timeoutMs)
{
	bigtime_t deadline = system_time() + timeoutMs * 1000LL;
	do {
		WindowGeometry geometry;
		if (!Geometry(window, &geometry) || !geometry.mapped)
			return true;
		snooze(20000);
	} while (system_time() < deadline);
	return false;
}


bool
XProbe::WaitUntilGone(const std::string& title, int timeoutMs)
{
	bigtime_t deadline = system_time() + timeoutMs * 1000LL;
	do {
		if (FindWindow(title) == 0)
			return true;
		snooze(20000);
	} while (system_time() < deadline);
	return false;
}


bool
XProbe::Geometry(unsigned long window, WindowGeometry* geometry)
{
	if (fDisplay == NULL)
		return false;
	XWindowAttributes attributes;
	bool ok = XGetWindowAttributes(X(fDisplay), window, &attributes) != 0;
	Window child;
	if (ok) {
		ok = XTranslateCoordinates(X(fDisplay), window,
			DefaultRootWindow(X(fDisplay)), 0, 0, &geometry->x, &geometry->y,
			&child) != 0;
	}
	if (!ok)
		return false;
	geometry->width = attributes.width;
	geometry->height = attributes.height;
	geometry->mapped = attributes.map_state == IsViewable;
	return true;
}


std::string
XProbe::Title(unsigned long window)
{
	if (fDisplay == NULL)
		return "";
	std::string title = StringProperty(window, "_NET_WM_NAME");
	char* name = NULL;
	if (title.empty() && XFetchName(X(fDisplay), window, &name)
		&& name != NULL) {
		title = name;
		XFree(name);
	}
	return title;
}


std::vector<long>
XProbe::Property(unsigned long window, const char* name)
{
	std::vector<long> values;
	ReadProperty(fDisplay, window, name, 32,
		[&](const unsigned char* data, unsigned long count) {
			// Xlib hands 32-bit items over as longs.
			const long* items = (const long*)data;
			values.assign(items, items + count);
		});
	return values;
}


std::string
XProbe::StringProperty(unsigned long window, const char* name)
{
	std::string value;
	ReadProperty(fDisplay, window, name, 8,
		[&](const unsigned char* data, unsigned long count) {
			value.assign((const char*)data, count);
		});
	return value;
}


void
XProbe::SetResources(const std::string& resources)
{
	if (fDisplay == NULL)
		return;
	XChangeProperty(X(fDisplay), DefaultRootWindow(X(fDisplay)),
		XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
		(const unsigned char*)resources.c_str(), (int)resources.size());
	XSync(X(fDisplay), False);
}


std::vector<std::string>
XProbe::AtomNames(unsigned long window, const char* name)
{
	std::vector<std::string> names;
	for (long atom : Property(window, name)) {
		char* atomName = XGetAtomName(X(fDisplay), (Atom)atom);
		if (atomName != NULL) {
			names.push_back(atomName);
			XFree(atomName);
		}
	}
	return names;
}


unsigned long
XProbe::TransientFor(unsigned long window)
{
	Window owner = 0;
	if (fDisplay == NULL
		|| !XGetTransientForHint(X(fDisplay), window, &owner))
		return 0;
	return owner;
}


bool
XProbe::MinSize(unsigned long window, int* width, int* height)
{
	XSizeHints hints;
	long supplied;
	if (fDisplay == NULL
		|| !XGetWMNormalHints(X(fDisplay), window, &hints, &supplied)
		|| (hints.flags & PMinSize) == 0)
		return false;
	*width = hints.min_width;
	*height = hints.min_height;
	return true;
}


bool
XProbe::MaxSize(unsigned long window, int* width, int* height)
{
	XSizeHints hints;
	long supplied;
	if (fDisplay == NULL
		|| !XGetWMNormalHints(X(fDisplay), window, &hints, &supplied)
		|| (hints.flags & PMaxSize) == 0)
		return false;
	*width = hints.max_width;
	*height = hints.max_height;
	return true;
}


Screenshot
XProbe::Grab(unsigned long window)
{
	Screenshot shot;
	WindowGeometry geometry;
	if (!Geometry(window, &geometry) || !geometry.mapped)
		return shot;
	XImage* image = XGetImage(X(fDisplay), window, 0, 0, geometry.width,
		geometry.height, AllPlanes, ZPixmap);
	if (image == NULL)
		return shot;
	shot.width = geometry.width;
	shot.height = geometry.height;
	shot.rgb.resize((size_t)shot.width * shot.height * 3);
	// A 24-bit true colour visual, as Xvfb's screen is made.
	for (int y = 0; y < shot.height; y++) {
		for (int x = 0; x < shot.width; x++) {
			unsigned long pixel = XGetPixel(image, x, y);
			uint8* out = &shot.rgb[(y * shot.width + x) * 3];
			out[0] = (pixel & image->red_mask) >> 16;
			out[1] = (pixel & image->green_mask) >> 8;
			out[2] = pixel & image->blue_mask;
		}
	}
	XDestroyImage(image);
	return shot;
}


Screenshot
XProbe::GrabSettled(unsigned long window)
{
	Screenshot last = Grab(window);
	for (int tries = 0; tries < 50; tries++) {
		snooze(100000);
		Screenshot now = Grab(window);
		if (now == last && !now.IsEmpty())
			return now;
		last = now;
	}
	return last;
}


void
XProbe::SendDeleteWindow(unsigned long window)
{
	XEvent event;
	memset(&event, 0, sizeof(event));
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(X(fDisplay), "WM_PROTOCOLS",
		False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = XInternAtom(X(fDisplay), "WM_DELETE_WINDOW",
		False);
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(X(fDisplay), window, False, NoEventMask, &event);
	XFlush(X(fDisplay));
}


void
XProbe::DestroyWindow(unsigned long window)
{
	if (fDisplay == NULL)
		return;
	XDestroyWindow(X(fDisplay), window);
	XSync(X(fDisplay), False);
}


bool
ClickAt(int x, int y)
{
	// The server takes the move and the click in this order; --sync would
	// wait forever for a move to where the pointer already is.
	std::string command = "xdotool mousemove " + std::to_string(x) + " "
		+ std::to_string(y) + " click 1";
	return system(command.c_str()) == 0;
}


bool
PressKey(const char* key)
{
	std::string command = std::string("xdotool key ") + key;
	return system(command.c_str()) == 0;
}


bool
TypeText(const std::string& text)
{
	if (text.find('\'') != std::string::npos)
		return false;
	std::string command = "xdotool type --delay 15 -- '" + text + "'";
	return system(command.c_str()) == 0;
}
