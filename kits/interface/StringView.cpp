#include <StringView.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "private/ViewDump.h"

BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fText(NULL)
{
	SetText(text);
}


BStringView::~BStringView()
{
	free(fText);
}


void
BStringView::SetText(const char* text)
{
	free(fText);
	fText = text != NULL ? strdup(text) : NULL;
	Invalidate();
}


void
BStringView::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	if (width != NULL)
		*width = ceilf(StringWidth(fText != NULL ? fText : ""));
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading);
	}
}


void
BStringView::_Dump(BPrivate::ViewDump& dump) const
{
	dump.hasText = true;
	dump.text = fText != NULL ? fText : "";
}
