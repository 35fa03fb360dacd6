#ifndef _KITS_DISPLAY_FLTK_CHECK_BOX_H
#define _KITS_DISPLAY_FLTK_CHECK_BOX_H

#include <string>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// A check box: its label and value, inactive while disabled. A click is
// posted as B_INPUT_CLICK; the kit turns the value over and tells the
// display, which shows the kit's value, not FLTK's own.
class FltkCheckBox : public FltkView {
public:
								FltkCheckBox(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	static	void				_Clicked(Fl_Widget* widget, void* data);

			std::string			fLabel;
			int32				fValue;
};

} // namespace BPrivate

#endif
