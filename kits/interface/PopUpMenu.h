#ifndef _POP_UP_MENU_H
#define _POP_UP_MENU_H

#include <Menu.h>

// The menu a menu field pops up: by default one item is marked at a time
// and the field shows that item's label.
class BPopUpMenu : public BMenu {
public:
								BPopUpMenu(const char* name,
									bool radioMode = true,
									bool labelFromMarked = true,
									menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual						~BPopUpMenu();
};

#endif // _POP_UP_MENU_H
