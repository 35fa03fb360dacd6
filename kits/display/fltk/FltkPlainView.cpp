#include "display/fltk/FltkPlainView.h"

#include <FL/Fl_Box.H>

namespace BPrivate {

FltkPlainView::FltkPlainView(int32 window, int32 view, int32 kind)
	:
	FltkView(window, view, kind)
{
	SetWidget(new Fl_Box(FL_FLAT_BOX, 0, 0, 0, 0, NULL));
}


void
FltkPlainView::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Color color = Color(view.color);
	if (Widget()->color() != color) {
		Widget()->color(color);
		Widget()->redraw();
	}
}

} // namespace BPrivate
