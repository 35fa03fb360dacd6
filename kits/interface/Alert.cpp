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
const float kWidth = 310;

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

} // namespace


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

	// One line of text per line of the message, and wide enough for the
	// longest: the text is never cut.
	font_height fontHeight;
	back->GetFontHeight(&fontHeight);
	float lineHeight = ceilf(fontHeight.ascent + fontHeight.descent
		+ fontHeight.leading);
	int32 lines = 0;
	float widest = 0;
	std::string all = text != NULL ? text : "";
	for (size_t start = 0; start <= all.size(); lines++) {
		size_t end = all.find('\n', start);
		if (end == std::string::npos)
			end = all.size();
		widest = fmaxf(widest, ceilf(back->StringWidth(
			all.substr(start, end - start).c_str())));
		start = end + 1;
	}
	float width = fmaxf(kWidth, 55 + widest + 10);
	float textBottom = 10 + lines * lineHeight;
	fTextView = new BStringView(BRect(55, 10, width - 10, textBottom),
		"_tv_", text);
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
	float buttonTop = textBottom + 12;
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
	return fTextView->Text();
}
