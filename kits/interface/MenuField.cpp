#include <MenuField.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <MenuItem.h>
#include <Window.h>

#include "private/interface/MenuFieldPrivate.h"
#include "private/interface/MenuPrivate.h"
#include "private/interface/ViewPrivate.h"

namespace {

// Room around the menu part's label: its border and the pop-up arrow.
const float kMenuPadding = 30;

} // namespace


void
BMenuField::Private::MarkedChanged() const
{
	BView::Private(fField).SendText(BPrivate::B_DISPLAY_VIEW_TEXT,
		fField->_ShownLabel());
}


void
BMenuField::Private::ChooseItem(int32 id) const
{
	if (fField->fEnabled && fField->fMenu->IsEnabled())
		BMenu::Private(fField->fMenu).ChooseItem(id);
}


BMenuField::BMenuField(BRect frame, const char* name, const char* label,
	BMenu* menu, uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fMenu(menu),
	fLabel(NULL),
	fDivider(0),
	fEnabled(true)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_MENU_FIELD);
	if (fMenu != NULL)
		BMenu::Private(fMenu).SetField(this);
	SetLabel(label);
	if (fLabel != NULL && fLabel[0] != '\0')
		fDivider = ceilf(StringWidth(fLabel)) + 5;
}


BMenuField::~BMenuField()
{
	delete fMenu;
	free(fLabel);
}


void
BMenuField::SetLabel(const char* label)
{
	BView::Private view(this);
	view.CheckLock();
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
	view.SendText(BPrivate::B_DISPLAY_VIEW_LABEL, fLabel);
}


void
BMenuField::SetEnabled(bool on)
{
	BView::Private view(this);
	view.CheckLock();
	fEnabled = on;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEnabled ? 1 : 0);
}


// The menu part keeps its width and moves with the divider, as the menu
// bar of a BeOS menu field sizes itself to its label, not to the frame.
void
BMenuField::SetDivider(float position)
{
	BView::Private view(this);
	view.CheckLock();
	position = roundf(position);
	float menuWidth = Frame().Width() - fDivider;
	fDivider = position;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_DIVIDER, (int32)fDivider);
	if (menuWidth > 0)
		ResizeTo(fDivider + menuWidth, Frame().Height());
}


// Drawn on what holds it, in that view's colour.
void
BMenuField::AttachedToWindow()
{
	if (Parent() != NULL)
		SetViewColor(Parent()->ViewColor());
	BView::AttachedToWindow();
}


// The label, then a menu part wide enough for the longest item.
void
BMenuField::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	if (width != NULL) {
		float widest = ceilf(StringWidth(_ShownLabel()));
		for (int32 i = 0; fMenu != NULL && i < fMenu->CountItems(); i++) {
			const char* label = fMenu->ItemAt(i)->Label();
			if (label != NULL)
				widest = fmaxf(widest, ceilf(StringWidth(label)));
		}
		*width = fDivider + widest + kMenuPadding;
	}
	if (height != NULL) {
		*height = ceilf(fontHeight.ascent + fontHeight.descent
			+ fontHeight.leading) + 6;
	}
}


void
BMenuField::_SendState()
{
	BView::Private view(this);
	view.SendText(BPrivate::B_DISPLAY_VIEW_LABEL, fLabel);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_DIVIDER, (int32)fDivider);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEnabled ? 1 : 0);
	view.SendText(BPrivate::B_DISPLAY_VIEW_TEXT, _ShownLabel());
	if (fMenu != NULL)
		BMenu::Private(fMenu).SendItems();
}


const char*
BMenuField::_ShownLabel() const
{
	if (fMenu == NULL)
		return "";
	if (fMenu->IsLabelFromMarked()) {
		BMenuItem* marked = fMenu->FindMarked();
		if (marked != NULL && marked->Label() != NULL)
			return marked->Label();
	}
	return fMenu->Name() != NULL ? fMenu->Name() : "";
}


void
BMenuField::KeyDown(const char* bytes, int32 numBytes)
{
	int32 step = 0;
	if (numBytes == 1 && bytes[0] == B_UP_ARROW)
		step = -1;
	else if (numBytes == 1 && bytes[0] == B_DOWN_ARROW)
		step = 1;
	if (step == 0) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	BMenuItem* marked = fMenu->FindMarked();
	int32 from = marked != NULL ? fMenu->IndexOf(marked)
		: (step > 0 ? -1 : fMenu->CountItems());
	for (int32 i = from + step; i >= 0 && i < fMenu->CountItems();
			i += step) {
		BMenuItem* item = fMenu->ItemAt(i);
		if (item->IsEnabled() && item->Submenu() == NULL
			&& dynamic_cast<BSeparatorItem*>(item) == NULL) {
			Private(this).ChooseItem(BMenuItem::Private(item).Id());
			return;
		}
	}
}
