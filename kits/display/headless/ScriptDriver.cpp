#include "display/headless/ScriptDriver.h"

#include <errno.h>
#include <fcntl.h>
#include <math.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <Application.h>
#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "display/MirrorInput.h"
#include "display/headless/DumpText.h"
#include "display/headless/HeadlessDisplay.h"
#include "display/headless/ScriptLines.h"
#include "private/app/LooperState.h"
#include "private/app/ApplicationPrivate.h"
#include "private/app/Quiet.h"
#include "private/interface/OutsideQuit.h"
#include "private/app/HandlerPrivate.h"

namespace BPrivate {

namespace {

const double kLongestWait = 3600;

enum action {
	kClick,
	kDrop,
	kSelect,
	kType,
	kPick
};


// A line that cannot be performed; caught where the driver stops.
struct ScriptError {
	std::string reason;
};


// A number of seconds from 0 to an hour; NaN, infinities and overflow
// are refused.
bool
ParseSeconds(const std::string& word, double* value)
{
	if (word.empty() || word.size() > 32)
		return false;
	char* end;
	errno = 0;
	*value = strtod(word.c_str(), &end);
	return errno == 0 && *end == '\0' && isfinite(*value) && *value >= 0
		&& *value <= kLongestWait;
}


std::string
SecondsText(const std::string& word, double value)
{
	return word + (value == 1 ? " second" : " seconds");
}


bool
ParseIndex(const std::string& word, int32* value)
{
	if (word.empty() || word.size() > 9)
		return false;
	for (char c : word) {
		if (c < '0' || c > '9')
			return false;
	}
	*value = (int32)atol(word.c_str());
	return true;
}


bool
Takes(int32 kind, int action)
{
	switch (action) {
		case kClick:
			return kind == B_DISPLAY_BUTTON || kind == B_DISPLAY_CHECK_BOX;
		case kDrop:
			return true;
		case kSelect:
			return kind == B_DISPLAY_LIST_VIEW;
		case kType:
			return kind == B_DISPLAY_TEXT_CONTROL || kind == B_DISPLAY_TEXT_VIEW;
		case kPick:
			return kind == B_DISPLAY_MENU_FIELD;
	}
	return false;
}


// What a view shows: its text, or for a control its label.
std::string
ShownText(const MirrorView& view)
{
	if (view.kind == B_DISPLAY_STRING_VIEW)
		return view.text;
	if (view.kind == B_DISPLAY_BUTTON || view.kind == B_DISPLAY_CHECK_BOX
		|| view.kind == B_DISPLAY_TEXT_CONTROL)
		return view.label;
	if (view.kind == B_DISPLAY_TEXT_VIEW || view.kind == B_DISPLAY_MENU_FIELD)
		return view.text;
	return std::string();
}


// A key as docs/driving.md names it: modifiers (Shift, Alt, Ctrl) joined
// with + to a key name or one character. False for a name it does not know.
bool
ParseKey(const std::string& name, std::string* bytes, int32* key,
	int32* modifiers)
{
	*key = 0;
	*modifiers = 0;
	std::string rest = name;
	while (rest.size() > 1) {
		size_t plus = rest.find('+', 1);
		if (plus == std::string::npos || plus + 1 == rest.size())
			break;
		std::string modifier = rest.substr(0, plus);
		if (modifier == "Shift")
			*modifiers |= B_SHIFT_KEY;
		else if (modifier == "Alt")
			*modifiers |= B_COMMAND_KEY;
		else if (modifier == "Ctrl")
			*modifiers |= B_CONTROL_KEY;
		else
			return false;
		rest = rest.substr(plus + 1);
	}
	static const struct {
		const char*	name;
		char		byte;
	} kNamed[] = {
		{ "Tab", B_TAB }, { "Enter", B_ENTER }, { "Return", B_ENTER },
		{ "Escape", B_ESCAPE }, { "Space", B_SPACE },
		{ "Backspace", B_BACKSPACE }, { "Delete", B_DELETE },
		{ "Up", B_UP_ARROW }, { "Down", B_DOWN_ARROW },
		{ "Left", B_LEFT_ARROW }, { "Right", B_RIGHT_ARROW },
		{ "Home", B_HOME }, { "End", B_END }, { "PageUp", B_PAGE_UP },
		{ "PageDown", B_PAGE_DOWN }
	};
	for (const auto& named : kNamed) {
		if (rest == named.name) {
			*bytes = std::string(1, named.byte);
			return true;
		}
	}
	if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F') {
		int number = atoi(rest.c_str() + 1);
		if (number >= 1 && number <= 12
			&& rest == "F" + std::to_string(number)) {
			*bytes = std::string(1, (char)B_FUNCTION_KEY);
			*key = B_F1_KEY + number - 1;
			return true;
		}
	}
	// One character, of one byte or of several in UTF-8.
	if (rest.empty() || (unsigned char)rest[0] < 0x20 || rest[0] == 0x7f)
		return false;
	size_t length = 1;
	unsigned char lead = (unsigned char)rest[0];
	if (lead >= 0xf0)
		length = 4;
	else if (lead >= 0xe0)
		length = 3;
	else if (lead >= 0xc0)
		length = 2;
	if (rest.size() != length)
		return false;
	*bytes = rest;
	return true;
}

} // namespace


ScriptDriver::ScriptDriver(HeadlessDisplay* display, const char* path)
	:
	fDisplay(display),
	fPath(path),
	fFile(-1),
	fStopEvent(eventfd(0, EFD_CLOEXEC)),
	fLine(0),
	fLinePending(false),
	fMirrorLocked(false),
	fStarted(false),
	fStopping(false),
	fExitStatus(0)
{
	fThread = std::thread([this] { _Run(); });
}


ScriptDriver::~ScriptDriver()
{
	Stop();
}


void
ScriptDriver::Begin()
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fStarted = true;
	}
	fBegun.notify_all();
}


void
ScriptDriver::Stop()
{
	if (!fThread.joinable())
		return;
	fStopping = true;
	if (fStopEvent >= 0) {
		uint64_t one = 1;
		if (write(fStopEvent, &one, sizeof(one)) < 0) {
			// The thread also sees fStopping at its next wake-up.
		}
	}
	fBegun.notify_all();
	{
		// Taken so that a wait for a window cannot miss the stop between
		// its look and its sleep.
		std::lock_guard<std::mutex> lock(fDisplay->MirrorLock());
	}
	fDisplay->WindowsChanged().notify_all();
	NotifyActivity();
	fThread.join();

	// The application quit while the script still had lines: they could
	// not be performed, which is an error, not success.
	if (fExitStatus == 0 && fFile >= 0) {
		std::string line;
		// A line too long is found here too, on the quitting thread: it
		// is reported, not thrown out of the application's destructor.
		try {
			if (fLinePending || _ReadLine(&line, false))
				_Error("the application has quit");
		} catch (const ScriptError& error) {
			_Error(error.reason);
		}
	}
	if (fFile >= 0)
		close(fFile);
	if (fStopEvent >= 0)
		close(fStopEvent);
	fFile = fStopEvent = -1;
}


void
ScriptDriver::_Fail(const std::string& reason)
{
	throw ScriptError{ reason };
}


void
ScriptDriver::_Error(const std::string& reason)
{
	fprintf(stderr, "script error %d: %s\n", (int)fLine, reason.c_str());
	fflush(stderr);
	fExitStatus = 3;
}


void
ScriptDriver::_Run()
{
	{
		std::unique_lock<std::mutex> lock(fLock);
		fBegun.wait(lock, [this] { return fStarted || fStopping; });
	}
	if (fStopping)
		return;

	try {
		_RunScript();
	} catch (const ScriptError& error) {
		_Release();
		_Error(error.reason);
		fLinePending = false;
		// Quit the normal way, so that the settings are stored.
		QuitFromOutside();
	}
}


void
ScriptDriver::_RunScript()
{
	if (!_Open())
		return;

	std::string line;
	while (_ReadLine(&line, true)) {
		size_t start = line.find_first_not_of(" \t");
		if (start == std::string::npos || line[start] == '#')
			continue;
		std::vector<std::string> words;
		if (!ScriptLines::Split(line, &words))
			_Fail("a double quote is not closed");
		if (words.empty())
			continue;
		// A wait for a window to go is met by the end of the application,
		// whenever that comes; any other line is not.
		bool waitHidden = words[0] == "wait-hidden";
		fLinePending = !waitHidden;
		if (!_Hold(!waitHidden)) {
			if (fStopping)
				return;
			continue;
		}
		_Perform(words);
		_Release();
		fLinePending = false;
	}
	if (fStopping)
		return;

	// The end of the script: the application is asked to quit, as from
	// outside the program. A script may not end with an alert showing:
	// nobody would have answered it.
	if (!_Hold(false))
		return;
	MirrorWindow* alert = _ShowingAlert();
	if (alert != NULL)
		_Fail("the script ends with an alert showing (" + alert->title + ")");
	_Release();
	QuitFromOutside();
}


// Opened without blocking, so that a FIFO nobody writes to yet holds up
// neither the start nor the end of the program.
bool
ScriptDriver::_Open()
{
	fFile = open(fPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fFile < 0)
		_Fail("cannot read the script " + fPath + ": " + strerror(errno));
	struct stat status;
	if (fstat(fFile, &status) != 0)
		_Fail("cannot read the script " + fPath + ": " + strerror(errno));
	if (S_ISDIR(status.st_mode))
		_Fail("cannot read the script " + fPath + ": " + strerror(EISDIR));
	return true;
}


bool
ScriptDriver::_ReadLine(std::string* line, bool wait)
{
	while (true) {
		ScriptLines::result result = fLines.Next(line);
		if (result == ScriptLines::kLine || result == ScriptLines::kTooLong)
			fLine = fLines.LineNumber();
		if (result == ScriptLines::kLine)
			return true;
		if (result == ScriptLines::kTooLong) {
			_Fail("the line is longer than "
				+ std::to_string(ScriptLines::kLongestLine) + " bytes");
		}
		if (result == ScriptLines::kEnded)
			return false;
		if (wait && fStopping)
			return false;

		char chunk[65536];
		ssize_t length = read(fFile, chunk, sizeof(chunk));
		if (length > 0) {
			fLines.Append(chunk, length);
			continue;
		}
		if (length == 0) {
			fLines.SetAtEnd();
			continue;
		}
		if (errno == EINTR)
			continue;
		if (errno != EAGAIN) {
			if (!wait)
				return false;
			_Fail("cannot read the script " + fPath + ": "
				+ strerror(errno));
		}
		if (!wait)
			return false;
		struct pollfd fds[2] = {
			{ fFile, POLLIN, 0 },
			{ fStopEvent, POLLIN, 0 }
		};
		if (poll(fds, 2, -1) < 0 && errno != EINTR)
			_Fail(std::string("cannot wait for the script: ")
				+ strerror(errno));
		if (fds[1].revents != 0)
			return false;
	}
}


// Quiet: every looper idle and the roster at rest, with no activity while
// we looked, so that nothing was passed from one looper to another behind
// our back.
bool
ScriptDriver::_WaitQuiet()
{
	return WaitForQuiet(B_INFINITE_TIMEOUT, &fStopping);
}


bool
ScriptDriver::_Hold(bool forLine)
{
	while (true) {
		if (!_WaitQuiet())
			return false;
		// Once the application's loop has ended no line can be performed.
		std::shared_ptr<LooperState> application
			= FindLooperState(BHandler::Private(be_app).Token());
		bool ended = !application;
		if (application) {
			std::lock_guard<std::mutex> lock(application->queueMutex);
			ended = application->threadDone || application->quitting;
		}
		if (ended && forLine)
			_Fail("the application has quit");
		if (ended)
			return false;
		std::vector<int32> tokens = BApplication::Private::WindowTokens();
		tokens.insert(tokens.begin(), BHandler::Private(be_app).Token());
		bool held = true;
		for (int32 token : tokens) {
			std::shared_ptr<LooperState> state = FindLooperState(token);
			if (!state)
				continue;
			status_t status = LockLooperState(state, 20000);
			if (status == B_OK)
				fHeld.push_back(state);
			else if (status == B_TIMED_OUT
				&& !IsThreadParked(state->owner.load())) {
				// Busy after all; a lock held by a thread parked in an
				// alert stays held, and keeps the window from going away.
				held = false;
				break;
			}
		}
		if (held) {
			fDisplay->MirrorLock().lock();
			fMirrorLocked = true;
			return true;
		}
		_Release();
	}
}


void
ScriptDriver::_Release()
{
	if (fMirrorLocked) {
		fMirrorLocked = false;
		fDisplay->MirrorLock().unlock();
	}
	// A looper that waited for one of these locks is busy and tells of its
	// own end; our release alone brings nothing to rest, and telling of it
	// would only wake our own wait at once, round and round.
	for (auto& state : fHeld)
		UnlockLooperState(state, false);
	fHeld.clear();
}


void
ScriptDriver::_Perform(const std::vector<std::string>& words)
{
	const std::string& verb = words[0];
	if (verb == "click")
		_Click(words);
	else if (verb == "type")
		_Type(words);
	else if (verb == "pick")
		_Pick(words);
	else if (verb == "select" || verb == "doubleclick")
		_Select(words);
	else if (verb == "menu")
		_Menu(words);
	else if (verb == "tab")
		_Tab(words);
	else if (verb == "drop")
		_Drop(words);
	else if (verb == "refs")
		_Refs(words);
	else if (verb == "panel" || verb == "save" || verb == "cancel")
		_Panel(words);
	else if (verb == "alert")
		_Alert(words);
	else if (verb == "close")
		_Close(words);
	else if (verb == "wait-hidden")
		_WaitHidden(words);
	else if (verb == "wait-text")
		_WaitText(words);
	else if (verb == "key")
		_Key(words);
	else if (verb == "dump") {
		if (words.size() != 1)
			_Fail("dump takes no words");
		_Dump();
	} else
		_Fail("unknown action " + QuoteForError(verb));
}


std::vector<MirrorWindow*>
ScriptDriver::_Reachable(MirrorWindow** blocker)
{
	return MirrorInput(fDisplay->Mirror()).Reachable(blocker);
}


MirrorWindow*
ScriptDriver::_ShowingAlert()
{
	MirrorWindow* blocker;
	_Reachable(&blocker);
	return blocker != NULL && blocker->isAlert ? blocker : NULL;
}


// The view so named in the front-most window that has one taking this
// action, checked as a user would find it.
ScriptDriver::Target
ScriptDriver::_FindView(const std::string& name, uint32 action)
{
	MirrorWindow* blocker;
	std::vector<MirrorWindow*> reachable = _Reachable(&blocker);
	std::string problem;
	for (MirrorWindow* window : reachable) {
		const MirrorView* view = window->FindView(name);
		if (view == NULL)
			continue;
		if (!Takes(view->kind, action)) {
			problem = QuoteForError(name) + " does not take this action";
			continue;
		}
		if (window->IsHidden(view->id)) {
			problem = QuoteForError(name) + " is hidden";
			continue;
		}
		if (MirrorInput::CanBeDisabled(view->kind) && !view->enabled)
			_Fail(QuoteForError(name) + " is disabled");
		Target target;
		target.window = window->id;
		target.view = view->id;
		return target;
	}
	if (!problem.empty())
		_Fail(problem);

	// Say why the user could not reach it.
	DisplayMirror& mirror = fDisplay->Mirror();
	for (int32 id : mirror.Windows()) {
		MirrorWindow* window = mirror.FindWindow(id);
		if (window == NULL || window->FindView(name) == NULL)
			continue;
		if (!window->shown) {
			_Fail(QuoteForError(name) + " is in the hidden window "
				+ QuoteForError(window->title));
		}
		if (blocker != NULL)
			_FailBlocked(blocker);
	}
	_Fail("no view " + QuoteForError(name));
}


void
ScriptDriver::_FailBlocked(MirrorWindow* blocker)
{
	std::string title = QuoteForError(blocker->title);
	title = title.substr(1, title.size() - 2);
	if (blocker->isAlert)
		_Fail("an alert is showing (" + title + ")");
	_Fail("a modal window is showing (" + title + ")");
}


void
ScriptDriver::_Post(int32 window, BMessage* message)
{
	if (!MirrorInput::Post(window, message))
		_Fail("the window is gone");
}


void
ScriptDriver::_SendInput(const std::string& name, BMessage* input)
{
	Target target = _FindView(name, input->what == B_INPUT_CLICK
		? kClick : kDrop);
	input->AddInt32("view", target.view);
	_Post(target.window, input);
}


void
ScriptDriver::_Click(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: click NAME");
	BMessage input(B_INPUT_CLICK);
	_SendInput(words[1], &input);
}


// The whole text of a text control replaced, as a user would select it
// and type over it; the display sends the text view's new text.
void
ScriptDriver::_Type(const std::vector<std::string>& words)
{
	if (words.size() != 3)
		_Fail("usage: type NAME TEXT");
	Target target = _FindView(words[1], kType);
	MirrorWindow* window = fDisplay->Mirror().FindWindow(target.window);
	const MirrorView* view = window->FindView(target.view);
	if (view->kind == B_DISPLAY_TEXT_CONTROL) {
		const MirrorView* input = NULL;
		for (int32 child : view->children) {
			const MirrorView* found = window->FindView(child);
			if (found != NULL && found->kind == B_DISPLAY_TEXT_VIEW) {
				input = found;
				break;
			}
		}
		if (input == NULL)
			_Fail(QuoteForError(words[1]) + " has no text view");
		view = input;
	}
	if (!view->enabled)
		_Fail(QuoteForError(words[1]) + " is disabled");
	BMessage input(B_INPUT_TEXT);
	input.AddInt32("view", view->id);
	input.AddString("text", words[2].c_str());
	_Post(target.window, &input);
}


void
ScriptDriver::_Pick(const std::vector<std::string>& words)
{
	if (words.size() != 3)
		_Fail("usage: pick NAME ITEM");
	Target target = _FindView(words[1], kPick);
	MirrorWindow* window = fDisplay->Mirror().FindWindow(target.window);
	const MirrorView* field = window->FindView(target.view);
	for (int32 id : field->items) {
		auto found = window->items.find(id);
		if (found == window->items.end())
			continue;
		const MirrorMenuItem& item = found->second;
		if ((item.flags & (B_DISPLAY_ITEM_SUBMENU | B_DISPLAY_ITEM_SEPARATOR))
				!= 0 || item.label != words[2])
			continue;
		if (!item.enabled)
			_Fail(QuoteForError(words[2]) + " is disabled");
		BMessage input(B_INPUT_MENU_ITEM);
		input.AddInt32("view", field->id);
		input.AddInt32("item", item.id);
		_Post(target.window, &input);
		return;
	}
	_Fail("no item " + QuoteForError(words[2]) + " in "
		+ QuoteForError(words[1]));
}


void
ScriptDriver::_Menu(const std::vector<std::string>& words)
{
	if (words.size() != 3)
		_Fail("usage: menu MENU ITEM");
	MirrorWindow* blocker;
	for (MirrorWindow* window : _Reachable(&blocker)) {
		const MirrorView* top = window->FindView(window->topView);
		for (int32 child : top->children) {
			const MirrorView* bar = window->FindView(child);
			if (bar == NULL || bar->kind != B_DISPLAY_MENU_BAR || bar->hidden)
				continue;
			const MirrorMenuItem* menu = NULL;
			for (int32 id : bar->items) {
				auto item = window->items.find(id);
				if (item != window->items.end()
					&& (item->second.flags & B_DISPLAY_ITEM_SUBMENU) != 0
					&& item->second.label == words[1]) {
					menu = &item->second;
					break;
				}
			}
			if (menu == NULL)
				continue;
			for (int32 id : menu->children) {
				auto found = window->items.find(id);
				if (found == window->items.end())
					continue;
				const MirrorMenuItem& item = found->second;
				if ((item.flags & B_DISPLAY_ITEM_SUBMENU) != 0
					|| item.label != words[2])
					continue;
				if (!item.enabled)
					_Fail(QuoteForError(words[2]) + " is disabled");
				BMessage input(B_INPUT_MENU_ITEM);
				input.AddInt32("view", bar->id);
				input.AddInt32("item", item.id);
				_Post(window->id, &input);
				return;
			}
			_Fail("no item " + QuoteForError(words[2]) + " in menu "
				+ QuoteForError(words[1]));
		}
	}
	if (blocker != NULL)
		_FailBlocked(blocker);
	_Fail("no menu " + QuoteForError(words[1]));
}


void
ScriptDriver::_Tab(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: tab LABEL");
	MirrorWindow* blocker;
	for (MirrorWindow* window : _Reachable(&blocker)) {
		std::vector<const MirrorView*> pending(1,
			window->FindView(window->topView));
		while (!pending.empty()) {
			const MirrorView* view = pending.back();
			pending.pop_back();
			if (view == NULL || view->hidden)
				continue;
			for (int32 child : view->children)
				pending.push_back(window->FindView(child));
			if (view->kind != B_DISPLAY_TAB_VIEW)
				continue;
			for (size_t i = 0; i < view->tabs.size(); i++) {
				if (view->tabs[i].label != words[1])
					continue;
				if (!view->tabs[i].enabled)
					_Fail("tab " + QuoteForError(words[1]) + " is disabled");
				BMessage input(B_INPUT_TAB);
				input.AddInt32("view", view->id);
				input.AddInt32("index", (int32)i);
				_Post(window->id, &input);
				return;
			}
		}
	}
	if (blocker != NULL)
		_FailBlocked(blocker);
	_Fail("no tab " + QuoteForError(words[1]));
}


// Files dropped on the middle of the view, as a user would drop them; the
// window finds the view under that point.
void
ScriptDriver::_Drop(const std::vector<std::string>& words)
{
	if (words.size() < 3)
		_Fail("usage: drop NAME PATH...");
	Target target = _FindView(words[1], kDrop);
	MirrorWindow* window = fDisplay->Mirror().FindWindow(target.window);
	BRect frame = window->FrameInWindow(target.view);
	BPoint where(floorf((frame.left + frame.right) / 2),
		floorf((frame.top + frame.bottom) / 2));
	BMessage drop(B_INPUT_DROP);
	drop.AddData("where", B_POINT_TYPE, &where, sizeof(where));
	for (size_t i = 2; i < words.size(); i++) {
		entry_ref ref;
		if (get_ref_for_path(words[i].c_str(), &ref) != B_OK)
			_Fail("cannot drop " + QuoteForError(words[i]));
		drop.AddRef("refs", &ref);
	}
	_Post(target.window, &drop);
}


// The user's selection, made as on a display: the list gets exactly these
// entries selected and tells SelectionChanged. A double click is two
// clicks on its one entry, the second of which invokes the list.
void
ScriptDriver::_Select(const std::vector<std::string>& words)
{
	bool invoke = words[0] == "doubleclick";
	if (invoke && words.size() != 3)
		_Fail("usage: doubleclick NAME INDEX");
	if (words.size() < 2)
		_Fail("usage: select NAME INDEX...");
	Target target = _FindView(words[1], kSelect);
	const MirrorView* list = fDisplay->Mirror().FindWindow(target.window)
		->FindView(target.view);
	BMessage input(B_INPUT_SELECTION);
	input.AddInt32("view", target.view);
	for (size_t i = 2; i < words.size(); i++) {
		int32 index;
		if (!ParseIndex(words[i], &index))
			_Fail("usage: select NAME INDEX...");
		if (index >= (int32)list->listItems.size())
			_Fail("no entry " + words[i] + " in " + QuoteForError(words[1]));
		input.AddInt32("index", index);
	}
	if (invoke) {
		// Two clicks, as a display reports them: the first selects, the
		// second is counted as a double click.
		_Post(target.window, &input);
		input.AddBool("invoke", true);
	}
	_Post(target.window, &input);
}


// The file panel in front: its folder and entries filled in as a user
// would pick them, then its button clicked like any button.
void
ScriptDriver::_Panel(const std::vector<std::string>& words)
{
	const std::string& verb = words[0];
	if (verb == "panel" && words.size() < 2)
		_Fail("usage: panel PATH...");
	if (verb == "save" && words.size() != 3)
		_Fail("usage: save DIR NAME");
	if (verb == "cancel" && words.size() != 1)
		_Fail("usage: cancel");

	MirrorWindow* blocker;
	MirrorWindow* panel = NULL;
	for (MirrorWindow* window : _Reachable(&blocker)) {
		if (window->isPanel && window->shown) {
			panel = window;
			break;
		}
	}
	if (panel == NULL) {
		if (blocker != NULL && blocker->isAlert)
			_FailBlocked(blocker);
		_Fail("no file panel is showing");
	}
	const MirrorView* button = panel->FindView(verb == "cancel"
		? "PanelCancel" : "PanelDefault");
	if (button == NULL)
		_Fail("the file panel has no button");
	if (!button->enabled)
		_Fail("the file panel's button is disabled");

	if (verb != "cancel") {
		BMessage fill(B_INPUT_PANEL_FILL);
		if (verb == "save") {
			struct stat info;
			if (stat(words[1].c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
				_Fail("no folder " + QuoteForError(words[1]));
			fill.AddString("directory", words[1].c_str());
			fill.AddString("name", words[2].c_str());
		} else {
			std::string folder;
			for (size_t i = 1; i < words.size(); i++) {
				std::string path = words[i];
				while (path.size() > 1 && path.back() == '/')
					path.pop_back();
				struct stat info;
				size_t slash = path.rfind('/');
				if (lstat(path.c_str(), &info) != 0
					|| slash == std::string::npos || path == "/")
					_Fail("cannot choose " + QuoteForError(words[i]));
				std::string parent = slash == 0 ? "/" : path.substr(0, slash);
				if (i == 1)
					folder = parent;
				else if (parent != folder)
					_Fail("the entries are not in one folder");
				fill.AddString("name", path.substr(slash + 1).c_str());
			}
			fill.AddString("directory", folder.c_str());
		}
		_Post(panel->id, &fill);
	}
	BMessage click(B_INPUT_CLICK);
	click.AddInt32("view", button->id);
	_Post(panel->id, &click);
}


void
ScriptDriver::_Refs(const std::vector<std::string>& words)
{
	if (words.size() < 2)
		_Fail("usage: refs PATH...");
	BMessage refs(B_REFS_RECEIVED);
	for (size_t i = 1; i < words.size(); i++) {
		entry_ref ref;
		if (get_ref_for_path(words[i].c_str(), &ref) != B_OK)
			_Fail("cannot hand over " + QuoteForError(words[i]));
		refs.AddRef("refs", &ref);
	}
	if (be_app_messenger.SendMessage(&refs) != B_OK)
		_Fail("the application is gone");
}


void
ScriptDriver::_Alert(const std::vector<std::string>& words)
{
	int32 index;
	if (words.size() != 2 || !ParseIndex(words[1], &index))
		_Fail("usage: alert INDEX");
	MirrorWindow* alert = _ShowingAlert();
	if (alert == NULL)
		_Fail("no alert is showing");
	// The alert's buttons, in the order it shows them.
	std::vector<int32> buttons;
	std::vector<const MirrorView*> pending(1, alert->FindView(alert->topView));
	while (!pending.empty()) {
		const MirrorView* view = pending.back();
		pending.pop_back();
		if (view == NULL)
			continue;
		if (view->kind == B_DISPLAY_BUTTON)
			buttons.push_back(view->id);
		for (auto child = view->children.rbegin();
				child != view->children.rend(); ++child)
			pending.push_back(alert->FindView(*child));
	}
	if (index >= (int32)buttons.size())
		_Fail("the alert has no button " + words[1]);
	BMessage input(B_INPUT_CLICK);
	input.AddInt32("view", buttons[index]);
	_Post(alert->id, &input);
}


void
ScriptDriver::_Close(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: close TITLE");
	MirrorWindow* blocker;
	_Reachable(&blocker);
	DisplayMirror& mirror = fDisplay->Mirror();
	for (int32 id : mirror.FrontToBack()) {
		MirrorWindow* window = mirror.FindWindow(id);
		if (window == NULL || window->title != words[1])
			continue;
		if (blocker != NULL && blocker != window)
			_FailBlocked(blocker);
		if ((window->flags & B_NOT_CLOSABLE) != 0) {
			_Fail("window " + QuoteForError(words[1])
				+ " has no close box");
		}
		BMessage close(B_INPUT_CLOSE);
		_Post(window->id, &close);
		return;
	}
	_Fail("no window " + QuoteForError(words[1]) + " is showing");
}


bool
ScriptDriver::_Showing(const std::string& title)
{
	DisplayMirror& mirror = fDisplay->Mirror();
	for (int32 id : mirror.FrontToBack()) {
		MirrorWindow* window = mirror.FindWindow(id);
		if (window != NULL && window->title == title)
			return true;
	}
	return false;
}


const MirrorView*
ScriptDriver::_ShownView(const std::string& name)
{
	DisplayMirror& mirror = fDisplay->Mirror();
	for (int32 id : mirror.Windows()) {
		MirrorWindow* window = mirror.FindWindow(id);
		if (window == NULL)
			continue;
		if (const MirrorView* view = window->FindView(name))
			return view;
	}
	return NULL;
}


bool
ScriptDriver::_WaitForChange(bigtime_t deadline)
{
	uint64 seen = ActivityCount();
	_Release();
	WaitForActivity(seen, deadline);
	if (fStopping)
		return false;
	// A wait the application's end cut short is over, not failed: what it
	// waited for is gone with the application.
	return _Hold(false);
}


void
ScriptDriver::_WaitHidden(const std::vector<std::string>& words)
{
	double seconds;
	if (words.size() != 3 || !ParseSeconds(words[2], &seconds))
		_Fail("usage: wait-hidden TITLE SECONDS (from 0 to 3600)");
	bigtime_t deadline = system_time() + (bigtime_t)(seconds * 1000000);
	while (_Showing(words[1])) {
		if (system_time() >= deadline) {
			_Fail("window " + QuoteForError(words[1])
				+ " still showing after " + SecondsText(words[2], seconds));
		}
		// Only a window command can hide it: sleeping until one comes,
		// instead of looking at every turn of the application, keeps the
		// driver from waking, and from taking the windows' locks, while
		// a long run goes on. Whether it is gone is then judged as
		// before, at a quiet moment.
		_Release();
		_WaitForWindows(words[1], deadline);
		if (fStopping || !_Hold(false))
			return;
	}
}


void
ScriptDriver::_WaitForWindows(const std::string& title, bigtime_t deadline)
{
	std::unique_lock<std::mutex> lock(fDisplay->MirrorLock());
	while (!fStopping && _Showing(title)) {
		bigtime_t left = deadline - system_time();
		if (left <= 0)
			return;
		fDisplay->WindowsChanged().wait_for(lock,
			std::chrono::microseconds(left));
	}
}


void
ScriptDriver::_WaitText(const std::vector<std::string>& words)
{
	double seconds;
	if (words.size() != 4 || !ParseSeconds(words[3], &seconds))
		_Fail("usage: wait-text NAME TEXT SECONDS (from 0 to 3600)");
	bigtime_t deadline = system_time() + (bigtime_t)(seconds * 1000000);
	while (true) {
		const MirrorView* view = _ShownView(words[1]);
		if (view != NULL && ShownText(*view) == words[2])
			return;
		if (system_time() >= deadline) {
			_Fail(QuoteForError(words[1]) + " does not show "
				+ QuoteForError(words[2]) + " after "
				+ SecondsText(words[3], seconds));
		}
		if (!_WaitForChange(deadline))
			return;
	}
}


// A key as the user presses it: into the menu the display has open, into
// the text view the kit has focused (the display edits the text, as a real
// one does), or else to the window, whose kit decides.
void
ScriptDriver::_Key(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: key KEY");
	std::string bytes;
	int32 key;
	int32 modifiers;
	if (!ParseKey(words[1], &bytes, &key, &modifiers))
		_Fail("unknown key " + QuoteForError(words[1]));
	MirrorWindow* blocker;
	std::vector<MirrorWindow*> reachable = _Reachable(&blocker);
	if (reachable.empty())
		_Fail("no window is showing");
	MirrorWindow* window = reachable.front();

	if (window->openMenu >= 0) {
		_MenuKey(window, bytes[0]);
		return;
	}

	MirrorView* focus = window->FindView(window->focus);
	bool plain = (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) == 0;
	if (focus != NULL && focus->kind == B_DISPLAY_TEXT_VIEW && focus->enabled
		&& !window->IsHidden(focus->id) && plain
		&& (bytes[0] == B_BACKSPACE || (unsigned char)bytes[0] >= 0x20)
		&& bytes[0] != B_DELETE) {
		std::string text = focus->text;
		int32 start = focus->selectionStart;
		int32 end = std::min(focus->selectionEnd, (int32)text.size());
		if (start >= 0 && start < end) {
			// As a display's field does: what is selected is replaced,
			// and nothing is selected any more.
			text.replace(start, end - start,
				bytes[0] != B_BACKSPACE ? bytes : std::string());
			focus->selectionStart = focus->selectionEnd = 0;
		} else if (bytes[0] != B_BACKSPACE)
			text += bytes;
		else if (!text.empty()) {
			size_t end = text.size() - 1;
			while (end > 0 && ((unsigned char)text[end] & 0xc0) == 0x80)
				end--;
			text.erase(end);
		}
		BMessage input(B_INPUT_TEXT);
		input.AddInt32("view", focus->id);
		input.AddString("text", text.c_str());
		_Post(window->id, &input);
		return;
	}

	BMessage input(B_INPUT_KEY);
	input.AddString("bytes", bytes.c_str());
	if (key != 0)
		input.AddInt32("key", key);
	if (modifiers != 0)
		input.AddInt32("modifiers", modifiers);
	_Post(window->id, &input);
}


// The arrows move in an open menu as in a real display's: up and down
// over its enabled items, left and right to the menus beside it; Enter
// chooses, Escape closes.
void
ScriptDriver::_MenuKey(MirrorWindow* window, char byte)
{
	const MirrorView* bar = window->FindView(window->menuBar);
	auto menu = window->items.find(window->openMenu);
	if (bar == NULL || menu == window->items.end()) {
		window->menuBar = window->openMenu = window->menuHighlight = -1;
		return;
	}
	auto usable = [window](int32 id) {
		auto item = window->items.find(id);
		return item != window->items.end() && item->second.enabled
			&& (item->second.flags & B_DISPLAY_ITEM_SEPARATOR) == 0;
	};
	auto step = [&](const std::vector<int32>& list, int32 from,
			int32 direction) -> int32 {
		int32 count = (int32)list.size();
		int32 at = (int32)(std::find(list.begin(), list.end(), from)
			- list.begin());
		if (at == count)
			at = direction > 0 ? -1 : count;
		for (int32 i = 1; i <= count; i++) {
			int32 next = ((at + direction * i) % count + count) % count;
			if (usable(list[next]))
				return list[next];
		}
		return -1;
	};

	switch (byte) {
		case B_DOWN_ARROW:
		case B_UP_ARROW:
			window->menuHighlight = step(menu->second.children,
				window->menuHighlight, byte == B_DOWN_ARROW ? 1 : -1);
			break;
		case B_LEFT_ARROW:
		case B_RIGHT_ARROW:
		{
			int32 next = step(bar->items, window->openMenu,
				byte == B_RIGHT_ARROW ? 1 : -1);
			if (next >= 0) {
				window->openMenu = next;
				window->menuHighlight = -1;
			}
			break;
		}
		case B_ENTER:
		{
			int32 chosen = window->menuHighlight;
			auto item = window->items.find(chosen);
			if (item == window->items.end()
				|| (item->second.flags & B_DISPLAY_ITEM_SUBMENU) != 0)
				break;
			window->menuBar = window->openMenu = window->menuHighlight = -1;
			BMessage input(B_INPUT_MENU_ITEM);
			input.AddInt32("view", bar->id);
			input.AddInt32("item", chosen);
			_Post(window->id, &input);
			break;
		}
		case B_ESCAPE:
			window->menuBar = window->openMenu = window->menuHighlight = -1;
			break;
	}
}


void
ScriptDriver::_Dump()
{
	std::vector<std::string> lines;
	DumpWindows(fDisplay->Mirror(), &lines);
	for (const std::string& line : lines)
		PrintLine(line);
}

} // namespace BPrivate
