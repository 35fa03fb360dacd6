#ifndef _KITS_PRIVATE_INTERFACE_MENU_FIELD_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_MENU_FIELD_PRIVATE_H

#include <MenuField.h>

// What menus and the window share about a menu field.
class BMenuField::Private {
public:
								Private(const BMenuField* field)
									: fField(const_cast<BMenuField*>(field)) {}

			// The marked item changed: the display is told what the menu
			// part shows now.
			void				MarkedChanged() const;
			// The user chose the item of that id, if the field is enabled.
			void				ChooseItem(int32 id) const;
			const char*			ShownLabel() const
									{ return fField->_ShownLabel(); }

private:
			BMenuField*			fField;
};

#endif
