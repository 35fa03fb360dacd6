#ifndef _KITS_DISPLAY_FLTK_STRING_VIEW_H
#define _KITS_DISPLAY_FLTK_STRING_VIEW_H

#include "display/fltk/FltkView.h"

namespace BPrivate {

// Text left aligned and clipped at the view's frame: never wrapped, never
// shortened; only its own line ends break it. Takes no input.
class FltkStringView : public FltkView {
public:
								FltkStringView(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
			class TextWidget;
};

} // namespace BPrivate

#endif
