#include <View.h>

#include <math.h>
#include <string.h>

#include <algorithm>

#include <Looper.h>
#include <Window.h>

#include "display/DisplayServer.h"
#include "private/ViewDump.h"

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	:
	BHandler(name),
	fFrame(frame),
	fResizingMode(resizingMode),
	fFlags(flags),
	fParent(NULL),
	fWindow(NULL),
	fHidden(false),
	fViewColor(rgb_color{ 255, 255, 255, 255 })
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
	auto position = std::find(fChildren.begin(), fChildren.end(), child);
	if (child == NULL || position == fChildren.end())
		return false;
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
	fFrame.OffsetTo(roundf(x), roundf(y));
	Invalidate();
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
	width = roundf(width);
	height = roundf(height);
	float dx = width - fFrame.Width();
	float dy = height - fFrame.Height();
	if (dx == 0 && dy == 0)
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	for (BView* child : fChildren)
		child->_ParentResized(dx, dy);
	Invalidate();
}


void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
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
	fHidden = false;
	Invalidate();
}


void
BView::Hide()
{
	fHidden = true;
	Invalidate();
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
	fViewColor = color;
	Invalidate();
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
	// The headless display draws nothing; a drawing display picks the
	// change up from the view's state.
}


void
BView::_Dump(BPrivate::ViewDump&) const
{
}


bool
BView::_AcceptsInput(uint32) const
{
	return false;
}


void
BView::_HandleInput(BMessage*)
{
}


void
BView::_SetWindow(BWindow* window)
{
	if (window == fWindow)
		return;
	if (fWindow != NULL) {
		DetachedFromWindow();
		fWindow->RemoveHandler(this);
	}
	fWindow = window;
	if (window != NULL) {
		window->AddHandler(this);
		SetNextHandler(fParent != NULL ? (BHandler*)fParent
			: (BHandler*)window);
		AttachedToWindow();
	}
	for (BView* child : fChildren)
		child->_SetWindow(window);
}
