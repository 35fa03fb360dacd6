#include "display/headless/ScriptDriver.h"

#include <cxxabi.h>
#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <typeinfo>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Control.h>
#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <TabView.h>
#include <View.h>
#include <Window.h>

#include "display/headless/HeadlessDisplay.h"
#include "private/InputMessages.h"
#include "private/LooperState.h"
#include "private/OutputLock.h"
#include "private/RosterState.h"
#include "private/ViewDump.h"
#include "private/app/ApplicationPrivate.h"

namespace BPrivate {

namespace {

// Blanks separate words; double quotes group them and are dropped, so ""
// is an empty word.
bool
SplitLine(const std::string& line, std::vector<std::string>* words)
{
	std::string word;
	bool inWord = false;
	bool quoted = false;
	for (char c : line) {
		if (c == '"') {
			quoted = !quoted;
			inWord = true;
		} else if ((c == ' ' || c == '\t') && !quoted) {
			if (inWord)
				words->push_back(word);
			word.clear();
			inWord = false;
		} else {
			word += c;
			inWord = true;
		}
	}
	if (quoted)
		return false;
	if (inWord)
		words->push_back(word);
	return true;
}


std::string
ClassName(const void* object, const std::type_info& type)
{
	(void)object;
	int status = 0;
	char* name = abi::__cxa_demangle(type.name(), NULL, NULL, &status);
	std::string result = status == 0 && name != NULL ? name : type.name();
	free(name);
	return result;
}


std::string
FrameText(BRect frame)
{
	char text[96];
	snprintf(text, sizeof(text), "(%ld,%ld,%ld,%ld)", lroundf(frame.left),
		lroundf(frame.top), lroundf(frame.right), lroundf(frame.bottom));
	return text;
}


bool
ParseNumber(const std::string& word, double* value)
{
	if (word.empty())
		return false;
	char* end;
	errno = 0;
	*value = strtod(word.c_str(), &end);
	return errno == 0 && *end == '\0';
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


std::string
ShownText(BView* view)
{
	ViewDump dump;
	view->_Dump(dump);
	if (dump.hasText)
		return dump.text;
	if (dump.hasLabel)
		return dump.label;
	return std::string();
}


bool
IsModal(BWindow* window)
{
	return window->Feel() == B_MODAL_APP_WINDOW_FEEL
		|| window->Feel() == B_MODAL_ALL_WINDOW_FEEL;
}


void
DumpView(BView* view, int depth)
{
	ViewDump dump;
	view->_Dump(dump);
	std::string line(2 * depth, ' ');
	line += ClassName(view, typeid(*view)) + " "
		+ QuoteForDump(view->Name());
	if (dump.hasLabel)
		line += " label=" + QuoteForDump(dump.label.c_str());
	if (dump.hasText)
		line += " text=" + QuoteForDump(dump.text.c_str());
	if (dump.hasValue)
		line += " value=" + std::to_string(dump.value);
	if (dump.hasEnabled)
		line += std::string(" enabled=") + (dump.enabled ? "1" : "0");
	bool hidden = false;
	for (BView* ancestor = view; ancestor != NULL;
			ancestor = ancestor->Parent()) {
		if (ancestor->_IsHiddenItself())
			hidden = true;
	}
	line += std::string(" hidden=") + (hidden ? "1" : "0");
	line += " frame=" + FrameText(view->Frame());
	if (dump.hasMarked)
		line += " marked=" + QuoteForDump(dump.marked.c_str());
	if (dump.hasSelected)
		line += " selected=" + std::to_string(dump.selected);
	if (dump.hasItems)
		line += " items=" + std::to_string(dump.items);
	PrintLine(line);
	for (const auto& extra : dump.extraLines)
		PrintLine(std::string(2 * (depth + extra.first), ' ') + extra.second);
	for (int32 i = 0; BView* child = view->ChildAt(i); i++)
		DumpView(child, depth + 1);
}

} // namespace


ScriptDriver::ScriptDriver(HeadlessDisplay* display, const char* path)
	:
	fDisplay(display),
	fPath(path),
	fFile(NULL),
	fLine(0),
	fStarted(false),
	fStopping(false)
{
	fFile = fopen(path, "r");
	if (fFile == NULL)
		_Fail(std::string("cannot read the script ") + path + ": "
			+ strerror(errno));
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
	fStopping = true;
	fBegun.notify_all();
	NotifyActivity();
	if (fThread.joinable()) {
		if (fThread.get_id() == std::this_thread::get_id())
			fThread.detach();
		else
			fThread.join();
	}
	if (fFile != NULL) {
		fclose(fFile);
		fFile = NULL;
	}
}


void
ScriptDriver::_Fail(const std::string& reason)
{
	fprintf(stderr, "script error %d: %s\n", (int)fLine, reason.c_str());
	fflush(stderr);
	fflush(stdout);
	_exit(3);
}


void
ScriptDriver::_Run()
{
	{
		std::unique_lock<std::mutex> lock(fLock);
		fBegun.wait(lock, [this] { return fStarted || fStopping; });
	}

	char* buffer = NULL;
	size_t capacity = 0;
	while (!fStopping) {
		ssize_t length = getline(&buffer, &capacity, fFile);
		if (length < 0)
			break;
		fLine++;
		std::string line(buffer, length);
		while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
			line.pop_back();
		size_t start = line.find_first_not_of(" \t");
		if (start == std::string::npos || line[start] == '#')
			continue;
		std::vector<std::string> words;
		if (!SplitLine(line, &words))
			_Fail("a double quote is not closed");
		if (words.empty())
			continue;
		if (!_WaitQuiet())
			break;
		_HoldWindowsWhenQuiet();
		_Perform(words);
		_ReleaseWindows();
	}
	free(buffer);

	// The end of the script: the application is asked to quit, as from
	// outside the program. An alert left open would hold that request
	// back for ever, so a script may not end with one showing.
	if (!fStopping && _WaitQuiet()) {
		_HoldWindowsWhenQuiet();
		BAlert* alert = _ShowingAlert();
		if (alert != NULL)
			_Fail(std::string("the script ends with an alert showing (")
				+ alert->Title() + ")");
		_ReleaseWindows();
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
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


void
ScriptDriver::_Perform(const std::vector<std::string>& words)
{
	const std::string& verb = words[0];
	if (verb == "click")
		_Click(words);
	else if (verb == "type")
		_Type(words);
	else if (verb == "menu")
		_Menu(words);
	else if (verb == "pick")
		_Pick(words);
	else if (verb == "tab")
		_Tab(words);
	else if (verb == "select")
		_Select(words);
	else if (verb == "drop")
		_Drop(words);
	else if (verb == "refs")
		_Refs(words);
	else if (verb == "panel" || verb == "save" || verb == "cancel")
		_Fail("no file panel is showing");
	else if (verb == "alert")
		_Alert(words);
	else if (verb == "close")
		_Close(words);
	else if (verb == "wait-hidden")
		_WaitHidden(words);
	else if (verb == "wait-text")
		_WaitText(words);
	else if (verb == "dump") {
		if (words.size() != 1)
			_Fail("dump takes no words");
		_Dump();
	} else
		_Fail("unknown action \"" + verb + "\"");
}


bool
ScriptDriver::_HoldWindows()
{
	for (int32 token : BApplication::Private::WindowTokens()) {
		std::shared_ptr<LooperState> state = FindLooperState(token);
		if (!state)
			continue;
		status_t status = LockLooperState(state, 20000);
		if (status == B_OK)
			fHeld.push_back(state);
		else if (status == B_TIMED_OUT) {
			// A lock held by a thread parked in an alert stays held, and
			// keeps the window from going away.
			if (!IsThreadParked(state->owner.load())) {
				_ReleaseWindows();
				return false;
			}
		} else
			continue;
		std::lock_guard<std::mutex> lock(state->queueMutex);
		if (BWindow* window = dynamic_cast<BWindow*>(state->looper))
			fWindows.push_back(window);
	}
	return true;
}


void
ScriptDriver::_HoldWindowsWhenQuiet()
{
	while (!_HoldWindows()) {
		if (!_WaitQuiet())
			return;
	}
}


void
ScriptDriver::_ReleaseWindows()
{
	for (auto& state : fHeld)
		UnlockLooperState(state);
	fHeld.clear();
	fWindows.clear();
}


std::vector<BWindow*>
ScriptDriver::_ShownWindows()
{
	std::vector<BWindow*> shown;
	for (BWindow* window : fDisplay->FrontToBack()) {
		if (std::find(fWindows.begin(), fWindows.end(), window)
				!= fWindows.end())
			shown.push_back(window);
	}
	return shown;
}


std::vector<BWindow*>
ScriptDriver::_ReachableWindows(BWindow** blocker)
{
	std::vector<BWindow*> shown = _ShownWindows();
	*blocker = NULL;
	for (BWindow* window : shown) {
		if (IsModal(window)) {
			*blocker = window;
			return std::vector<BWindow*>(1, window);
		}
	}
	return shown;
}


BAlert*
ScriptDriver::_ShowingAlert()
{
	BWindow* blocker;
	_ReachableWindows(&blocker);
	return dynamic_cast<BAlert*>(blocker);
}


// The view named so in the front-most window that has one taking this
// action, checked as a user would find it.
ScriptDriver::Target
ScriptDriver::_FindView(const std::string& name, uint32 action)
{
	BWindow* blocker;
	std::vector<BWindow*> reachable = _ReachableWindows(&blocker);
	std::string problem;
	for (BWindow* window : reachable) {
		BView* view = window->FindView(name.c_str());
		if (view == NULL)
			continue;
		if (!view->_AcceptsInput(action)) {
			problem = "\"" + name + "\" does not take this action";
			continue;
		}
		if (view->IsHidden()) {
			problem = "\"" + name + "\" is hidden";
			continue;
		}
		BControl* control = dynamic_cast<BControl*>(view);
		if (control != NULL && !control->IsEnabled())
			_Fail("\"" + name + "\" is disabled");
		Target target;
		target.window = window;
		target.view = view;
		return target;
	}
	if (!problem.empty())
		_Fail(problem);

	// Say why the user could not reach it.
	for (BWindow* window : fWindows) {
		if (window->FindView(name.c_str()) == NULL)
			continue;
		if (window->IsHidden())
			_Fail("\"" + name + "\" is in the hidden window \""
				+ window->Title() + "\"");
		if (blocker != NULL)
			_FailBlocked(blocker);
	}
	_Fail("no view \"" + name + "\"");
}


void
ScriptDriver::_FailBlocked(BWindow* blocker)
{
	if (dynamic_cast<BAlert*>(blocker) != NULL)
		_Fail(std::string("an alert is showing (") + blocker->Title() + ")");
	_Fail(std::string("a modal window is showing (") + blocker->Title() + ")");
}


void
ScriptDriver::_SendInput(const std::string& name, BMessage* input)
{
	Target target = _FindView(name, input->what);
	input->AddInt32("view", target.view->_Token());
	_Post(target.window, input);
}


void
ScriptDriver::_Post(BWindow* window, BMessage* message)
{
	if (BMessenger(window).SendMessage(message) != B_OK)
		_Fail("the window is gone");
}


void
ScriptDriver::_Click(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: click NAME");
	BMessage input(B_INPUT_CLICK);
	_SendInput(words[1], &input);
}


void
ScriptDriver::_Type(const std::vector<std::string>& words)
{
	_SendTextInput(words, B_INPUT_TYPE, "text", "usage: type NAME TEXT");
}


void
ScriptDriver::_SendTextInput(const std::vector<std::string>& words,
	uint32 action, const char* field, const char* usage)
{
	if (words.size() != 3)
		_Fail(usage);
	BMessage input(action);
	input.AddString(field, words[2].c_str());
	_SendInput(words[1], &input);
}


void
ScriptDriver::_Menu(const std::vector<std::string>& words)
{
	if (words.size() != 3)
		_Fail("usage: menu MENU ITEM");
	BWindow* blocker;
	std::vector<BWindow*> reachable = _ReachableWindows(&blocker);
	for (BWindow* window : reachable) {
		for (int32 i = 0; BView* child = window->ChildAt(i); i++) {
			BMenuBar* bar = dynamic_cast<BMenuBar*>(child);
			if (bar == NULL || bar->IsHidden())
				continue;
			BMenu* menu = bar->_MenuLabelled(words[1].c_str());
			if (menu == NULL)
				continue;
			BMenuItem* chosen = BMenuBar::_CommandLabelled(menu,
				words[2].c_str());
			if (chosen == NULL)
				_Fail("no item \"" + words[2] + "\" in menu \"" + words[1]
					+ "\"");
			if (!chosen->IsEnabled())
				_Fail("\"" + words[2] + "\" is disabled");
			BMessage input(B_INPUT_MENU);
			input.AddInt32("view", bar->_Token());
			input.AddString("menu", words[1].c_str());
			input.AddString("item", words[2].c_str());
			_Post(window, &input);
			return;
		}
	}
	if (blocker != NULL)
		_FailBlocked(blocker);
	_Fail("no menu \"" + words[1] + "\"");
}


void
ScriptDriver::_Pick(const std::vector<std::string>& words)
{
	_SendTextInput(words, B_INPUT_PICK, "item", "usage: pick NAME ITEM");
}


void
ScriptDriver::_Tab(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: tab LABEL");
	BWindow* blocker;
	std::vector<BWindow*> reachable = _ReachableWindows(&blocker);
	std::vector<BView*> pending;
	for (BWindow* window : reachable) {
		pending.assign(1, window->_TopView());
		while (!pending.empty()) {
			BView* view = pending.back();
			pending.pop_back();
			for (int32 i = 0; BView* child = view->ChildAt(i); i++)
				pending.push_back(child);
			BTabView* tabs = dynamic_cast<BTabView*>(view);
			if (tabs == NULL || tabs->IsHidden())
				continue;
			for (int32 i = 0; BTab* tab = tabs->TabAt(i); i++) {
				if (tab->Label() == NULL || words[1] != tab->Label())
					continue;
				if (!tab->IsEnabled())
					_Fail("tab \"" + words[1] + "\" is disabled");
				BMessage input(B_INPUT_TAB);
				input.AddInt32("view", tabs->_Token());
				input.AddInt32("index", i);
				_Post(window, &input);
				return;
			}
		}
	}
	if (blocker != NULL)
		_FailBlocked(blocker);
	_Fail("no tab \"" + words[1] + "\"");
}


void
ScriptDriver::_Select(const std::vector<std::string>& words)
{
	if (words.size() < 2)
		_Fail("usage: select NAME INDEX...");
	BMessage input(B_INPUT_SELECT);
	for (size_t i = 2; i < words.size(); i++) {
		int32 index;
		if (!ParseIndex(words[i], &index))
			_Fail("\"" + words[i] + "\" is not an index");
		input.AddInt32("index", index);
	}
	_SendInput(words[1], &input);
}


void
ScriptDriver::_Drop(const std::vector<std::string>& words)
{
	if (words.size() < 3)
		_Fail("usage: drop NAME PATH...");
	BWindow* blocker;
	std::vector<BWindow*> reachable = _ReachableWindows(&blocker);
	for (BWindow* window : reachable) {
		BView* view = window->FindView(words[1].c_str());
		if (view == NULL)
			continue;
		if (view->IsHidden())
			_Fail("\"" + words[1] + "\" is hidden");
		BMessage drop(B_SIMPLE_DATA);
		for (size_t i = 2; i < words.size(); i++) {
			entry_ref ref;
			if (get_ref_for_path(words[i].c_str(), &ref) != B_OK)
				_Fail("cannot drop \"" + words[i] + "\"");
			drop.AddRef("refs", &ref);
		}
		if (BMessenger(view).SendMessage(&drop) != B_OK)
			_Fail("the window is gone");
		return;
	}
	if (blocker != NULL)
		_FailBlocked(blocker);
	_Fail("no view \"" + words[1] + "\"");
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
			_Fail("cannot hand over \"" + words[i] + "\"");
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
	BAlert* alert = _ShowingAlert();
	if (alert == NULL)
		_Fail("no alert is showing");
	BButton* button = alert->ButtonAt(index);
	if (button == NULL)
		_Fail("the alert has no button " + words[1]);
	BMessage input(B_INPUT_CLICK);
	input.AddInt32("view", button->_Token());
	_Post(alert, &input);
}


void
ScriptDriver::_Close(const std::vector<std::string>& words)
{
	if (words.size() != 2)
		_Fail("usage: close TITLE");
	BWindow* blocker;
	std::vector<BWindow*> reachable = _ReachableWindows(&blocker);
	for (BWindow* window : _ShownWindows()) {
		if (words[1] != window->Title())
			continue;
		if (blocker != NULL && blocker != window)
			_FailBlocked(blocker);
		if ((window->Flags() & B_NOT_CLOSABLE) != 0)
			_Fail("window \"" + words[1] + "\" has no close box");
		BMessage close(B_QUIT_REQUESTED);
		_Post(window, &close);
		return;
	}
	_Fail("no window \"" + words[1] + "\" is showing");
}


void
ScriptDriver::_WaitHidden(const std::vector<std::string>& words)
{
	double seconds;
	if (words.size() != 3 || !ParseNumber(words[2], &seconds) || seconds < 0)
		_Fail("usage: wait-hidden TITLE SECONDS");
	bigtime_t deadline = system_time() + (bigtime_t)(seconds * 1000000);
	while (true) {
		bool showing = false;
		for (BWindow* window : _ShownWindows()) {
			if (words[1] == window->Title())
				showing = true;
		}
		if (!showing)
			return;
		if (system_time() >= deadline)
			_Fail("window \"" + words[1] + "\" still showing after "
				+ words[2] + " seconds");
		_ReleaseWindows();
		snooze(10000);
		if (!_WaitQuiet())
			return;
		_HoldWindowsWhenQuiet();
	}
}


void
ScriptDriver::_WaitText(const std::vector<std::string>& words)
{
	double seconds;
	if (words.size() != 4 || !ParseNumber(words[3], &seconds) || seconds < 0)
		_Fail("usage: wait-text NAME TEXT SECONDS");
	bigtime_t deadline = system_time() + (bigtime_t)(seconds * 1000000);
	while (true) {
		for (BWindow* window : fWindows) {
			BView* view = window->FindView(words[1].c_str());
			if (view != NULL && ShownText(view) == words[2])
				return;
		}
		if (system_time() >= deadline)
			_Fail("\"" + words[1] + "\" does not show \"" + words[2]
				+ "\" after " + words[3] + " seconds");
		_ReleaseWindows();
		snooze(10000);
		if (!_WaitQuiet())
			return;
		_HoldWindowsWhenQuiet();
	}
}


void
ScriptDriver::_Dump()
{
	for (BWindow* window : fWindows) {
		PrintLine("window " + QuoteForDump(window->Title()) + " hidden="
			+ (window->IsHidden() ? "1" : "0") + " frame="
			+ FrameText(window->Frame()));
		for (int32 j = 0; BView* child = window->ChildAt(j); j++)
			DumpView(child, 1);
	}
}

} // namespace BPrivate
