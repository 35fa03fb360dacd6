#include <CheckBox.h>

#include <math.h>

#include "private/interface/ViewPrivate.h"

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_CHECK_BOX);
}


BCheckBox::~BCheckBox()
{
}


// Drawn on what holds it, in that view's colour.
void
BCheckBox::AttachedToWindow()
{
	if (Parent() != NULL)
		SetViewColor(Parent()->ViewColor());
	BControl::AttachedToWindow();
}


// A 12-pixel box, a gap, then the label; as high as the font with a little
// air, so that the box fits.
void
BCheckBox::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	float labelWidth = ceilf(StringWidth(Label() != NULL ? Label() : ""));
	if (width != NULL)
		*width = labelWidth + 20;
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading) + 4;
	}
}


// A click over the box turns it over, then tells the target, which reads
// the new value.
void
BCheckBox::MouseUp(BPoint where)
{
	if (!IsEnabled() || !Bounds().Contains(where))
		return;
	SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
	Invoke();
}


void
BCheckBox::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && bytes[0] == B_SPACE) {
		if (IsEnabled()) {
			SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
			Invoke();
		}
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}
