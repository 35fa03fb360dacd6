#ifndef _KITS_DISPLAY_FLTK_MENU_BAR_H
#define _KITS_DISPLAY_FLTK_MENU_BAR_H

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <FL/Fl_Menu_Item.H>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A menu bar built from the mirror's menu items: separators, disabled and
// marked items, submenus; no shortcuts. Choosing an item posts
// B_INPUT_MENU_ITEM with the item's id.
class FltkMenuBar : public FltkView {
public:
								FltkMenuBar(int32 window, int32 view);
	virtual						~FltkMenuBar();

			// Opens the menu of the bar's item with this id (F10).
			void				Open(int32 item);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			void				_Describe(const MirrorWindow& window,
									const std::vector<int32>& items,
									std::string* shape) const;
			void				_Build(const MirrorWindow& window,
									const std::vector<int32>& items);
	static	void				_Chosen(Fl_Widget* widget, void* data);
	static	void				_OpenNow(void* data);

			// What the menus were last built from.
			std::string			fShape;
			// FLTK keeps pointers into these.
			std::deque<std::string> fLabels;
			std::vector<Fl_Menu_Item> fMenu;
			// Where each submenu's title is in fMenu, by item id.
			std::map<int32, int32> fTitles;
			int32				fOpening;
			// Menus replaced while one of them was pulled down: the open
			// menu still points into them until it closes.
			std::deque<std::deque<std::string> > fRetiredLabels;
			std::deque<std::vector<Fl_Menu_Item> > fRetiredMenus;
};

} // namespace BPrivate

#endif
