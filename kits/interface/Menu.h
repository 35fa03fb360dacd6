#ifndef _MENU_H
#define _MENU_H

#include <vector>

#include <View.h>

class BMenuField;
class BMenuItem;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN,
	B_ITEMS_IN_MATRIX
};

// A menu owns its items (and, through them, its submenus).
class BMenu : public BView {
public:
								BMenu(const char* name,
									menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual						~BMenu();

			bool				AddItem(BMenuItem* item);
			bool				AddItem(BMenuItem* item, int32 index);
			bool				AddItem(BMenu* submenu);
			bool				AddSeparatorItem();
			BMenuItem*			RemoveItem(int32 index);
			bool				RemoveItem(BMenuItem* item);

			BMenuItem*			ItemAt(int32 index) const;
			int32				CountItems() const;
			int32				IndexOf(BMenuItem* item) const;
			BMenuItem*			FindItem(const char* label) const;
			BMenuItem*			FindMarked() const;

			void				SetRadioMode(bool on);
			bool				IsRadioMode() const { return fRadioMode; }
			void				SetLabelFromMarked(bool on);
			bool				IsLabelFromMarked() const
									{ return fLabelFromMarked; }
			void				SetEnabled(bool enabled);
			bool				IsEnabled() const;
			// Keyboard triggers: kept for the API; menus here are chosen
			// with the pointer or by the script driver.
			void				SetTriggersEnabled(bool on);
			bool				AreTriggersEnabled() const
									{ return fTriggersEnabled; }

			menu_layout			Layout() const { return fLayout; }
			BMenuItem*			Superitem() const { return fSuperitem; }
			BMenu*				Supermenu() const;

	virtual	status_t			SetTargetForItems(BHandler* target);

			class Private;

private:
	friend class Private;

			std::vector<BMenuItem*> fItems;
			menu_layout			fLayout;
			BMenuItem*			fSuperitem;
			bool				fRadioMode;
			bool				fLabelFromMarked;
			bool				fEnabled;
			bool				fTriggersEnabled;
			BMenuField*			fField;		// the field showing this menu
};

#endif // _MENU_H
