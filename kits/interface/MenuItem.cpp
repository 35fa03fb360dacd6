#include <MenuItem.h>

#include <stdlib.h>
#include <string.h>

#include <MenuBar.h>
#include <MenuField.h>
#include <Message.h>
#include <Window.h>

#include "private/app/LooperState.h"
#include "private/interface/MenuFieldPrivate.h"
#include "private/interface/MenuPrivate.h"
#include "private/interface/ViewPrivate.h"

using BPrivate::DisplayCommand;


uint32
BMenuItem::Private::DisplayFlags() const
{
	uint32 flags = 0;
	if (fItem->fMarked)
		flags |= BPrivate::B_DISPLAY_ITEM_MARKED;
	if (fItem->fSubmenu != NULL)
		flags |= BPrivate::B_DISPLAY_ITEM_SUBMENU;
	if (dynamic_cast<BSeparatorItem*>(fItem) != NULL)
		flags |= BPrivate::B_DISPLAY_ITEM_SEPARATOR;
	return flags;
}


void
BMenuItem::Private::SendChanged() const
{
	if (fItem->fMenu == NULL)
		return;
	BView* bar = BMenu::Private(fItem->fMenu).AttachedView();
	if (bar == NULL)
		return;
	DisplayCommand command
		= BView::Private(bar).Command(BPrivate::B_DISPLAY_MENU_ITEM_CHANGED);
	command.item = fItem->fId;
	command.text = fItem->fLabel != NULL ? fItem->fLabel : "";
	command.value = fItem->IsEnabled() ? 1 : 0;
	command.flags = DisplayFlags();
	BPrivate::SendToDisplay(command);
}


// Setters of an item in a window's menu bar need that window's lock.
static void
CheckLock(BMenu* menu)
{
	if (menu == NULL)
		return;
	if (BView* bar = BMenu::Private(menu).AttachedView())
		BView::Private(bar).CheckLock();
}


BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut,
	uint32 modifiers)
	:
	BInvoker(message, NULL),
	fId(BPrivate::NewHandlerToken()),
	fLabel(NULL),
	fSubmenu(NULL),
	fMenu(NULL),
	fShortcut(shortcut),
	fModifiers(modifiers),
	fEnabled(true),
	fMarked(false)
{
	SetLabel(label);
}


BMenuItem::BMenuItem(BMenu* menu, BMessage* message)
	:
	BInvoker(message, NULL),
	fId(BPrivate::NewHandlerToken()),
	fLabel(NULL),
	fSubmenu(menu),
	fMenu(NULL),
	fShortcut(0),
	fModifiers(0),
	fEnabled(true),
	fMarked(false)
{
	if (menu != NULL) {
		BMenu::Private(menu).SetSuperitem(this);
		SetLabel(menu->Name());
	}
}


BMenuItem::~BMenuItem()
{
	delete fSubmenu;
	free(fLabel);
}


void
BMenuItem::SetLabel(const char* label)
{
	CheckLock(fMenu);
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
	Private(this).SendChanged();
}


const char*
BMenuItem::Label() const
{
	return fLabel;
}


void
BMenuItem::SetEnabled(bool enabled)
{
	CheckLock(fMenu);
	fEnabled = enabled;
	Private(this).SendChanged();
}


bool
BMenuItem::IsEnabled() const
{
	return fEnabled && (fMenu == NULL || fMenu->IsEnabled());
}


void
BMenuItem::SetMarked(bool marked)
{
	CheckLock(fMenu);
	if (marked && fMenu != NULL && fMenu->IsRadioMode()) {
		for (int32 i = 0; BMenuItem* item = fMenu->ItemAt(i); i++) {
			if (item != this && item->fMarked) {
				item->fMarked = false;
				Private(item).SendChanged();
			}
		}
	}
	fMarked = marked;
	Private(this).SendChanged();
	// A menu field may show the marked item's label.
	BMenuField* field = fMenu != NULL ? BMenu::Private(fMenu).Field() : NULL;
	if (field != NULL && field->Menu() == fMenu)
		BMenuField::Private(field).MarkedChanged();
}


char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != NULL)
		*modifiers = fModifiers;
	return fShortcut;
}


status_t
BMenuItem::Invoke(BMessage* message)
{
	if (!IsEnabled())
		return B_NOT_ALLOWED;
	if (fMenu != NULL && fMenu->IsRadioMode())
		SetMarked(true);
	const BMessage* toSend = message != NULL ? message : Message();
	if (toSend == NULL)
		return B_BAD_VALUE;
	BMessenger window;
	BWindow* owner = fMenu != NULL ? BMenu::Private(fMenu).OwnerWindow()
		: NULL;
	if (owner != NULL)
		window = BMessenger(owner);
	BMessage copy(*toSend);
	if (fMenu != NULL)
		copy.AddInt32("index", fMenu->IndexOf(this));
	return _SendCopy(&copy, window, this);
}


BSeparatorItem::BSeparatorItem()
	:
	BMenuItem("", NULL)
{
	BMenuItem::SetEnabled(false);
}


BSeparatorItem::~BSeparatorItem()
{
}


void
BSeparatorItem::SetEnabled(bool)
{
}
