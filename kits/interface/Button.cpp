#include <Button.h>

#include <math.h>

#include "private/InputMessages.h"

BButton::BButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags)
{
}


BButton::~BButton()
{
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


bool
BButton::_AcceptsInput(uint32 action) const
{
	return action == B_INPUT_CLICK;
}


void
BButton::_HandleInput(BMessage* input)
{
	if (input->what == B_INPUT_CLICK && IsEnabled())
		Invoke();
}
