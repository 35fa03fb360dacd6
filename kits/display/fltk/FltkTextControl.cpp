#include "display/fltk/FltkTextControl.h"

#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

namespace BPrivate {

// Draws the label itself, on one line, clipped at the divider.
class FltkTextControl::LabelWidget : public Fl_Widget {
public:
	LabelWidget()
		:
		Fl_Widget(0, 0, 0, 0),
		fDivider(0),
		fEnabled(true)
	{
		box(FL_FLAT_BOX);
	}

	void Set(const std::string& label, int divider, bool enabled)
	{
		if (label != fLabel || divider != fDivider || enabled != fEnabled) {
			fLabel = label;
			fDivider = divider;
			fEnabled = enabled;
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
		fl_color(fEnabled ? FL_BLACK : FL_DARK3);
		fl_push_clip(x(), y(), fDivider, h());
		int baseline = y() + (h() - fl_height()) / 2 + fl_height()
			- fl_descent();
		fl_draw(fLabel.c_str(), (int)fLabel.size(), x(), baseline);
		fl_pop_clip();
		fl_pop_clip();
	}

private:
	std::string fLabel;
	int fDivider;
	bool fEnabled;
};


FltkTextControl::FltkTextControl(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_TEXT_CONTROL)
{
	SetWidget(new LabelWidget);
}


void
FltkTextControl::Update(const MirrorWindow&, const MirrorView& view)
{
	LabelWidget* widget = static_cast<LabelWidget*>(Widget());
	Fl_Color color = Color(view.color);
	if (widget->color() != color) {
		widget->color(color);
		widget->redraw();
	}
	widget->Set(view.label, view.divider, view.enabled);
}

} // namespace BPrivate
