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

	// Where the text view is, in window pixels; empty: none.
	void SetField(int x, int y, int width, int height)
	{
		if (x != fFieldX || y != fFieldY || width != fFieldWidth
			|| height != fFieldHeight) {
			fFieldX = x;
			fFieldY = y;
			fFieldWidth = width;
			fFieldHeight = height;
			redraw();
		}
	}

protected:
	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_color(color());
		fl_rectf(x(), y(), w(), h());
		fl_font(kFont, FontSize());
		fl_color(fEnabled ? FL_BLACK : FL_DARK3);
		fl_push_clip(x(), y(), fDivider, h());
		int baseline = y() + (h() - fl_height()) / 2 + fl_height()
			- fl_descent();
		fl_draw(fLabel.c_str(), (int)fLabel.size(), x(), baseline);
		fl_pop_clip();
		if (fFieldWidth > 0 && fFieldHeight > 0) {
			// BeOS draws the field's border round the text view, outside
			// its frame, so that the whole frame holds text: descenders
			// and underscores included.
			int border = Scaled(2);
			fl_draw_box(FL_DOWN_FRAME, fFieldX - border, fFieldY - border,
				fFieldWidth + 2 * border, fFieldHeight + 2 * border,
				color());
		}
		fl_pop_clip();
	}

private:
	std::string fLabel;
	int fDivider;
	bool fEnabled;
	int fFieldX = 0;
	int fFieldY = 0;
	int fFieldWidth = 0;
	int fFieldHeight = 0;
};


FltkTextControl::FltkTextControl(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_TEXT_CONTROL)
{
	SetWidget(new LabelWidget);
}


void
FltkTextControl::Update(const MirrorWindow& window, const MirrorView& view)
{
	LabelWidget* widget = static_cast<LabelWidget*>(Widget());
	Fl_Color color = Color(view.color);
	if (widget->color() != color) {
		widget->color(color);
		widget->redraw();
	}
	widget->Set(view.label, Scaled(view.divider), view.enabled);
	const MirrorView* field = view.children.empty() ? NULL
		: window.FindView(view.children.front());
	if (field != NULL && field->kind == B_DISPLAY_TEXT_VIEW) {
		BRect frame = window.FrameInWindow(field->id);
		int left = Scaled(frame.left);
		int top = Scaled(frame.top);
		widget->SetField(left, top, Scaled(frame.right + 1) - left,
			Scaled(frame.bottom + 1) - top);
	} else
		widget->SetField(0, 0, 0, 0);
}

} // namespace BPrivate
