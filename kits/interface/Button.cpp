#include <Button.h>

#include <math.h>

#include <Window.h>

#include "private/interface/ViewPrivate.h"

BButton::BButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_BUTTON);
}


BButton::~BButton()
{
	if (Window() != NULL && Window()->DefaultButton() == this)
		Window()->SetDefaultButton(NULL);
}


// At least as wide as the usual 75-pixel button, and wide enough for the
// label with 10 pixels on either side.
void
BButton::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	float labelWidth = ceilf(StringWidth(Label() != NULL ? Label() : ""));
	if (width != NULL)
		*width = fmaxf(74, labelWidth + 20);
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading) + 10;
	}
}


// A click is a press and a release over the button.
void
BButton::MouseUp(BPoint where)
{
	if (IsEnabled() && Bounds().Contains(where))
		Invoke();
}


void
BButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_ENTER || bytes[0] == B_SPACE)) {
		if (IsEnabled())
			Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}


void
BButton::MakeDefault(bool flag)
{
	BWindow* window = Window();
	if (window == NULL)
		return;
	if (flag)
		window->SetDefaultButton(this);
	else if (window->DefaultButton() == this)
		window->SetDefaultButton(NULL);
}


bool
BButton::IsDefault() const
{
	return Window() != NULL && Window()->DefaultButton() == this;
}
