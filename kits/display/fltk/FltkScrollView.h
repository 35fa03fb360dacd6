#ifndef _KITS_DISPLAY_FLTK_SCROLL_VIEW_H
#define _KITS_DISPLAY_FLTK_SCROLL_VIEW_H

#include "display/fltk/FltkView.h"

class Fl_Scrollbar;

namespace BPrivate {

// The border around its target and the vertical scroll bar at its right,
// which scrolls the target when that is a list.
class FltkScrollView : public FltkView {
public:
								FltkScrollView(int32 window, int32 view);
	virtual						~FltkScrollView();

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	static	void				_Scrolled(Fl_Widget* bar, void* data);

			class BorderGroup;
			Fl_Scrollbar*		fBar;
			int32				fTarget;
};

} // namespace BPrivate

#endif
