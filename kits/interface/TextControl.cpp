#include <TextControl.h>

#include <math.h>

#include <Window.h>

#include "private/interface/TextViewPrivate.h"
#include "private/interface/ViewPrivate.h"

namespace {

// The text view sits inside the control's frame, inset by its border.
const float kTextInset = 3;

} // namespace


BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode,
	uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags),
	fTextView(NULL),
	fModificationMessage(NULL),
	fDivider(0)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_TEXT_CONTROL);
	if (label != NULL && label[0] != '\0')
		fDivider = ceilf(StringWidth(label)) + 5;
	BRect bounds = Bounds();
	BRect textFrame(fDivider + kTextInset, kTextInset,
		bounds.right - kTextInset, bounds.bottom - kTextInset);
	fTextView = new BTextView(textFrame, "_input_",
		textFrame.OffsetToCopy(0, 0), B_FOLLOW_ALL_SIDES,
		B_WILL_DRAW | B_NAVIGABLE);
	AddChild(fTextView);
	fTextView->SetText(initialText);
}


BTextControl::~BTextControl()
{
	delete fModificationMessage;
}


void
BTextControl::SetText(const char* text)
{
	fTextView->SetText(text);
}


const char*
BTextControl::Text() const
{
	return fTextView->Text();
}


void
BTextControl::SetModificationMessage(BMessage* message)
{
	delete fModificationMessage;
	fModificationMessage = message;
}


// The text view starts where the label ends and keeps its right edge.
void
BTextControl::SetDivider(float position)
{
	BView::Private view(this);
	view.CheckLock();
	fDivider = roundf(position);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_DIVIDER, (int32)fDivider);
	BRect frame = fTextView->Frame();
	float left = fDivider + kTextInset;
	fTextView->MoveTo(left, frame.top);
	fTextView->ResizeTo(frame.right - left, frame.Height());
}


void
BTextControl::SetEnabled(bool enabled)
{
	BControl::SetEnabled(enabled);
	fTextView->MakeEditable(enabled);
}


void
BTextControl::MakeFocus(bool focus)
{
	fTextView->MakeFocus(focus);
}


// Drawn on what holds it, in that view's colour.
void
BTextControl::AttachedToWindow()
{
	if (Parent() != NULL)
		SetViewColor(Parent()->ViewColor());
	BControl::AttachedToWindow();
}


// Wide enough for the label and a little text; as high as a line of text
// with the border around it.
void
BTextControl::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	float labelWidth = ceilf(StringWidth(Label() != NULL ? Label() : ""));
	if (width != NULL)
		*width = fmaxf(fDivider, labelWidth + 5) + 100;
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading) + 2 * kTextInset;
	}
}


void
BTextControl::_SendState()
{
	BView::Private view(this);
	view.SendText(BPrivate::B_DISPLAY_VIEW_LABEL, Label());
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, IsEnabled() ? 1 : 0);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_VALUE, Value());
	view.SendValue(BPrivate::B_DISPLAY_VIEW_DIVIDER, (int32)fDivider);
}


void
BTextControl::_TextChanged()
{
	if (fModificationMessage != NULL)
		Invoke(fModificationMessage);
}
