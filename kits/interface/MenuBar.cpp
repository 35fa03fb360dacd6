#include <MenuBar.h>

#include <math.h>
#include <string.h>

#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "private/InputMessages.h"
#include "private/ViewDump.h"

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
BMenuBar::_Dump(BPrivate::ViewDump& dump) const
{
	dump.hasItems = true;
	dump.items = CountItems();
	_DumpItems(dump, 1);
}


bool
BMenuBar::_AcceptsInput(uint32 action) const
{
	return action == B_INPUT_MENU;
}


void
BMenuBar::_HandleInput(BMessage* input)
{
	const char* menuLabel;
	const char* itemLabel;
	if (input->what != B_INPUT_MENU
		|| input->FindString("menu", &menuLabel) != B_OK
		|| input->FindString("item", &itemLabel) != B_OK)
		return;
	BMenuItem* item = _CommandLabelled(_MenuLabelled(menuLabel), itemLabel);
	if (item != NULL && item->IsEnabled())
		item->Invoke();
}


BMenu*
BMenuBar::_MenuLabelled(const char* label) const
{
	for (int32 i = 0; BMenuItem* top = ItemAt(i); i++) {
		if (top->Submenu() != NULL && top->Label() != NULL
			&& strcmp(top->Label(), label) == 0)
			return top->Submenu();
	}
	return NULL;
}


BMenuItem*
BMenuBar::_CommandLabelled(BMenu* menu, const char* label)
{
	if (menu == NULL)
		return NULL;
	for (int32 i = 0; BMenuItem* item = menu->ItemAt(i); i++) {
		if (item->Submenu() == NULL && item->Label() != NULL
			&& strcmp(item->Label(), label) == 0)
			return item;
	}
	return NULL;
}
