#include <Window.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include <Application.h>
#include <Button.h>
#include <ListView.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <TabView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>

#include "display/DisplayServer.h"
#include "private/app/ApplicationPrivate.h"
#include "private/interface/ListViewPrivate.h"
#include "private/interface/MenuFieldPrivate.h"
#include "private/interface/MenuPrivate.h"
#include "private/interface/TextViewPrivate.h"
#include "private/interface/ViewPrivate.h"
#include "private/interface/WindowPrivate.h"
#include "private/app/HandlerPrivate.h"

using BPrivate::DisplayCommand;

namespace {

window_look
LookForType(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW: return B_MODAL_WINDOW_LOOK;
		case B_DOCUMENT_WINDOW: return B_DOCUMENT_WINDOW_LOOK;
		case B_BORDERED_WINDOW: return B_BORDERED_WINDOW_LOOK;
		case B_FLOATING_WINDOW: return B_FLOATING_WINDOW_LOOK;
		default: return B_TITLED_WINDOW_LOOK;
	}
}


window_feel
FeelForType(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW: return B_MODAL_APP_WINDOW_FEEL;
		case B_FLOATING_WINDOW: return B_FLOATING_APP_WINDOW_FEEL;
		default: return B_NORMAL_WINDOW_FEEL;
	}
}


// Where Tab stops: a navigable view the user can act on now. A text
// control stands aside for its text view, which takes the keys.
bool
IsNavigable(BView* view)
{
	if ((view->Flags() & B_NAVIGABLE) == 0 || view->IsHidden()
		|| dynamic_cast<BTextControl*>(view) != NULL)
		return false;
	if (BControl* control = dynamic_cast<BControl*>(view))
		return control->IsEnabled();
	if (BMenuField* field = dynamic_cast<BMenuField*>(view))
		return field->IsEnabled();
	if (BTextView* text = dynamic_cast<BTextView*>(view)) {
		BTextControl* control = dynamic_cast<BTextControl*>(text->Parent());
		return text->IsEditable() && (control == NULL || control->IsEnabled());
	}
	return true;
}


// Shown windows of modal feel, in the order they came up: the last one is
// the one in front, the only window a user can reach. Kept by the kit, not
// only by the displays, because input reaches a window from more than one
// poster (a display, the script driver, a screen reader's actions), each
// judging from a copy that may be behind.
std::mutex sModalLock;
std::vector<const BWindow*> sModalWindows;


bool
IsModalFeel(window_feel feel)
{
	return feel == B_MODAL_APP_WINDOW_FEEL || feel == B_MODAL_ALL_WINDOW_FEEL;
}


void
SetModalShown(const BWindow* window, bool shown)
{
	std::lock_guard<std::mutex> lock(sModalLock);
	sModalWindows.erase(std::remove(sModalWindows.begin(),
		sModalWindows.end(), window), sModalWindows.end());
	if (shown && IsModalFeel(window->Feel()))
		sModalWindows.push_back(window);
}


// Every view under top, each before its children, children in the order
// they were added.
void
CollectViews(BView* top, std::vector<BView*>* views)
{
	for (int32 i = 0; BView* child = top->ChildAt(i); i++) {
		views->push_back(child);
		CollectViews(child, views);
	}
}

} // namespace


BPrivate::DisplayCommand
BWindow::Private::Command(uint32 code) const
{
	DisplayCommand command(code);
	command.window = BHandler::Private(fWindow).Token();
	return command;
}


BWindow::BWindow(BRect frame, const char* title, window_type type,
	uint32 flags, uint32 workspace)
	:
	BLooper(title),
	fType(type),
	fLook(LookForType(type)),
	fFeel(FeelForType(type))
{
	_Init(frame, title, flags, workspace);
}


BWindow::BWindow(BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags, uint32 workspace)
	:
	BLooper(title),
	fType(B_UNTYPED_WINDOW),
	fLook(look),
	fFeel(feel)
{
	_Init(frame, title, flags, workspace);
}


void
BWindow::_Init(BRect frame, const char* title, uint32 flags, uint32 workspace)
{
	fTitle = strdup(title != NULL ? title : "");
	SetName(fTitle);
	fFrame = frame;
	fFlags = flags;
	fWorkspaces = workspace == B_CURRENT_WORKSPACE ? 1 : workspace;
	fShowLevel = 1;
	fDefaultButton = NULL;
	fSizeLimits = BRect(0, 0, 32768, 32768);
	fFocus = NULL;
	fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL_SIDES, 0);

	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_WINDOW_CREATED);
	command.view = BHandler::Private(fTopView).Token();
	command.text = fTitle;
	command.rect = fFrame;
	command.look = fLook;
	command.feel = fFeel;
	command.flags = fFlags;
	BPrivate::SendToDisplay(command);

	BView::Private(fTopView).SetWindow(this);
	if (be_app != NULL)
		BApplication::Private::AddWindow(this);
}


bool
BWindow::Private::IsBehindModal() const
{
	std::lock_guard<std::mutex> lock(sModalLock);
	return !sModalWindows.empty() && sModalWindows.back() != fWindow;
}


BWindow::~BWindow()
{
	SetModalShown(this, false);
	BPrivate::SendToDisplay(
		Private(this).Command(BPrivate::B_DISPLAY_WINDOW_GONE));
	if (be_app != NULL)
		BApplication::Private::RemoveWindow(this);
	fFocus = NULL;
	BView::Private(fTopView).SetWindow(NULL);
	delete fTopView;
	free(fTitle);
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (BPrivate::IsUserInput(message->what) && Private(this).IsBehindModal()
		&& message->what != BPrivate::B_INPUT_FRAME) {
		// As for a click on the screen; the window manager's resizing
		// still holds.
		return;
	}
	switch (message->what) {
		case BPrivate::B_INPUT_CLICK:
		case BPrivate::B_INPUT_MENU_ITEM:
		case BPrivate::B_INPUT_TAB:
		case BPrivate::B_INPUT_CLOSE:
		case BPrivate::B_INPUT_DROP:
		case BPrivate::B_INPUT_KEY:
		case BPrivate::B_INPUT_SELECTION:
		case BPrivate::B_INPUT_TEXT:
		case BPrivate::B_INPUT_CARET:
		case BPrivate::B_INPUT_FRAME:
			_DispatchInput(message);
			return;
	}
	BLooper::DispatchMessage(message, handler);
}


// What the display saw may be stale by now: a view hidden, a control
// disabled or a window hidden since. Such input is dropped, as a user's
// click on something that has gone would be.
void
BWindow::_DispatchInput(BMessage* message)
{
	if (IsHidden())
		return;

	if (message->what == BPrivate::B_INPUT_CLOSE) {
		if ((fFlags & B_NOT_CLOSABLE) == 0 && QuitRequested())
			Quit();
		return;
	}

	if (message->what == BPrivate::B_INPUT_FRAME) {
		int32 newWidth;
		int32 newHeight;
		if (message->FindInt32("width", &newWidth) != B_OK
			|| message->FindInt32("height", &newHeight) != B_OK)
			return;
		float width = newWidth;
		float height = newHeight;
		if ((fFlags & (B_NOT_RESIZABLE | B_NOT_H_RESIZABLE)) != 0)
			width = fFrame.Width();
		if ((fFlags & (B_NOT_RESIZABLE | B_NOT_V_RESIZABLE)) != 0)
			height = fFrame.Height();
		width = std::max(fSizeLimits.left, std::min(fSizeLimits.right,
			roundf(width)));
		height = std::max(fSizeLimits.top, std::min(fSizeLimits.bottom,
			roundf(height)));
		// Told back even when unchanged: the display may show another
		// size by now.
		fFrame.right = fFrame.left + width;
		fFrame.bottom = fFrame.top + height;
		_SendFrame();
		fTopView->ResizeTo(width, height);
		return;
	}

	if (message->what == BPrivate::B_INPUT_DROP) {
		const void* data;
		ssize_t size;
		if (message->FindData("where", B_POINT_TYPE, &data, &size) != B_OK
			|| size != (ssize_t)sizeof(BPoint))
			return;
		BView* target = _ViewAt(*(const BPoint*)data);
		if (target == NULL)
			return;
		BMessage drop(B_SIMPLE_DATA);
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			drop.AddRef("refs", &ref);
		BLooper::DispatchMessage(&drop, target);
		return;
	}

	int32 token;
	BView* view = NULL;
	if (message->FindInt32("view", &token) == B_OK) {
		view = _FindView(token);
		if (view == NULL || view->IsHidden())
			return;
	}

	switch (message->what) {
		case BPrivate::B_INPUT_CLICK:
		{
			if (view == NULL)
				return;
			BPoint where(view->Bounds().Width() / 2,
				view->Bounds().Height() / 2);
			const void* data;
			ssize_t size;
			if (message->FindData("where", B_POINT_TYPE, &data, &size)
					== B_OK && size == (ssize_t)sizeof(BPoint))
				where = *(const BPoint*)data;
			view->MouseDown(where);
			view->MouseUp(where);
			break;
		}
		case BPrivate::B_INPUT_MENU_ITEM:
		{
			BMenuBar* bar = dynamic_cast<BMenuBar*>(view);
			int32 id;
			if (bar != NULL && message->FindInt32("item", &id) == B_OK)
				BMenu::Private(bar).ChooseItem(id);
			BMenuField* field = dynamic_cast<BMenuField*>(view);
			if (field != NULL && message->FindInt32("item", &id) == B_OK)
				BMenuField::Private(field).ChooseItem(id);
			break;
		}
		case BPrivate::B_INPUT_TAB:
		{
			BTabView* tabs = dynamic_cast<BTabView*>(view);
			int32 index;
			if (tabs != NULL && message->FindInt32("index", &index) == B_OK
				&& tabs->TabAt(index) != NULL && tabs->TabAt(index)->IsEnabled())
				tabs->Select(index);
			break;
		}
		case BPrivate::B_INPUT_KEY:
			_KeyDown(message, view);
			break;
		case BPrivate::B_INPUT_SELECTION:
		{
			BListView* list = dynamic_cast<BListView*>(view);
			if (list == NULL)
				return;
			std::vector<int32> indexes;
			int32 index;
			for (int32 i = 0; message->FindInt32("index", i, &index) == B_OK;
					i++)
				indexes.push_back(index);
			// A click in a list gives it the focus, as on BeOS.
			list->MakeFocus(true);
			BListView::Private(list).UserSelect(indexes);
			bool invoke = false;
			if (message->FindBool("invoke", &invoke) == B_OK && invoke)
				BListView::Private(list).UserInvoke();
			break;
		}
		case BPrivate::B_INPUT_TEXT:
		{
			BTextView* textView = dynamic_cast<BTextView*>(view);
			const char* text;
			int32 caret = -1;
			int32 anchor = -1;
			if (message->FindInt32("caret", &caret) != B_OK
				|| message->FindInt32("anchor", &anchor) != B_OK)
				caret = anchor = -1;
			if (textView != NULL && message->FindString("text", &text) == B_OK)
				BTextView::Private(textView).ApplyTyped(text, anchor, caret);
			break;
		}
		case BPrivate::B_INPUT_CARET:
		{
			BTextView* textView = dynamic_cast<BTextView*>(view);
			int32 caret;
			int32 anchor;
			if (textView != NULL && message->FindInt32("caret", &caret) == B_OK
				&& message->FindInt32("anchor", &anchor) == B_OK)
				BTextView::Private(textView).ApplyCaret(anchor, caret);
			break;
		}
	}
}


void
BWindow::_KeyDown(BMessage* message, BView* view)
{
	const char* bytes;
	if (message->FindString("bytes", &bytes) != B_OK || bytes[0] == '\0')
		return;
	int32 length = (int32)strlen(bytes);
	if (view != NULL) {
		view->KeyDown(bytes, length);
		return;
	}
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	int32 key = 0;
	message->FindInt32("key", &key);
	bool single = length == 1;

	if (single && bytes[0] == B_TAB
		&& (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) == 0) {
		if (BView* next = _NextNavigable((modifiers & B_SHIFT_KEY) != 0))
			next->MakeFocus(true);
		return;
	}
	if (single && bytes[0] == B_FUNCTION_KEY && key == B_F10_KEY) {
		_OpenMenuBar();
		return;
	}

	BView* focus = fFocus != NULL && !fFocus->IsHidden() ? fFocus : NULL;
	// A list that is invoked takes Enter for itself (a file panel enters
	// the folder chosen); elsewhere Enter is the default button's.
	BListView* list = dynamic_cast<BListView*>(focus);
	bool listTakesEnter = list != NULL && list->InvocationMessage() != NULL;
	if (single && bytes[0] == B_ENTER && !listTakesEnter
		&& fDefaultButton != NULL && !fDefaultButton->IsHidden()) {
		fDefaultButton->KeyDown(bytes, 1);
		return;
	}
	if (focus != NULL)
		focus->KeyDown(bytes, length);
}


BView*
BWindow::_NextNavigable(bool backward) const
{
	std::vector<BView*> views;
	CollectViews(fTopView, &views);
	int32 count = (int32)views.size();
	if (count == 0)
		return NULL;
	int32 at = -1;
	for (int32 i = 0; i < count; i++) {
		if (views[i] == fFocus)
			at = i;
	}
	// With no focus, Tab starts at the first view and Shift-Tab at the
	// last.
	if (at < 0)
		at = backward ? count : -1;
	for (int32 step = 1; step <= count; step++) {
		int32 i = backward ? at - step : at + step;
		i = ((i % count) + count) % count;
		if (views[i] != fFocus && IsNavigable(views[i]))
			return views[i];
	}
	return NULL;
}


// F10: the first menu of the window's first menu bar opens, as a click
// on its title would open it; the display moves in it from there.
void
BWindow::_OpenMenuBar()
{
	std::vector<BView*> views;
	CollectViews(fTopView, &views);
	for (BView* view : views) {
		BMenuBar* bar = dynamic_cast<BMenuBar*>(view);
		if (bar == NULL || bar->IsHidden() || !bar->IsEnabled())
			continue;
		for (int32 i = 0; BMenuItem* item = bar->ItemAt(i); i++) {
			if (!item->IsEnabled() || item->Submenu() == NULL)
				continue;
			DisplayCommand command = BView::Private(bar).Command(
				BPrivate::B_DISPLAY_MENU_OPENED);
			command.item = BMenuItem::Private(item).Id();
			BPrivate::SendToDisplay(command);
			return;
		}
		return;
	}
}


void
BWindow::_SetFocus(BView* view)
{
	AssertLocked();
	if (view == fFocus)
		return;
	fFocus = view;
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_WINDOW_FOCUS);
	command.view = view != NULL ? BHandler::Private(view).Token() : -1;
	BPrivate::SendToDisplay(command);
}


BView*
BWindow::_FindView(int32 token) const
{
	for (int32 i = 0; BHandler* handler = HandlerAt(i); i++) {
		BView* view = dynamic_cast<BView*>(handler);
		if (view != NULL && BHandler::Private(view).Token() == token)
			return view;
	}
	return NULL;
}


// The deepest shown view under the point, the last child on top.
BView*
BWindow::_ViewAt(BPoint where) const
{
	BView* view = fTopView;
	if (!view->Bounds().Contains(where))
		return NULL;
	while (true) {
		BView* hit = NULL;
		for (int32 i = view->CountChildren() - 1; i >= 0 && hit == NULL;
				i--) {
			BView* child = view->ChildAt(i);
			if (!BView::Private(child).IsHiddenItself()
				&& child->Frame().Contains(where))
				hit = child;
		}
		if (hit == NULL)
			return view;
		where.x -= hit->Frame().left;
		where.y -= hit->Frame().top;
		view = hit;
	}
}


void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


bool
BWindow::QuitRequested()
{
	return true;
}


void
BWindow::Quit()
{
	BLooper::Quit();
}


void
BWindow::Show()
{
	bool run = false;
	if (Thread() < 0)
		run = true;
	if (!Lock())
		return;
	fShowLevel--;
	if (fShowLevel == 0) {
		SetModalShown(this, true);
		BPrivate::SendToDisplay(
			Private(this).Command(BPrivate::B_DISPLAY_WINDOW_SHOWN));
	}
	Unlock();
	if (run)
		Run();
}


void
BWindow::Hide()
{
	if (!Lock())
		return;
	fShowLevel++;
	if (fShowLevel == 1) {
		SetModalShown(this, false);
		BPrivate::SendToDisplay(
			Private(this).Command(BPrivate::B_DISPLAY_WINDOW_HIDDEN));
	}
	Unlock();
}


bool
BWindow::IsHidden() const
{
	return fShowLevel > 0;
}


void
BWindow::MoveTo(float x, float y)
{
	if (!Lock())
		return;
	fFrame.OffsetTo(x, y);
	_SendFrame();
	Unlock();
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BWindow::ResizeTo(float width, float height)
{
	if (!Lock())
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	_SendFrame();
	fTopView->ResizeTo(width, height);
	Unlock();
}


void
BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


void
BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight,
	float maxHeight)
{
	if (!Lock())
		return;
	fSizeLimits = BRect(std::max(0.0f, minWidth), std::max(0.0f, minHeight),
		std::max(minWidth, maxWidth), std::max(minHeight, maxHeight));
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_WINDOW_SIZE_LIMITS);
	command.rect = fSizeLimits;
	BPrivate::SendToDisplay(command);
	Unlock();
}


void
BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
	float* maxHeight) const
{
	if (minWidth != NULL)
		*minWidth = fSizeLimits.left;
	if (maxWidth != NULL)
		*maxWidth = fSizeLimits.right;
	if (minHeight != NULL)
		*minHeight = fSizeLimits.top;
	if (maxHeight != NULL)
		*maxHeight = fSizeLimits.bottom;
}


void
BWindow::_SendFrame()
{
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_WINDOW_FRAME);
	command.rect = fFrame;
	BPrivate::SendToDisplay(command);
}


BRect
BWindow::Frame() const
{
	return fFrame;
}


BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


void
BWindow::SetTitle(const char* title)
{
	if (!Lock())
		return;
	free(fTitle);
	fTitle = strdup(title != NULL ? title : "");
	SetName(fTitle);
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_WINDOW_TITLE);
	command.text = fTitle;
	BPrivate::SendToDisplay(command);
	Unlock();
}


const char*
BWindow::Title() const
{
	return fTitle;
}


void
BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}


bool
BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}


int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}


BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}


BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}


void
BWindow::Activate(bool active)
{
	if (!Lock())
		return;
	if (active && !IsHidden()) {
		BPrivate::SendToDisplay(
			Private(this).Command(BPrivate::B_DISPLAY_WINDOW_ACTIVATED));
	}
	Unlock();
}


void
BWindow::SetDefaultButton(BButton* button)
{
	if (!Lock())
		return;
	fDefaultButton = button;
	Unlock();
}
