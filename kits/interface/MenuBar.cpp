#include <MenuBar.h>

#include <math.h>
#include <string.h>

#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "private/interface/MenuPrivate.h"
#include "private/interface/ViewPrivate.h"

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode,
	menu_layout layout, bool resizeToFit)
	:
	BMenu(name, layout),
	fResizeToFit(resizeToFit)
{
	SetResizingMode(resizingMode);
	MoveTo(frame.left, frame.top);
	ResizeTo(frame.Width(), frame.Height());
	SetFlags(B_WILL_DRAW | B_FRAME_EVENTS);
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_MENU_BAR);
}


BMenuBar::~BMenuBar()
{
}


// A bar that fits takes its font's height and, when it follows both
// sides, the whole width of what holds it.
void
BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	if (!fResizeToFit)
		return;
	float width = Frame().Width();
	float height;
	GetPreferredSize(NULL, &height);
	uint32 horizontal = ResizingMode() & 0xf0f0;
	if (horizontal == (B_FOLLOW_LEFT_RIGHT & 0xf0f0)) {
		BRect parentBounds = Parent() != NULL ? Parent()->Bounds()
			: Window()->Bounds();
		width = parentBounds.Width() - Frame().left;
	}
	ResizeTo(width, height);
}


void
BMenuBar::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	if (width != NULL) {
		float total = 0;
		for (int32 i = 0; BMenuItem* item = ItemAt(i); i++)
			total += ceilf(StringWidth(item->Label())) + 16;
		*width = total;
	}
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading) + 4;
	}
}


void
BMenuBar::_SendState()
{
	BMenu::Private(this).SendItems();
}
