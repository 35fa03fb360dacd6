#include <Menu.h>

#include <string.h>

#include <MenuBar.h>
#include <MenuItem.h>
#include <Window.h>

#include "private/ViewDump.h"

BMenu::BMenu(const char* name, menu_layout layout)
	:
	BView(BRect(0, 0, 10, 10), name, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW),
	fLayout(layout),
	fSuperitem(NULL),
	fRadioMode(false),
	fLabelFromMarked(false),
	fEnabled(true)
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
	if (item == NULL || item->Menu() != NULL || index < 0
		|| index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->_SetMenu(this);
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
	if (index < 0 || index >= CountItems())
		return NULL;
	BMenuItem* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	item->_SetMenu(NULL);
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
	fLabelFromMarked = on;
	if (on)
		SetRadioMode(true);
}


void
BMenu::SetEnabled(bool enabled)
{
	fEnabled = enabled;
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


BWindow*
BMenu::_OwnerWindow() const
{
	const BMenu* menu = this;
	while (menu->Supermenu() != NULL)
		menu = menu->Supermenu();
	return menu->Window();
}


void
BMenu::_DumpItems(BPrivate::ViewDump& dump, int depth) const
{
	for (BMenuItem* item : fItems) {
		std::string line = std::string(item->_ClassName()) + " "
			+ BPrivate::QuoteForDump(item->Label());
		if (item->Submenu() != NULL) {
			line += " items=" + std::to_string(item->Submenu()->CountItems());
		}
		line += std::string(" enabled=") + (item->IsEnabled() ? "1" : "0");
		if (item->IsMarked())
			line += " marked=1";
		dump.extraLines.push_back(std::make_pair(depth, line));
		if (item->Submenu() != NULL)
			item->Submenu()->_DumpItems(dump, depth + 1);
	}
}
