#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <Invoker.h>
#include <Menu.h>

class BMenuItem : public BInvoker {
public:
								BMenuItem(const char* label,
									BMessage* message, char shortcut = 0,
									uint32 modifiers = 0);
								BMenuItem(BMenu* menu,
									BMessage* message = NULL);
	virtual						~BMenuItem();

	virtual	void				SetLabel(const char* label);
			const char*			Label() const;
	virtual	void				SetEnabled(bool enabled);
			bool				IsEnabled() const;
	virtual	void				SetMarked(bool marked);
			bool				IsMarked() const { return fMarked; }
			char				Shortcut(uint32* modifiers = NULL) const;

			BMenu*				Submenu() const { return fSubmenu; }
			BMenu*				Menu() const { return fMenu; }

	// An item with no target of its own sends to its menu bar's window.
	virtual	status_t			Invoke(BMessage* message = NULL);

			class Private;

private:
	friend class Private;

			int32				fId;
			char*				fLabel;
			BMenu*				fSubmenu;
			BMenu*				fMenu;
			char				fShortcut;
			uint32				fModifiers;
			bool				fEnabled;
			bool				fMarked;
};

class BSeparatorItem : public BMenuItem {
public:
								BSeparatorItem();
	virtual						~BSeparatorItem();

	virtual	void				SetEnabled(bool enabled);
};

#endif // _MENU_ITEM_H
