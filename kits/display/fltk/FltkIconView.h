#ifndef _KITS_DISPLAY_FLTK_ICON_VIEW_H
#define _KITS_DISPLAY_FLTK_ICON_VIEW_H

#include "display/fltk/FltkView.h"

namespace BPrivate {

// An alert's icon, drawn here for its type (the view's value, an
// alert_type) on a 32-point square, over what lies below it.
class FltkIconView : public FltkView {
public:
								FltkIconView(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			class IconWidget;
};

} // namespace BPrivate

#endif
