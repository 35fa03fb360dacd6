#include "display/fltk/FltkStringView.h"

#include <string>

#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

namespace BPrivate {

// Draws the text itself: FLTK's labels would read '@' and wrap or clip
// at its own will.
class FltkStringView::TextWidget : public Fl_Widget {
public:
	TextWidget()
		:
		Fl_Widget(0, 0, 0, 0)
	{
		box(FL_FLAT_BOX);
	}

	void SetText(const std::string& text)
	{
		if (text != fText) {
			fText = text;
			redraw();
		}
	}

protected:
	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_color(color());
		fl_rectf(x(), y(), w(), h());
		fl_font(kFont, kFontSize);
		fl_color(FL_BLACK);
		// The line centred on the frame's height, as BeOS places it.
		int baseline = y() + (h() - fl_height()) / 2 + fl_height()
			- fl_descent();
		fl_draw(fText.c_str(), (int)fText.size(), x(), baseline);
		fl_pop_clip();
	}

private:
	std::string fText;
};


FltkStringView::FltkStringView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_STRING_VIEW)
{
	SetWidget(new TextWidget);
}


void
FltkStringView::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Widget* widget = Widget();
	Fl_Color color = Color(view.color);
	if (widget->color() != color) {
		widget->color(color);
		widget->redraw();
	}
	static_cast<TextWidget*>(widget)->SetText(view.text);
}

} // namespace BPrivate
