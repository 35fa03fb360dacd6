#ifndef _KITS_DISPLAY_FLTK_MENU_FIELD_H
#define _KITS_DISPLAY_FLTK_MENU_FIELD_H

#include <deque>
#include <string>
#include <vector>

#include <FL/Fl_Menu_Item.H>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A label left of the divider and, right of it, a button that shows the
// menu's text and pops up its items (separators, disabled and marked
// items). Choosing one posts B_INPUT_MENU_ITEM with the item's id.
class FltkMenuField : public FltkView {
public:
								FltkMenuField(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	class FieldWidget;

	static	void				_Chosen(Fl_Widget* widget, void* data);

			std::string			fShape;
			std::deque<std::string> fLabels;
			std::vector<Fl_Menu_Item> fMenu;
};

} // namespace BPrivate

#endif
