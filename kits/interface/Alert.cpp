#include <Alert.h>

#include <math.h>
#include <stdio.h>

#include <condition_variable>
#include <string>
#include <mutex>

#include <Button.h>
#include <Message.h>
#include <StringView.h>

#include <Application.h>

#include <atomic>
#include <set>

#include "display/DisplayServer.h"
#include "private/app/LooperState.h"
#include "private/interface/OutsideQuit.h"
#include "private/interface/ViewPrivate.h"
#include "private/app/MessengerPrivate.h"
#include "private/interface/WindowPrivate.h"
#include "private/app/HandlerPrivate.h"

namespace BPrivate {

struct AlertResult {
	std::mutex				lock;
	std::condition_variable	pressed;
	bool					done = false;
	int32					button = -1;
	thread_id				waiter = -1;
};

} // namespace BPrivate

namespace {

const uint32 kButtonPressed = '_ALB';

// BeOS's alert: a stripe of a darker grey down the left edge with the
// icon over it, and beside it a fixed width of text that grows downwards.
const float kStripeWidth = 32;
const BRect kIconFrame(18, 6, 49, 37);
const float kTextLeft = 60;
const float kTextWidth = 310;
const float kWidth = kTextLeft + kTextWidth + 10;
const rgb_color kStripeColor = { 184, 184, 184, 255 };

std::atomic<bool> sQuittingFromOutside(false);

// The alerts whose Go is waiting, by window token. Never destroyed: alert
// threads may outlive main.
struct ShowingAlerts {
	std::mutex		lock;
	std::set<int32>	tokens;
};

ShowingAlerts&
Showing()
{
	static ShowingAlerts* sShowing = new ShowingAlerts;
	return *sShowing;
}

size_t
CharacterLength(const std::string& text, size_t at)
{
	size_t length = 1;
	while (at + length < text.size()
		&& ((unsigned char)text[at + length] & 0xc0) == 0x80)
		length++;
	return length;
}


// The longest start of word that fits the width, at least one character:
// after its last '/' where there is one, as a path reads best.
size_t
FittingPart(const BView* view, const std::string& word, float width)
{
	size_t fits = CharacterLength(word, 0);
	for (size_t end = fits; end < word.size();) {
		size_t next = end + CharacterLength(word, end);
		if (view->StringWidth(word.substr(0, next).c_str()) > width)
			break;
		end = fits = next;
	}
	size_t slash = word.rfind('/', fits - 1);
	if (slash != std::string::npos && slash > 0 && slash + 1 < fits)
		fits = slash + 1;
	return fits;
}


// The text in lines no wider than the width, broken at blanks as BeOS's
// alerts break it; a word wider than a whole line is broken inside.
std::string
WrappedText(const BView* view, const std::string& text, float width)
{
	std::string wrapped;
	size_t start = 0;
	while (start <= text.size()) {
		size_t end = text.find('\n', start);
		if (end == std::string::npos)
			end = text.size();
		std::string paragraph = text.substr(start, end - start);
		std::string line;
		size_t at = 0;
		while (at < paragraph.size()) {
			size_t blank = paragraph.find(' ', at);
			if (blank == std::string::npos)
				blank = paragraph.size();
			std::string word = paragraph.substr(at, blank - at);
			at = blank + 1;
			std::string longer = line.empty() ? word : line + " " + word;
			if (view->StringWidth(longer.c_str()) <= width) {
				line = longer;
				continue;
			}
			if (!line.empty()) {
				wrapped += line + "\n";
				line.clear();
			}
			while (view->StringWidth(word.c_str()) > width) {
				size_t part = FittingPart(view, word, width);
				wrapped += word.substr(0, part) + "\n";
				word.erase(0, part);
			}
			line = word;
		}
		wrapped += line;
		if (end < text.size())
			wrapped += "\n";
		start = end + 1;
	}
	return wrapped;
}

} // namespace


// The icon of an alert's type, drawn by the display. Named as Haiku names
// the views private to its alert.
class TAlertIconView : public BView {
public:
	TAlertIconView(BRect frame, alert_type type)
		:
		BView(frame, "_icon_", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
		fType(type)
	{
		BView::Private(this).SetKind(BPrivate::B_DISPLAY_ICON_VIEW);
	}

private:
	virtual void _SendState()
	{
		BView::Private(this).SendValue(BPrivate::B_DISPLAY_VIEW_VALUE,
			(int32)fType);
	}

	alert_type fType;
};


void
BPrivate::QuitFromOutside()
{
	sQuittingFromOutside = true;
	std::set<int32> tokens;
	{
		std::lock_guard<std::mutex> lock(Showing().lock);
		tokens = Showing().tokens;
	}
	for (int32 token : tokens) {
		BMessage dismiss(kButtonPressed);
		dismiss.AddInt32("which", -1);
		BMessenger alert;
		BMessenger::Private(&alert).SetTo(token, -1);
		alert.SendMessage(&dismiss);
	}
	be_app_messenger.SendMessage(B_QUIT_REQUESTED);
}


bool
BPrivate::IsQuittingFromOutside()
{
	return sQuittingFromOutside;
}


BAlert::BAlert(const char* title, const char* text, const char* button0,
	const char* button1, const char* button2, button_width, alert_type type)
	:
	BWindow(BRect(100, 100, 100 + kWidth, 180), title, B_MODAL_WINDOW_LOOK,
		B_MODAL_APP_WINDOW_FEEL, B_NOT_CLOSABLE | B_NOT_RESIZABLE
			| B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS),
	fButtonCount(0),
	fType(type),
	fResult(std::make_shared<BPrivate::AlertResult>())
{
	BView* back = new BView(Bounds(), "back view", B_FOLLOW_ALL_SIDES, 0);
	back->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(back);

	BView* stripe = new BView(BRect(0, 0, kStripeWidth - 1, Bounds().bottom),
		"_stripe_", B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, 0);
	stripe->SetViewColor(kStripeColor);
	back->AddChild(stripe);
	if (type != B_EMPTY_ALERT)
		back->AddChild(new TAlertIconView(kIconFrame, type));

	// The text keeps its width and wraps; the alert grows downwards to
	// hold it, so it is never cut and never wider than BeOS made it.
	fText = text != NULL ? text : "";
	std::string shown = WrappedText(back, fText, kTextWidth);
	font_height fontHeight;
	back->GetFontHeight(&fontHeight);
	float lineHeight = ceilf(fontHeight.ascent + fontHeight.descent
		+ fontHeight.leading);
	int32 lines = 1;
	for (char c : shown)
		lines += c == '\n' ? 1 : 0;
	float width = kWidth;
	float textBottom = 10 + lines * lineHeight - 1;
	fTextView = new BStringView(BRect(kTextLeft, 10,
		kTextLeft + kTextWidth - 1, textBottom), "_tv_", shown.c_str());
	back->AddChild(fTextView);

	const char* labels[3] = { button0, button1, button2 };
	for (int32 i = 0; i < 3; i++) {
		fButtons[i] = NULL;
		fKeys[i] = 0;
	}
	for (int32 i = 0; i < 3 && labels[i] != NULL; i++) {
		BMessage* message = new BMessage(kButtonPressed);
		message->AddInt32("which", i);
		char name[8];
		snprintf(name, sizeof(name), "_b%d_", (int)i);
		fButtons[i] = new BButton(BRect(0, 0, 74, 24), name, labels[i],
			message, B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
		fButtons[i]->ResizeToPreferred();
		fButtonCount++;
	}

	// Buttons stand right-aligned below the text, the last one rightmost.
	float buttonTop = fmaxf(textBottom + 12, kIconFrame.bottom + 6);
	float right = width - 10;
	for (int32 i = fButtonCount - 1; i >= 0; i--) {
		BRect frame = fButtons[i]->Frame();
		fButtons[i]->MoveTo(right - frame.Width(), buttonTop);
		right -= frame.Width() + 8;
	}
	float height = buttonTop + (fButtonCount > 0
		? fButtons[0]->Frame().Height() : 0) + 10;
	ResizeTo(width, height);
	for (int32 i = 0; i < fButtonCount; i++) {
		back->AddChild(fButtons[i]);
		fButtons[i]->SetTarget(this);
	}
	// As on BeOS, Enter presses the last button; a lone button is also
	// what Escape means.
	if (fButtonCount > 0)
		fButtons[fButtonCount - 1]->MakeDefault(true);
	if (fButtonCount == 1)
		fKeys[0] = B_ESCAPE;
}


BAlert::~BAlert()
{
}


int32
BAlert::Go()
{
	std::shared_ptr<BPrivate::AlertResult> result = fResult;
	int32 token = BHandler::Private(this).Token();
	{
		std::lock_guard<std::mutex> lock(result->lock);
		result->waiter = find_thread(NULL);
	}
	{
		std::lock_guard<std::mutex> lock(Showing().lock);
		Showing().tokens.insert(token);
	}
	// Checked after the alert is listed, so that a quit from outside either
	// sees it or is seen here.
	bool quitting = BPrivate::IsQuittingFromOutside();
	if (quitting) {
		std::lock_guard<std::mutex> lock(result->lock);
		result->done = true;
	} else
		Show();
	if (!quitting && Lock()) {
		BPrivate::DisplayCommand command
			= Private(this).Command(BPrivate::B_DISPLAY_ALERT_SHOWN);
		command.name = Title();
		command.text = Text() != NULL ? Text() : "";
		command.value = fType;
		BPrivate::SendToDisplay(command);
		Unlock();
	}

	BPrivate::EnterAlertWait();
	int32 button;
	{
		std::unique_lock<std::mutex> lock(result->lock);
		result->pressed.wait(lock, [&result] { return result->done; });
		button = result->button;
	}
	BPrivate::LeaveAlertWait(find_thread(NULL));
	{
		std::lock_guard<std::mutex> lock(Showing().lock);
		Showing().tokens.erase(token);
	}

	if (Lock())
		Quit();
	return button;
}


void
BAlert::MessageReceived(BMessage* message)
{
	int32 which;
	if (message->what == kButtonPressed
		&& message->FindInt32("which", &which) == B_OK) {
		{
			std::lock_guard<std::mutex> lock(fResult->lock);
			if (!fResult->done) {
				fResult->done = true;
				fResult->button = which;
			}
			BPrivate::LeaveAlertWait(fResult->waiter);
		}
		fResult->pressed.notify_all();
		return;
	}
	BWindow::MessageReceived(message);
}


// A button's key presses it wherever the focus is, as long as the button
// can be pressed.
void
BAlert::DispatchMessage(BMessage* message, BHandler* handler)
{
	const char* bytes;
	int32 view;
	int32 modifiers = 0;
	if (message->what == BPrivate::B_INPUT_KEY && !IsHidden()
		&& !BWindow::Private(this).IsBehindModal()
		&& message->FindString("bytes", &bytes) == B_OK
		&& bytes[0] != '\0' && bytes[1] == '\0'
		&& message->FindInt32("view", &view) != B_OK
		&& (message->FindInt32("modifiers", &modifiers) != B_OK
			|| (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) == 0)) {
		for (int32 i = 0; i < fButtonCount; i++) {
			if (fKeys[i] != 0 && fKeys[i] == bytes[0]) {
				if (fButtons[i]->IsEnabled() && !fButtons[i]->IsHidden())
					fButtons[i]->Invoke();
				return;
			}
		}
	}
	BWindow::DispatchMessage(message, handler);
}


void
BAlert::SetShortcut(int32 index, char key)
{
	if (index >= 0 && index < fButtonCount)
		fKeys[index] = key;
}


char
BAlert::Shortcut(int32 index) const
{
	if (index < 0 || index >= fButtonCount)
		return 0;
	return fKeys[index];
}


BButton*
BAlert::ButtonAt(int32 index) const
{
	if (index < 0 || index >= fButtonCount)
		return NULL;
	return fButtons[index];
}


const char*
BAlert::Text() const
{
	return fText.c_str();
}
