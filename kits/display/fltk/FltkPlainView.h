#ifndef _KITS_DISPLAY_FLTK_PLAIN_VIEW_H
#define _KITS_DISPLAY_FLTK_PLAIN_VIEW_H

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A rectangle in the view's colour; takes no input.
class FltkPlainView : public FltkView {
public:
								FltkPlainView(int32 window, int32 view,
									int32 kind);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);
};

} // namespace BPrivate

#endif
