#ifndef _KITS_DISPLAY_FLTK_BUTTON_H
#define _KITS_DISPLAY_FLTK_BUTTON_H

#include <string>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A push button: its label, inactive while disabled; a click is posted as
// B_INPUT_CLICK and the kit invokes the control.
class FltkButton : public FltkView {
public:
								FltkButton(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	static	void				_Clicked(Fl_Widget* widget, void* data);

			std::string			fLabel;
};

} // namespace BPrivate

#endif
