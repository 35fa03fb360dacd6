#include "display/fltk/FltkStringView.h"

#include <algorithm>
#include <string>

#include <FL/Enumerations.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include "display/MiddleElision.h"

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
		// A line that does not fit is drawn with its middle elided
		// (draw); hovering it shows the whole.
		bool elided = false;
		if (fText.find('\n') == std::string::npos) {
			fl_font(kFont, FontSize());
			elided = TextWidth(fText.c_str(), fText.size()) > w();
		}
		const char* tip = elided ? fText.c_str() : NULL;
		if ((tip == NULL) != (tooltip() == NULL)
			|| (tip != NULL && fText != tooltip()))
			copy_tooltip(tip);
	}

protected:
	int handle(int event)
	{
		// Taking the pointer makes this the widget FLTK shows the
		// tooltip of; otherwise the window would be.
		if ((event == FL_ENTER || event == FL_MOVE) && tooltip() != NULL)
			return 1;
		return Fl_Widget::handle(event);
	}

	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_color(color());
		fl_rectf(x(), y(), w(), h());
		fl_font(kFont, FontSize());
		fl_color(FL_BLACK);
		// One line centred on the frame's height, as BeOS places it; a
		// text of several lines (an alert's) from the top, line by line.
		size_t lines = std::count(fText.begin(), fText.end(), '\n') + 1;
		int lineHeight = fl_height();
		int top = lines == 1 ? y() + (h() - lineHeight) / 2 : y();
		size_t start = 0;
		for (size_t line = 0; line < lines; line++) {
			size_t end = fText.find('\n', start);
			if (end == std::string::npos)
				end = fText.size();
			int baseline = top + (int)line * lineHeight + lineHeight
				- fl_descent();
			std::string shown = lines == 1
				? ElideMiddle(fText.c_str(), fText.size(), w(), TextWidth)
				: fText.substr(start, end - start);
			fl_draw(shown.c_str(), (int)shown.size(), x(), baseline);
			start = end + 1;
		}
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
