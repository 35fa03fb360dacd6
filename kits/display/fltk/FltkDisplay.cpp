#include "display/fltk/FltkDisplay.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <Application.h>
#include <Window.h>

#include "display/accessibility/DeviceEvents.h"
#include "display/fltk/FltkIcon.h"
#include "display/fltk/FltkInput.h"
#include "display/fltk/FltkView.h"
#include "display/fltk/FltkWindow.h"
#include "private/app/Quiet.h"

namespace BPrivate {

namespace {

// Used by the display's thread alone, as FLTK is.
DeviceEvents* sDeviceEvents = NULL;


// Every key, pressed or released, goes to the screen reader first, while
// one is served; what it takes for itself (its own commands) no window
// gets. Without an accessibility bus this is one atomic load a key.
int
DispatchEvent(int event, Fl_Window* window)
{
	if ((event == FL_KEYDOWN || event == FL_KEYUP) && fl_xevent != NULL
		&& (fl_xevent->type == KeyPress || fl_xevent->type == KeyRelease)
		&& sDeviceEvents != NULL) {
		XKeyEvent xkey = fl_xevent->xkey;
		DeviceKey key;
		key.pressed = event == FL_KEYDOWN;
		key.keysym = (int32)XLookupKeysym(&xkey, 0);
		// The keysym the modifiers make (Shift+a: A), as screen readers
		// name keys.
		char buffer[32];
		KeySym typed = 0;
		int length = XLookupString(&xkey, buffer, sizeof(buffer) - 1, &typed,
			NULL);
		if (typed != 0)
			key.keysym = (int32)typed;
		if (length > 0)
			key.text.assign(buffer, (size_t)length);
		key.isText = !key.text.empty() && (unsigned char)key.text[0] >= 0x20
			&& key.text[0] != 0x7f;
		if (!key.isText) {
			// A key that types nothing goes by its name ("Return",
			// "KP_Enter"), as other toolkits send it.
			const char* name = XKeysymToString((KeySym)key.keysym);
			key.text = name != NULL ? name : "";
		}
		key.keycode = xkey.keycode;
		key.modifiers = xkey.state;
		key.timestamp = (int32)xkey.time;
		if (sDeviceEvents->Offer(key))
			return 1;
	}
	return Fl::handle_(event, window);
}

// FLTK is one per process, and so is its connection to the X server: a
// display is opened once.
std::mutex sInstanceLock;
FltkDisplay* sInstance = NULL;
bool sOpenedOnce = false;

XIOErrorHandler sPreviousIOErrorHandler = NULL;
XErrorHandler sPreviousErrorHandler = NULL;


// Xlib's own handler ends the program at any error, and FLTK installs its
// gentler one only on a display it opens itself. A window that went while
// a request about it was on its way (an alert or a menu closed) is an
// ordinary race here, not a reason to lose the user's list.
int
ProtocolError(Display* display, XErrorEvent* error)
{
	// Another connection of this process (a test's probe) has a handler of
	// its own; the guard keeps two handlers from passing one error back and
	// forth.
	static thread_local bool sPassing = false;
	if (display != fl_display && sPreviousErrorHandler != NULL && !sPassing) {
		sPassing = true;
		int result = sPreviousErrorHandler(display, error);
		sPassing = false;
		return result;
	}
	if (error->error_code != BadWindow && error->error_code != BadDrawable) {
		char text[128];
		XGetErrorText(display, error->error_code, text, sizeof(text));
		fprintf(stderr, "X error (request %d): %s\n", error->request_code,
			text);
	}
	return 0;
}

// Liberation Sans has Helvetica's metrics, as BeOS's plain font had; where
// it is missing, the desktop's sans.
const char* kFontFamilies = " Liberation Sans,sans-serif";


// Pixels a point takes: BE_SCALE when given, else the screen's Xft.dpi
// over 96 on a denser screen; 1 otherwise.
float
ScreenScale(Display* display)
{
	const char* forced = getenv("BE_SCALE");
	if (forced != NULL && forced[0] != '\0') {
		char* end;
		double scale = strtod(forced, &end);
		if (*end == '\0' && scale >= 0.5 && scale <= 8)
			return (float)scale;
		fprintf(stderr, "BE_SCALE=%s is not a scale from 0.5 to 8; "
			"ignored.\n", forced);
	}
	const char* resources = XResourceManagerString(display);
	if (resources == NULL)
		return 1;
	const char* kName = "Xft.dpi:";
	for (const char* line = resources; line != NULL && *line != '\0';) {
		if (strncmp(line, kName, strlen(kName)) == 0) {
			double dpi = strtod(line + strlen(kName), NULL);
			return dpi > 96 && dpi <= 8 * 96 ? (float)(dpi / 96) : 1;
		}
		line = strchr(line, '\n');
		if (line != NULL)
			line++;
	}
	return 1;
}


// Widths asked for once are kept; labels repeat, and a looper waits for
// each answer.
const size_t kMaxCachedWidths = 4096;

} // namespace


struct FltkDisplay::WidthRequest {
	std::string			text;
	float				width = 0;
	bool				done = false;
};


FltkDisplay::FltkDisplay()
	:
	fPending(0),
	fWaiting(false),
	fReady(false),
	fStopping(false),
	fEnded(false),
	fLost(false)
{
	std::fill(fAdvances, fAdvances + 128, 0.0f);
	fFontHeight.ascent = 0;
	fFontHeight.descent = 0;
	fFontHeight.leading = 0;
}


FltkDisplay::~FltkDisplay()
{
	Stop();
	if (fLost) {
		// The windows belong to a thread stopped inside Xlib, which holds
		// its locks: deleting them would call FLTK and wait forever. They
		// are kept, reachable, until the program ends.
		static std::map<int32, std::unique_ptr<FltkWindow> >* sAbandoned
			= new std::map<int32, std::unique_ptr<FltkWindow> >;
		for (auto& window : fWindows)
			(*sAbandoned)[window.first] = std::move(window.second);
		fWindows.clear();
	}
	std::lock_guard<std::mutex> lock(sInstanceLock);
	if (sInstance == this)
		sInstance = NULL;
}


bool
FltkDisplay::Open(std::string* message)
{
	{
		std::lock_guard<std::mutex> lock(sInstanceLock);
		if (sOpenedOnce) {
			*message = "Real windows can be opened only once in a process.";
			return false;
		}
		sOpenedOnce = true;
		sInstance = this;
	}

	// The thread takes no asynchronous signal: they belong to the
	// application's own watcher, and a write to a vanished X server must
	// fail with EPIPE rather than end the program.
	sigset_t all;
	sigset_t previous;
	sigfillset(&all);
	pthread_sigmask(SIG_BLOCK, &all, &previous);
	std::string failure;
	fThread = std::thread([this, &failure] { _Run(&failure); });
	pthread_sigmask(SIG_SETMASK, &previous, NULL);

	std::unique_lock<std::mutex> lock(fLock);
	fChanged.wait(lock, [this] { return fReady || fEnded; });
	if (fEnded) {
		lock.unlock();
		fThread.join();
		*message = failure;
		return false;
	}
	lock.unlock();
	// What is queued here but not drawn yet keeps the application from
	// being quiet.
	AddQuietSource(_IsBusy, this);
	return true;
}


float
FltkDisplay::StringWidth(const char* text)
{
	if (text == NULL || text[0] == '\0')
		return 0;

	std::unique_lock<std::mutex> lock(fLock);
	auto cached = fWidths.find(text);
	if (cached != fWidths.end())
		return cached->second;
	if (!_WaitsForThread())
		return _Estimate(text);

	WidthRequest request;
	request.text = text;
	if (fCommands.empty() && fRequests.empty())
		Fl::awake();
	fRequests.push_back(&request);
	fPending++;
	fChanged.wait(lock, [this, &request] {
		return request.done || fLost || fEnded;
	});
	if (request.done)
		return request.width;

	// The thread is gone; it no longer holds this request.
	auto queued = std::find(fRequests.begin(), fRequests.end(), &request);
	if (queued != fRequests.end())
		fRequests.erase(queued);
	return _Estimate(text);
}


void
FltkDisplay::GetFontHeight(font_height* height)
{
	std::lock_guard<std::mutex> lock(fLock);
	*height = fFontHeight;
}


void
FltkDisplay::Start()
{
	// The thread has run since Open: windows built before the
	// application runs are shown as soon as they are told to be.
}


void
FltkDisplay::Stop()
{
	if (fThread.joinable())
		RemoveQuietSource(_IsBusy, this);
	std::unique_lock<std::mutex> lock(fLock);
	if (!fThread.joinable())
		return;
	if (!fStopping && !fLost && !fEnded) {
		if (fCommands.empty() && fRequests.empty())
			Fl::awake();
	}
	fStopping = true;
	fChanged.wait(lock, [this] { return fEnded || fLost; });
	if (fEnded) {
		lock.unlock();
		fThread.join();
	} else {
		// The thread stays where the lost connection left it, and calls
		// nothing anymore.
		fThread.detach();
	}
}


void
FltkDisplay::Send(const DisplayCommand& command)
{
	Send(DisplayCommand(command));
}


void
FltkDisplay::Send(DisplayCommand&& command)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fStopping || fLost || fEnded)
		return;
	// One wake-up for a batch: the thread takes everything queued when it
	// wakes.
	if (fCommands.empty() && fRequests.empty())
		Fl::awake();
	else if (!fCommands.empty()
		&& DisplayMirror::Merge(fCommands.back(), command))
		return;
	fCommands.push_back(std::move(command));
	fPending++;
}


float
FltkDisplay::PixelScale()
{
	return FltkView::Scale();
}


bool
FltkDisplay::IsBusy()
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fLost || fEnded)
		return false;
	return fPending > 0 || !fWaiting;
}


void
FltkDisplay::_Run(std::string* message)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fThreadId = std::this_thread::get_id();
	}
	Fl::lock();
	bool opened = _Init(message);
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (opened)
			fReady = true;
		else
			fEnded = true;
		fChanged.notify_all();
	}
	if (!opened)
		return;

	while (true) {
		{
			std::lock_guard<std::mutex> lock(fLock);
			if (fStopping)
				break;
		}
		Fl::wait(1e20);
		{
			std::lock_guard<std::mutex> lock(fLock);
			fWaiting = false;
		}
		_Drain();
	}

	_CloseWindows();
	Fl::event_dispatch(NULL);
	delete sDeviceEvents;
	sDeviceEvents = NULL;
	std::lock_guard<std::mutex> lock(fLock);
	fEnded = true;
	fChanged.notify_all();
}


bool
FltkDisplay::_Init(std::string* message)
{
	Display* display = XOpenDisplay(NULL);
	if (display == NULL) {
		const char* name = getenv("DISPLAY");
		*message = std::string("Cannot open the X display \"")
			+ (name != NULL ? name : "") + "\".\nTo run without one, start "
			"it with BE_DISPLAY=headless (see docs/driving.md).";
		return false;
	}
	fl_open_display(display);
	sPreviousErrorHandler = XSetErrorHandler(ProtocolError);
	sPreviousIOErrorHandler = XSetIOErrorHandler([](Display* lost) -> int {
		if (lost != fl_display && sPreviousIOErrorHandler != NULL)
			return sPreviousIOErrorHandler(lost);
		_LoseConnection();
		// Returning would end the program inside Xlib; this thread stops
		// here instead, and the application quits the normal way.
		while (true)
			pause();
		return 0;
	});

	// BeOS's panel grey, and its plain font's size.
	FltkView::SetScale(ScreenScale(display));
	Fl::background(216, 216, 216);
	Fl::set_font(FltkView::kFont, kFontFamilies);
	FL_NORMAL_SIZE = FltkView::FontSize();
	Fl_Tooltip::font(FltkView::kFont);
	Fl_Tooltip::size(FltkView::FontSize());
	// Windows of the class the desktop entry names (StartupWMClass), so
	// that a dock puts them under its launcher.
	std::string name = DisplayServer::ApplicationName();
	FltkWindow::SetApplicationName(name);
	std::string className = name;
	for (char& c : className)
		c = tolower((unsigned char)c);
	Fl_Window::default_xclass(className.c_str());
	if (Fl_RGB_Image* icon = LoadApplicationIcon(
			std::max(1, (int)lroundf(FltkView::Scale())))) {
		Fl_Window::default_icon(icon);
		delete icon;
	}

	// Measured in pixels at the size drawn, told in points.
	fl_font(FltkView::kFont, FltkView::FontSize());
	{
		std::lock_guard<std::mutex> lock(fLock);
		float scale = FltkView::Scale();
		fFontHeight.descent = fl_descent() / scale;
		fFontHeight.ascent = (fl_height() - fl_descent()) / scale;
		fFontHeight.leading = 0;
		for (int c = ' '; c < 127; c++) {
			char text[2] = { (char)c, '\0' };
			fAdvances[c] = fl_width(text, 1) / scale;
		}
	}

	_ReadToolkitOptions();
	Fl::visible_focus(0);

	Fl::add_check(_BeforeWait, this);
	sDeviceEvents = new DeviceEvents();
	Fl::event_dispatch(DispatchEvent);
	return true;
}


void
FltkDisplay::_ReadToolkitOptions()
{
	// FLTK reads its options from preference files the first time one is
	// asked for, and then writes them back: ~/.fltk, and /etc/fltk for
	// root. Tolvex keeps nothing there. The one reading is made here, and
	// what it created is taken away again; the folders that were there
	// before are left as they were.
	const char* home = getenv("HOME");
	std::vector<std::string> folders;
	if (home != NULL && home[0] != '\0')
		folders.push_back(std::string(home) + "/.fltk");
	folders.push_back("/etc/fltk");
	std::vector<bool> existed;
	for (const std::string& folder : folders) {
		struct stat st;
		existed.push_back(lstat(folder.c_str(), &st) == 0);
	}
	Fl::option(Fl::OPTION_VISIBLE_FOCUS);
	for (size_t i = 0; i < folders.size(); i++) {
		if (existed[i])
			continue;
		unlink((folders[i] + "/fltk.org/fltk.prefs").c_str());
		rmdir((folders[i] + "/fltk.org").c_str());
		rmdir(folders[i].c_str());
	}
}


void
FltkDisplay::_Drain()
{
	std::deque<DisplayCommand> commands;
	std::deque<WidthRequest*> requests;
	{
		std::lock_guard<std::mutex> lock(fLock);
		commands.swap(fCommands);
		requests.swap(fRequests);
	}

	if (!requests.empty()) {
		fl_font(FltkView::kFont, FltkView::FontSize());
		for (WidthRequest* request : requests)
			request->width = fl_width(request->text.c_str())
				/ FltkView::Scale();
		std::lock_guard<std::mutex> lock(fLock);
		if (fWidths.size() + requests.size() > kMaxCachedWidths)
			fWidths.clear();
		for (WidthRequest* request : requests) {
			fWidths[request->text] = request->width;
			request->done = true;
		}
		fPending -= (int32)requests.size();
		fChanged.notify_all();
	}

	if (commands.empty())
		return;
	std::vector<int32> touched;
	std::vector<int32> raised;
	for (DisplayCommand& command : commands) {
		if (!fMirror.Apply(std::move(command)))
			continue;
		if (std::find(touched.begin(), touched.end(), command.window)
				== touched.end())
			touched.push_back(command.window);
		if (command.code == B_DISPLAY_WINDOW_SHOWN
			|| command.code == B_DISPLAY_WINDOW_ACTIVATED)
			raised.push_back(command.window);
	}
	_SyncWindows(touched, raised);

	std::lock_guard<std::mutex> lock(fLock);
	fPending -= (int32)commands.size();
}


void
FltkDisplay::_SyncWindows(const std::vector<int32>& touched,
	const std::vector<int32>& raised)
{
	// In the order of creation, so that of windows shown together the
	// later ones come out on top.
	std::vector<int32> order;
	for (int32 id : fMirror.Windows()) {
		if (std::find(touched.begin(), touched.end(), id) != touched.end())
			order.push_back(id);
	}
	for (int32 id : touched) {
		if (fMirror.FindWindow(id) == NULL)
			fWindows.erase(id);
	}
	for (int32 id : order) {
		std::unique_ptr<FltkWindow>& window = fWindows[id];
		if (!window)
			window.reset(new FltkWindow(id));
		MirrorWindow* mirror = fMirror.FindWindow(id);
		if (mirror->shown && !window->shown()
			&& (mirror->isAlert || mirror->look == B_MODAL_WINDOW_LOOK)) {
			// An alert comes up over the window the user is looking at.
			const FltkWindow* front = NULL;
			for (int32 other : fMirror.FrontToBack()) {
				auto found = fWindows.find(other);
				if (other != id && found != fWindows.end()
					&& found->second->shown()) {
					front = found->second.get();
					break;
				}
			}
			window->CentreOver(front);
		}
		window->Sync(*mirror);
		// A menu opened from the keyboard is FLTK's from now on: it moves
		// in it and closes it.
		if (mirror->openMenu >= 0) {
			window->OpenMenu(mirror->menuBar, mirror->openMenu);
			mirror->menuBar = mirror->openMenu = mirror->menuHighlight = -1;
		}
	}

	// Back to front, so that the front-most ends on top.
	const std::vector<int32>& front = fMirror.FrontToBack();
	for (auto id = front.rbegin(); id != front.rend(); ++id) {
		if (std::find(raised.begin(), raised.end(), *id) == raised.end())
			continue;
		auto window = fWindows.find(*id);
		if (window != fWindows.end())
			window->second->Raise();
	}
}


void
FltkDisplay::_CloseWindows()
{
	fWindows.clear();
	Fl::flush();
	Fl::remove_check(_BeforeWait, this);
	XSync(fl_display, False);
}


float
FltkDisplay::_Estimate(const char* text) const
{
	// What the font would say, from the widths of single characters taken
	// while the display was there.
	float width = 0;
	for (const unsigned char* c = (const unsigned char*)text; *c != '\0';
			c++) {
		if (*c < 128)
			width += fAdvances[*c];
		else if ((*c & 0xc0) != 0x80)
			width += fAdvances[(unsigned char)'m'];
	}
	return width;
}


bool
FltkDisplay::_WaitsForThread() const
{
	return fReady && !fLost && !fEnded && !fStopping
		&& std::this_thread::get_id() != fThreadId;
}


void
FltkDisplay::_BeforeWait(void* data)
{
	FltkDisplay* display = static_cast<FltkDisplay*>(data);
	bool waiting;
	{
		std::lock_guard<std::mutex> lock(display->fLock);
		waiting = display->fWaiting = display->fCommands.empty()
			&& display->fRequests.empty();
	}
	if (waiting)
		NotifyActivity();
}


bool
FltkDisplay::_IsBusy(void* data)
{
	return static_cast<FltkDisplay*>(data)->IsBusy();
}


void
FltkDisplay::_LoseConnection()
{
	{
		std::lock_guard<std::mutex> lock(sInstanceLock);
		if (sInstance != NULL) {
			// Notified under the lock: once it is released, Stop may
			// return and the display be deleted.
			std::lock_guard<std::mutex> displayLock(sInstance->fLock);
			sInstance->fLost = true;
			sInstance->fChanged.notify_all();
		}
	}
	AskApplicationToQuit();
}


DisplayServer*
CreateFltkDisplay(std::string* message)
{
	FltkDisplay* display = new FltkDisplay;
	if (!display->Open(message)) {
		delete display;
		return NULL;
	}
	return display;
}

} // namespace BPrivate
