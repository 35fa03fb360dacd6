#ifndef _KITS_DISPLAY_FLTK_TAB_VIEW_H
#define _KITS_DISPLAY_FLTK_TAB_VIEW_H

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A row of tabs over a raised frame, drawn here over the view's frame; the
// panels are views of their own, which the kit shows and hides. A click on
// an enabled tab posts B_INPUT_TAB.
class FltkTabView : public FltkView {
public:
								FltkTabView(int32 window, int32 view);

	// Tabs are the font's height + 6 high.
	static	int					TabHeight();

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			class TabWidget;
};

} // namespace BPrivate

#endif
