#ifndef _KITS_DISPLAY_FLTK_VIEW_H
#define _KITS_DISPLAY_FLTK_VIEW_H

#include <deque>
#include <string>

#include <FL/Enumerations.H>
#include <FL/Fl_Menu_Item.H>

#include "display/DisplayMirror.h"

class BMessage;
class Fl_Widget;

namespace BPrivate {

// What shows one view of the mirror: one FLTK widget, a direct child of
// the window, at the view's frame in window coordinates. One subclass per
// view kind, each in a file of its own.
class FltkView {
public:
	virtual						~FltkView();

	// The view class for a kind; a plain view for kinds it has none for.
	static	FltkView*			Create(int32 kind, int32 window, int32 view);

			Fl_Widget*			Widget() const { return fWidget; }
			int32				Kind() const { return fKind; }

			// Places and shows (or hides) the widget as the mirror says and
			// lets the subclass show the view's own state.
			void				Sync(const MirrorWindow& window,
									const MirrorView& view);

	// A label that FLTK shows exactly as given: it reads '@' as the start
	// of a symbol and, in buttons and menus, '&' as a shortcut mark.
	static	std::string			Label(const std::string& text,
									bool shortcuts);
	static	Fl_Color			Color(rgb_color color);
	// The FLTK entry of a kit menu item: its label, font and enabled
	// state. The label text is kept in labels, which does not move what
	// it holds, as FLTK points into it.
	static	Fl_Menu_Item		MenuEntry(const MirrorMenuItem& item,
									std::deque<std::string>& labels);

	// The font every view uses: the display makes it a Helvetica-metric
	// sans, as BeOS's plain font was a Helvetica cut.
	static	const Fl_Font		kFont = FL_HELVETICA;
	// BeOS's plain font is 10 points: the fixed dividers and widths of
	// the application's layouts were made for it.
	static	const int			kFontSize = 10;

	// Pixels a BeOS point takes on this screen (Xft.dpi / 96, or
	// BE_SCALE), set once when the display opens: frames, fonts and icons
	// are scaled by it, the protocol stays in points.
	static	float				Scale() { return sScale; }
	static	void				SetScale(float scale) { sScale = scale; }
	static	int					Scaled(float points);
	// In pixels, in the font last set (fl_font); for ElideMiddle.
	static	float				TextWidth(const char* text, size_t length);
	static	float				Unscaled(int pixels);
	static	int					FontSize() { return Scaled(kFontSize); }

protected:
								FltkView(int32 window, int32 view,
									int32 kind);

			void				SetWidget(Fl_Widget* widget);
			// Posts an input event about this view (its "view" field is
			// added) to the window.
			void				Post(BMessage* message) const;

	virtual	void				Update(const MirrorWindow& window,
									const MirrorView& view) = 0;

			int32				fWindow;
			int32				fView;
			int32				fKind;

private:
			Fl_Widget*			fWidget;

	static	float				sScale;
};

} // namespace BPrivate

#endif
