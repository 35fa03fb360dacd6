#ifndef _KITS_PRIVATE_INTERFACE_MENU_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_MENU_PRIVATE_H

#include <Menu.h>
#include <MenuItem.h>

class BMenuBar;

// What menus, their items and the window share.
class BMenu::Private {
public:
								Private(const BMenu* menu)
									: fMenu(const_cast<BMenu*>(menu)) {}

			void				SetSuperitem(BMenuItem* item)
									{ fMenu->fSuperitem = item; }
			// The menu bar this menu hangs from, while it is in a window.
			BMenuBar*			AttachedBar() const;
			void				SetField(BMenuField* field)
									{ fMenu->fField = field; }
			// The menu field whose menu this is, or holds this one.
			BMenuField*			Field() const;
			// The view that shows this menu's items, while it is in a
			// window: its menu bar or its menu field.
			BView*				AttachedView() const;
			// The window of that menu bar.
			BWindow*			OwnerWindow() const;
			// Tells the display about each item, submenus included.
			void				SendItems() const;
			void				SendItemAdded(BMenuItem* item) const;
			void				SendItemRemoved(BMenuItem* item) const;
			// The user chose the item of that id: invoked if it can be.
			void				ChooseItem(int32 id) const;

private:
			BMenuItem*			_FindItem(int32 id) const;

			BMenu*				fMenu;
};

class BMenuItem::Private {
public:
								Private(const BMenuItem* item)
									: fItem(const_cast<BMenuItem*>(item)) {}

			int32				Id() const { return fItem->fId; }
			void				SetMenu(BMenu* menu) { fItem->fMenu = menu; }
			uint32				DisplayFlags() const;
			bool				IsEnabledItself() const
									{ return fItem->fEnabled; }
			// Tells the display of a change, if it knows the item.
			void				SendChanged() const;

private:
			BMenuItem*			fItem;
};

#endif
