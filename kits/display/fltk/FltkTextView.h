#ifndef _KITS_DISPLAY_FLTK_TEXT_VIEW_H
#define _KITS_DISPLAY_FLTK_TEXT_VIEW_H

#include <deque>
#include <string>

#include "display/fltk/FltkView.h"

namespace BPrivate {

// One line of text the user types in (Fl_Input). Every change is posted as
// B_INPUT_TEXT; the kit keeps what fits its limit and tells the display,
// which shows it.
class FltkTextView : public FltkView {
public:
								FltkTextView(int32 window, int32 view);

			void				PostClick(BMessage* click) const
									{ Post(click); }
			// Tells the kit where the caret went, when it moved.
			void				CaretMaybeMoved();

protected:
	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view);

private:
	static	void				_Changed(Fl_Widget* widget, void* data);

			// Texts posted that the kit has not answered yet: their echoes
			// must not undo what was typed since.
			std::deque<std::string> fPosted;
			std::string			fShown;		// the mirror's text last seen
			uint32				fSelections;	// the mirror's last applied
			// The caret and the selection's other end last told the kit.
			int					fCaret;
			int					fAnchor;
};

} // namespace BPrivate

#endif
