#include <Menu.h>

#include <string.h>

#include <typeinfo>

#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Window.h>

#include "private/interface/MenuFieldPrivate.h"
#include "private/interface/MenuPrivate.h"
#include "private/interface/ViewPrivate.h"

using BPrivate::DisplayCommand;


BMenuBar*
BMenu::Private::AttachedBar() const
{
	const BMenu* menu = fMenu;
	while (menu->Supermenu() != NULL)
		menu = menu->Supermenu();
	BMenuBar* bar = dynamic_cast<BMenuBar*>(const_cast<BMenu*>(menu));
	return bar != NULL && bar->Window() != NULL ? bar : NULL;
}


BMenuField*
BMenu::Private::Field() const
{
	const BMenu* menu = fMenu;
	while (menu->Supermenu() != NULL)
		menu = menu->Supermenu();
	return menu->fField;
}


BView*
BMenu::Private::AttachedView() const
{
	if (BMenuBar* bar = AttachedBar())
		return bar;
	BMenuField* field = Field();
	return field != NULL && field->Window() != NULL ? field : NULL;
}


BWindow*
BMenu::Private::OwnerWindow() const
{
	const BMenu* menu = fMenu;
	while (menu->Supermenu() != NULL)
		menu = menu->Supermenu();
	if (menu->fField != NULL)
		return menu->fField->Window();
	return menu->Window();
}


void
BMenu::Private::SendItems() const
{
	for (BMenuItem* item : fMenu->fItems)
		SendItemAdded(item);
}


void
BMenu::Private::SendItemAdded(BMenuItem* item) const
{
	BView* bar = AttachedView();
	if (bar == NULL)
		return;
	DisplayCommand command
		= BView::Private(bar).Command(BPrivate::B_DISPLAY_MENU_ITEM_ADDED);
	command.item = BMenuItem::Private(item).Id();
	command.parent = fMenu->fSuperitem != NULL
		? BMenuItem::Private(fMenu->fSuperitem).Id() : 0;
	command.index = fMenu->IndexOf(item);
	command.text = item->Label() != NULL ? item->Label() : "";
	command.name = _ClassNameOf(typeid(*item));
	command.value = item->IsEnabled() ? 1 : 0;
	command.flags = BMenuItem::Private(item).DisplayFlags();
	BPrivate::SendToDisplay(command);
	if (item->Submenu() != NULL)
		BMenu::Private(item->Submenu()).SendItems();
}


void
BMenu::Private::SendItemRemoved(BMenuItem* item) const
{
	BView* bar = AttachedView();
	if (bar == NULL)
		return;
	DisplayCommand command
		= BView::Private(bar).Command(BPrivate::B_DISPLAY_MENU_ITEM_REMOVED);
	command.item = BMenuItem::Private(item).Id();
	BPrivate::SendToDisplay(command);
}


void
BMenu::Private::ChooseItem(int32 id) const
{
	BMenuItem* item = _FindItem(id);
	if (item != NULL && item->Submenu() == NULL && item->IsEnabled())
		item->Invoke();
}


BMenuItem*
BMenu::Private::_FindItem(int32 id) const
{
	for (BMenuItem* item : fMenu->fItems) {
		if (BMenuItem::Private(item).Id() == id)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = Private(item->Submenu())._FindItem(id))
				return found;
		}
	}
	return NULL;
}


BMenu::BMenu(const char* name, menu_layout layout)
	:
	BView(BRect(0, 0, 10, 10), name, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW),
	fLayout(layout),
	fSuperitem(NULL),
	fRadioMode(false),
	fLabelFromMarked(false),
	fEnabled(true),
	fTriggersEnabled(true),
	fField(NULL)
{
}


BMenu::~BMenu()
{
	for (BMenuItem* item : fItems)
		delete item;
}


bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}


bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	Private menu(this);
	if (BView* bar = menu.AttachedView())
		BView::Private(bar).CheckLock();
	if (item == NULL || item->Menu() != NULL || index < 0
		|| index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	BMenuItem::Private(item).SetMenu(this);
	menu.SendItemAdded(item);
	return true;
}


bool
BMenu::AddItem(BMenu* submenu)
{
	if (submenu == NULL || submenu->Superitem() != NULL)
		return false;
	return AddItem(new BMenuItem(submenu));
}


bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem());
}


BMenuItem*
BMenu::RemoveItem(int32 index)
{
	Private menu(this);
	if (BView* bar = menu.AttachedView())
		BView::Private(bar).CheckLock();
	if (index < 0 || index >= CountItems())
		return NULL;
	BMenuItem* item = fItems[index];
	menu.SendItemRemoved(item);
	fItems.erase(fItems.begin() + index);
	BMenuItem::Private(item).SetMenu(NULL);
	return item;
}


bool
BMenu::RemoveItem(BMenuItem* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	delete RemoveItem(index);
	return true;
}


BMenuItem*
BMenu::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}


int32
BMenu::CountItems() const
{
	return (int32)fItems.size();
}


int32
BMenu::IndexOf(BMenuItem* item) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (fItems[i] == item)
			return i;
	}
	return -1;
}


BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == NULL)
		return NULL;
	for (BMenuItem* item : fItems) {
		if (item->Label() != NULL && strcmp(item->Label(), label) == 0)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
		}
	}
	return NULL;
}


BMenuItem*
BMenu::FindMarked() const
{
	for (BMenuItem* item : fItems) {
		if (item->IsMarked())
			return item;
	}
	return NULL;
}


void
BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
}


void
BMenu::SetLabelFromMarked(bool on)
{
	if (BView* shown = Private(this).AttachedView())
		BView::Private(shown).CheckLock();
	fLabelFromMarked = on;
	if (on)
		SetRadioMode(true);
	if (fField != NULL)
		BMenuField::Private(fField).MarkedChanged();
}


void
BMenu::SetTriggersEnabled(bool on)
{
	fTriggersEnabled = on;
}


// Every item's state follows its menu's, so each is told again.
void
BMenu::SetEnabled(bool enabled)
{
	Private menu(this);
	if (BView* bar = menu.AttachedView())
		BView::Private(bar).CheckLock();
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	std::vector<BMenuItem*> pending(fItems.begin(), fItems.end());
	while (!pending.empty()) {
		BMenuItem* item = pending.back();
		pending.pop_back();
		BMenuItem::Private(item).SendChanged();
		if (item->Submenu() != NULL) {
			for (int32 i = 0; BMenuItem* inner = item->Submenu()->ItemAt(i);
					i++)
				pending.push_back(inner);
		}
	}
}


bool
BMenu::IsEnabled() const
{
	if (!fEnabled)
		return false;
	BMenu* super = Supermenu();
	return super == NULL || super->IsEnabled();
}


BMenu*
BMenu::Supermenu() const
{
	return fSuperitem != NULL ? fSuperitem->Menu() : NULL;
}


status_t
BMenu::SetTargetForItems(BHandler* target)
{
	status_t status = B_OK;
	for (BMenuItem* item : fItems) {
		status_t itemStatus = item->SetTarget(target);
		if (itemStatus != B_OK)
			status = itemStatus;
	}
	return status;
}
