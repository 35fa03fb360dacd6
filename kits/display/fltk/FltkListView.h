#ifndef _KITS_DISPLAY_FLTK_LIST_VIEW_H
#define _KITS_DISPLAY_FLTK_LIST_VIEW_H

#include "display/fltk/FltkView.h"

class Fl_Scrollbar;

namespace BPrivate {

// Rows of text, the selected ones highlighted. It draws only the rows in
// sight, straight from the mirror's entries, so a list of a hundred
// thousand entries costs no more to show than one of ten. Clicks,
// shift-clicks, ctrl-clicks and the arrow keys post the new selection.
class FltkListView : public FltkView {
public:
								FltkListView(int32 window, int32 view);
	virtual						~FltkListView();

	// The list shown for this view of this window, if any: its scroll
	// view's bar drives it.
	static	FltkListView*		Find(int32 window, int32 view);

			int					Top() const;
			int					ContentHeight() const;
			void				ScrollTo(int top);
			void				SetScrollBar(Fl_Scrollbar* bar);

	// A row: 16 points.
	static	int					RowHeight() { return Scaled(16); }

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			class ListWidget;
			ListWidget*			fList;
			// The first selected entry last seen while focused.
			int					fKeyRow;
};

} // namespace BPrivate

#endif
