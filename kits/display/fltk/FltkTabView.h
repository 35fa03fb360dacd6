#ifndef _KITS_DISPLAY_FLTK_TAB_VIEW_H
#define _KITS_DISPLAY_FLTK_TAB_VIEW_H

#include <vector>

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
	// Where each tab starts, and where the last ends, for labels this wide
	// in a tab view at left of this width: every tab as wide as the widest
	// label needs; where that does not fit, each as wide as its own, and
	// narrower still if need be.
	static	std::vector<int>	TabEdges(const std::vector<int>& labelWidths,
									int left, int width);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			class TabWidget;
};

} // namespace BPrivate

#endif
