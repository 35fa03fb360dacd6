#include "display/fltk/FltkScrollView.h"

#include <algorithm>

#include <FL/Fl_Group.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

#include "display/fltk/FltkListView.h"

namespace BPrivate {

namespace {

const int kBarWidth = 14;

} // namespace


// A B_FANCY_BORDER: two pixels, shadow above and left, light below and
// right, as BeOS draws it; the bar keeps to the right edge inside it.
class FltkScrollView::BorderGroup : public Fl_Group {
public:
	BorderGroup()
		:
		Fl_Group(0, 0, 0, 0)
	{
		box(FL_NO_BOX);
		end();
	}

	void resize(int x, int y, int width, int height)
	{
		Fl_Widget::resize(x, y, width, height);
		if (children() > 0) {
			int border = Scaled(fBorder);
			int bar = Scaled(kBarWidth + 1);
			child(0)->resize(x + width - border - bar, y + border, bar,
				std::max(0, height - 2 * border));
		}
	}

	void SetBorder(int border)
	{
		if (border != fBorder) {
			fBorder = border;
			resize(x(), y(), w(), h());
			redraw();
		}
	}

protected:
	void draw()
	{
		// Each line a point thick.
		int t = std::max(1, Scaled(1));
		if (fBorder > 0) {
			fl_color(fl_rgb_color(152, 152, 152));
			fl_rectf(x(), y(), w(), t);
			fl_rectf(x(), y(), t, h());
			fl_color(FL_WHITE);
			fl_rectf(x(), y() + h() - t, w(), t);
			fl_rectf(x() + w() - t, y(), t, h());
		}
		if (fBorder > 1) {
			fl_color(fl_rgb_color(96, 96, 96));
			fl_rectf(x() + t, y() + t, w() - 2 * t, t);
			fl_rectf(x() + t, y() + t, t, h() - 2 * t);
			fl_color(fl_rgb_color(232, 232, 232));
			fl_rectf(x() + t, y() + h() - 2 * t, w() - 2 * t, t);
			fl_rectf(x() + w() - 2 * t, y() + t, t, h() - 2 * t);
		}
		draw_children();
	}

private:
	int fBorder = 2;
};


FltkScrollView::FltkScrollView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_SCROLL_VIEW),
	fTarget(-1)
{
	BorderGroup* group = new BorderGroup;
	fBar = new Fl_Scrollbar(0, 0, kBarWidth, 10);
	fBar->type(FL_VERTICAL);
	fBar->linesize(FltkListView::RowHeight());
	fBar->callback(_Scrolled, this);
	group->add(fBar);
	SetWidget(group);
}


FltkScrollView::~FltkScrollView()
{
	if (FltkListView* list = FltkListView::Find(fWindow, fTarget))
		list->SetScrollBar(NULL);
}


void
FltkScrollView::Update(const MirrorWindow&, const MirrorView& view)
{
	static_cast<BorderGroup*>(Widget())->SetBorder(
		view.value == 0 ? 1 : view.value == 1 ? 2 : 0);
	fTarget = view.children.empty() ? -1 : view.children.front();
	if (FltkListView* list = FltkListView::Find(fWindow, fTarget)) {
		list->SetScrollBar(fBar);
		list->ScrollTo(list->Top());
	}
}


void
FltkScrollView::_Scrolled(Fl_Widget* bar, void* data)
{
	FltkScrollView* self = static_cast<FltkScrollView*>(data);
	if (FltkListView* list = FltkListView::Find(self->fWindow, self->fTarget))
		list->ScrollTo(static_cast<Fl_Scrollbar*>(bar)->value());
}

} // namespace BPrivate
