#include <ScrollView.h>

#include "private/interface/ViewPrivate.h"

namespace {

float
BorderWidth(border_style border)
{
	switch (border) {
		case B_FANCY_BORDER:
			return 2;
		case B_PLAIN_BORDER:
			return 1;
		default:
			return 0;
	}
}


BRect
FrameAround(BView* target, bool horizontal, bool vertical,
	border_style border)
{
	BRect frame = target != NULL ? target->Frame() : BRect(0, 0, 0, 0);
	float width = BorderWidth(border);
	frame.InsetBy(-width, -width);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT;
	return frame;
}

} // namespace


BScrollView::BScrollView(const char* name, BView* target,
	uint32 resizingMode, uint32 flags, bool horizontal, bool vertical,
	border_style border)
	:
	BView(FrameAround(target, horizontal, vertical, border), name,
		resizingMode, flags),
	fTarget(target),
	fBorder(border),
	fHorizontal(horizontal),
	fVertical(vertical)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_SCROLL_VIEW);
	if (target != NULL) {
		float width = BorderWidth(border);
		target->MoveTo(width, width);
		AddChild(target);
	}
}


BScrollView::~BScrollView()
{
}


void
BScrollView::_SendState()
{
	BView::Private(this).SendValue(BPrivate::B_DISPLAY_VIEW_VALUE, fBorder);
}
