#include <View.h>

#include <cxxabi.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <typeinfo>
#include <utility>

#include <Looper.h>
#include <Window.h>

#include "display/DisplayServer.h"
#include "private/interface/ViewPrivate.h"
#include "private/interface/WindowPrivate.h"
#include "private/app/HandlerPrivate.h"

using BPrivate::DisplayCommand;


std::string
_ClassNameOf(const std::type_info& type)
{
	int status = 0;
	char* name = abi::__cxa_demangle(type.name(), NULL, NULL, &status);
	std::string result = status == 0 && name != NULL ? name : type.name();
	free(name);
	return result;
}


BPrivate::DisplayCommand
BView::Private::Command(uint32 code) const
{
	DisplayCommand command(code);
	command.window = fView->fWindow != NULL
		? BHandler::Private(fView->fWindow).Token() : -1;
	command.view = BHandler::Private(fView).Token();
	return command;
}


void
BView::Private::Send(const DisplayCommand& command) const
{
	if (IsAttached())
		BPrivate::SendToDisplay(command);
}


void
BView::Private::Send(DisplayCommand&& command) const
{
	if (IsAttached())
		BPrivate::SendToDisplay(std::move(command));
}


void
BView::Private::SendText(uint32 code, const char* text) const
{
	if (!IsAttached())
		return;
	DisplayCommand command = Command(code);
	command.text = text != NULL ? text : "";
	BPrivate::SendToDisplay(command);
}


void
BView::Private::SendValue(uint32 code, int32 value) const
{
	if (!IsAttached())
		return;
	DisplayCommand command = Command(code);
	command.value = value;
	BPrivate::SendToDisplay(command);
}


BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	:
	BHandler(name),
	fFrame(frame),
	fResizingMode(resizingMode),
	fFlags(flags),
	fParent(NULL),
	fWindow(NULL),
	fHidden(false),
	fViewColor(rgb_color{ 255, 255, 255, 255 }),
	fDisplayKind(BPrivate::B_DISPLAY_PLAIN_VIEW)
{
	// Frames are whole pixels, as the display draws them.
	fFrame.left = roundf(fFrame.left);
	fFrame.top = roundf(fFrame.top);
	fFrame.right = roundf(fFrame.right);
	fFrame.bottom = roundf(fFrame.bottom);
}


BView::~BView()
{
	if (fParent != NULL)
		fParent->RemoveChild(this);
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		RemoveChild(child);
		delete child;
	}
}


void
BView::AttachedToWindow()
{
}


void
BView::AllAttached()
{
}


void
BView::DetachedFromWindow()
{
}


void
BView::Draw(BRect)
{
}


void
BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


void
BView::MouseDown(BPoint)
{
}


void
BView::MouseUp(BPoint)
{
}


void
BView::KeyDown(const char*, int32)
{
}


void
BView::MakeFocus(bool focus)
{
	if (fWindow == NULL)
		return;
	_CheckLock();
	if (focus)
		BWindow::Private(fWindow).SetFocus(this);
	else if (fWindow->CurrentFocus() == this)
		BWindow::Private(fWindow).SetFocus(NULL);
}


bool
BView::IsFocus() const
{
	return fWindow != NULL && fWindow->CurrentFocus() == this;
}


void
BView::GetPreferredSize(float* width, float* height)
{
	if (width != NULL)
		*width = fFrame.Width();
	if (height != NULL)
		*height = fFrame.Height();
}


void
BView::ResizeToPreferred()
{
	float width, height;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}


void
BView::AddChild(BView* child, BView* before)
{
	_CheckLock();
	if (child == NULL || child->fParent != NULL || child == this)
		return;
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow != NULL) {
		child->_SetWindow(fWindow);
		child->AllAttached();
	}
}


bool
BView::RemoveChild(BView* child)
{
	_CheckLock();
	auto position = std::find(fChildren.begin(), fChildren.end(), child);
	if (child == NULL || position == fChildren.end())
		return false;
	if (child->fWindow != NULL) {
		BPrivate::SendToDisplay(
			Private(child).Command(BPrivate::B_DISPLAY_VIEW_REMOVED));
	}
	fChildren.erase(position);
	child->_SetWindow(NULL);
	child->fParent = NULL;
	return true;
}


bool
BView::RemoveSelf()
{
	return fParent != NULL && fParent->RemoveChild(this);
}


int32
BView::CountChildren() const
{
	return (int32)fChildren.size();
}


BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= (int32)fChildren.size())
		return NULL;
	return fChildren[index];
}


BView*
BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	for (BView* child : fChildren) {
		if (child->Name() != NULL && strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return NULL;
}


BRect
BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


void
BView::MoveTo(float x, float y)
{
	_CheckLock();
	x = roundf(x);
	y = roundf(y);
	if (x == fFrame.left && y == fFrame.top)
		return;
	fFrame.OffsetTo(x, y);
	_SendFrame();
}


void
BView::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BView::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BView::ResizeTo(float width, float height)
{
	_CheckLock();
	width = roundf(width);
	height = roundf(height);
	float dx = width - fFrame.Width();
	float dy = height - fFrame.Height();
	if (dx == 0 && dy == 0)
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	_SendFrame();
	for (BView* child : fChildren)
		child->_ParentResized(dx, dy);
}


void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


void
BView::_SendFrame()
{
	if (fWindow == NULL)
		return;
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_VIEW_FRAME);
	command.rect = fFrame;
	BPrivate::SendToDisplay(command);
}


// Each edge follows the parent's edge its rule names.
void
BView::_ParentResized(float dx, float dy)
{
	uint32 leftRule = (fResizingMode >> 12) & 0xf;
	uint32 topRule = (fResizingMode >> 8) & 0xf;
	uint32 rightRule = (fResizingMode >> 4) & 0xf;
	uint32 bottomRule = fResizingMode & 0xf;

	auto shift = [](uint32 rule, uint32 far, float delta) -> float {
		if (rule == far)
			return delta;
		if (rule == _VIEW_CENTER_)
			return roundf(delta / 2);
		return 0;
	};
	BRect frame = fFrame;
	frame.left += shift(leftRule, _VIEW_RIGHT_, dx);
	frame.right += shift(rightRule, _VIEW_RIGHT_, dx);
	frame.top += shift(topRule, _VIEW_BOTTOM_, dy);
	frame.bottom += shift(bottomRule, _VIEW_BOTTOM_, dy);
	MoveTo(frame.left, frame.top);
	ResizeTo(frame.Width(), frame.Height());
}


void
BView::Show()
{
	_CheckLock();
	if (!fHidden)
		return;
	fHidden = false;
	Private(this).SendValue(BPrivate::B_DISPLAY_VIEW_HIDDEN, 0);
}


void
BView::Hide()
{
	_CheckLock();
	if (fHidden)
		return;
	fHidden = true;
	Private(this).SendValue(BPrivate::B_DISPLAY_VIEW_HIDDEN, 1);
}


bool
BView::IsHidden() const
{
	for (const BView* view = this; view != NULL; view = view->fParent) {
		if (view->fHidden)
			return true;
	}
	return fWindow != NULL && fWindow->IsHidden();
}


void
BView::SetResizingMode(uint32 mode)
{
	fResizingMode = mode;
}


void
BView::SetFlags(uint32 flags)
{
	fFlags = flags;
}


void
BView::SetViewColor(rgb_color color)
{
	_CheckLock();
	fViewColor = color;
	if (fWindow == NULL)
		return;
	DisplayCommand command
		= Private(this).Command(BPrivate::B_DISPLAY_VIEW_COLOR);
	command.color = color;
	BPrivate::SendToDisplay(command);
}


void
BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(rgb_color{ red, green, blue, alpha });
}


float
BView::StringWidth(const char* string) const
{
	return BPrivate::DisplayServer::Current()->StringWidth(string);
}


void
BView::GetFontHeight(font_height* height) const
{
	BPrivate::DisplayServer::Current()->GetFontHeight(height);
}


void
BView::Invalidate()
{
	// The display draws from its copy of the state, which every setter
	// keeps up to date; there is nothing more to tell it.
}


void
BView::_SendState()
{
}


void
BView::_CheckLock() const
{
	if (fWindow != NULL)
		fWindow->AssertLocked();
}


void
BView::_SetWindow(BWindow* window)
{
	if (window == fWindow)
		return;
	if (fWindow != NULL) {
		// A view that leaves its window takes the focus with it.
		if (fWindow->CurrentFocus() == this)
			BWindow::Private(fWindow).SetFocus(NULL);
		DetachedFromWindow();
		fWindow->RemoveHandler(this);
	}
	fWindow = window;
	if (window != NULL) {
		window->AddHandler(this);
		SetNextHandler(fParent != NULL ? (BHandler*)fParent
			: (BHandler*)window);
		// The window's top view is announced with the window itself.
		if (fParent != NULL) {
			DisplayCommand command
				= Private(this).Command(BPrivate::B_DISPLAY_VIEW_ADDED);
			command.parent = BHandler::Private(fParent).Token();
			command.index = (int32)(std::find(fParent->fChildren.begin(),
				fParent->fChildren.end(), this) - fParent->fChildren.begin());
			command.kind = fDisplayKind;
			command.text = _ClassNameOf(typeid(*this));
			command.name = Name() != NULL ? Name() : "";
			command.rect = fFrame;
			command.mode = fResizingMode;
			command.flags = fFlags;
			command.value = fHidden ? 1 : 0;
			command.color = fViewColor;
			BPrivate::SendToDisplay(command);
			_SendState();
		}
		AttachedToWindow();
	}
	for (BView* child : fChildren)
		child->_SetWindow(window);
}
