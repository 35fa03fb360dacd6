#include <MenuItem.h>

#include <stdlib.h>
#include <string.h>

#include <Message.h>
#include <Window.h>

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut,
	uint32 modifiers)
	:
	BInvoker(message, NULL),
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
	fLabel(NULL),
	fSubmenu(menu),
	fMenu(NULL),
	fShortcut(0),
	fModifiers(0),
	fEnabled(true),
	fMarked(false)
{
	if (menu != NULL) {
		menu->_SetSuperitem(this);
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
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
}


const char*
BMenuItem::Label() const
{
	return fLabel;
}


void
BMenuItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
}


bool
BMenuItem::IsEnabled() const
{
	return fEnabled && (fMenu == NULL || fMenu->IsEnabled());
}


void
BMenuItem::SetMarked(bool marked)
{
	if (marked && fMenu != NULL && fMenu->IsRadioMode()) {
		for (int32 i = 0; BMenuItem* item = fMenu->ItemAt(i); i++) {
			if (item != this)
				item->fMarked = false;
		}
	}
	fMarked = marked;
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
	if (fMenu != NULL && fMenu->_OwnerWindow() != NULL)
		window = BMessenger(fMenu->_OwnerWindow());
	BMessage copy(*toSend);
	if (fMenu != NULL)
		copy.AddInt32("index", fMenu->IndexOf(this));
	return _SendCopy(&copy, window, this);
}


const char*
BMenuItem::_ClassName() const
{
	return "BMenuItem";
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


const char*
BSeparatorItem::_ClassName() const
{
	return "BSeparatorItem";
}
