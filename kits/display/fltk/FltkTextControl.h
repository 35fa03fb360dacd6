#ifndef _KITS_DISPLAY_FLTK_TEXT_CONTROL_H
#define _KITS_DISPLAY_FLTK_TEXT_CONTROL_H

#include <string>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// The label part of a text control, left of its divider; the text view is
// a view of its own (FltkTextView), drawn over it.
class FltkTextControl : public FltkView {
public:
								FltkTextControl(int32 window, int32 view);

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	class LabelWidget;
};

} // namespace BPrivate

#endif
