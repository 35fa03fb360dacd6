#include <StringView.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "private/interface/ViewPrivate.h"

BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fText(NULL)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_STRING_VIEW);
	SetText(text);
}


BStringView::~BStringView()
{
	free(fText);
}


void
BStringView::SetText(const char* text)
{
	BView::Private view(this);
	view.CheckLock();
	free(fText);
	fText = text != NULL ? strdup(text) : NULL;
	view.SendText(BPrivate::B_DISPLAY_VIEW_TEXT, fText);
}


// A caption takes the colour of what it stands on.
void
BStringView::AttachedToWindow()
{
	if (Parent() != NULL)
		SetViewColor(Parent()->ViewColor());
	BView::AttachedToWindow();
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
BStringView::_SendState()
{
	BView::Private(this).SendText(BPrivate::B_DISPLAY_VIEW_TEXT, fText);
}
