#include "display/fltk/FltkTabView.h"

#include <algorithm>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <Message.h>

namespace BPrivate {

namespace {

// Space around a tab's label.
const int kTabPadding = 20;
// Where the first tab starts.
const int kTabInset = 2;

} // namespace


class FltkTabView::TabWidget : public Fl_Widget {
public:
	TabWidget(FltkTabView* owner)
		:
		Fl_Widget(0, 0, 0, 0),
		fOwner(owner),
		fSelected(-1)
	{
		box(FL_NO_BOX);
	}

	void Set(const std::vector<MirrorTab>& tabs, int32 selected)
	{
		bool changed = selected != fSelected || tabs.size() != fTabs.size();
		for (size_t i = 0; !changed && i < tabs.size(); i++) {
			changed = tabs[i].label != fTabs[i].label
				|| tabs[i].enabled != fTabs[i].enabled;
		}
		if (changed) {
			fTabs = tabs;
			fSelected = selected;
			redraw();
		}
	}

	int handle(int event)
	{
		if (event != FL_PUSH)
			return Fl_Widget::handle(event);
		int32 index = _TabAt(Fl::event_x(), Fl::event_y());
		if (index < 0)
			return 0;
		if (fTabs[index].enabled) {
			BMessage chosen(B_INPUT_TAB);
			chosen.AddInt32("index", index);
			fOwner->Post(&chosen);
		}
		return 1;
	}

protected:
	void draw()
	{
		int tabHeight = TabHeight();
		fl_push_clip(x(), y(), w(), h());
		fl_color(color());
		fl_rectf(x(), y(), w(), h());
		fl_draw_box(FL_UP_BOX, x(), y() + tabHeight - 1, w(),
			h() - tabHeight + 1, color());

		std::vector<int> edges = _TabEdges();
		fl_font(kFont, FontSize());
		for (int32 i = 0; i < (int32)fTabs.size(); i++) {
			int left = edges[i];
			int width = edges[i + 1] - edges[i];
			bool front = i == fSelected;
			// The tab in front stands higher and joins the frame below.
			int top = front ? y() : y() + 2;
			int bottom = front ? y() + tabHeight + 1 : y() + tabHeight - 1;
			Fl_Color face = front ? color()
				: fl_color_average(color(), FL_BLACK, 0.9f);
			fl_draw_box(FL_UP_BOX, left, top, width, bottom - top, face);
			if (front) {
				fl_color(face);
				fl_rectf(left + 2, y() + tabHeight - 2, width - 4, 4);
			}
			const std::string& label = fTabs[i].label;
			fl_color(fTabs[i].enabled ? FL_FOREGROUND_COLOR
				: fl_inactive(FL_FOREGROUND_COLOR));
			fl_push_clip(left + 2, top, width - 4, bottom - top);
			int textWidth = (int)fl_width(label.c_str(), (int)label.size());
			int baseline = top + (tabHeight - 2 - fl_height()) / 2
				+ fl_height() - fl_descent() + (front ? 1 : 0);
			fl_draw(label.c_str(), (int)label.size(),
				left + (width - textWidth) / 2, baseline);
			fl_pop_clip();
		}
		fl_pop_clip();
	}

private:
	std::vector<int> _TabEdges() const
	{
		fl_font(kFont, FontSize());
		std::vector<int> widths;
		for (const MirrorTab& tab : fTabs) {
			widths.push_back((int)fl_width(tab.label.c_str(),
				(int)tab.label.size()));
		}
		return TabEdges(widths, x(), w());
	}

	int32 _TabAt(int px, int py) const
	{
		if (py < y() || py >= y() + TabHeight())
			return -1;
		std::vector<int> edges = _TabEdges();
		for (int32 i = 0; i + 1 < (int32)edges.size(); i++) {
			if (px >= edges[i] && px < edges[i + 1])
				return i;
		}
		return -1;
	}

	FltkTabView* fOwner;
	std::vector<MirrorTab> fTabs;
	int32 fSelected;
};


FltkTabView::FltkTabView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_TAB_VIEW)
{
	SetWidget(new TabWidget(this));
}


std::vector<int>
FltkTabView::TabEdges(const std::vector<int>& labelWidths, int left,
	int width)
{
	int padding = Scaled(kTabPadding);
	int inset = Scaled(kTabInset);
	int count = (int)labelWidths.size();
	int widest = 0;
	int total = 0;
	for (int label : labelWidths) {
		widest = std::max(widest, label + padding);
		total += label + padding;
	}
	int room = width - 2 * inset;
	std::vector<int> edges(1, left + inset);
	for (int i = 0; i < count; i++) {
		int tab = labelWidths[i] + padding;
		if (widest * count <= room)
			tab = widest;
		else if (total > room)
			tab = std::max(1, room / count);
		edges.push_back(edges.back() + tab);
	}
	return edges;
}


int
FltkTabView::TabHeight()
{
	fl_font(kFont, FontSize());
	return fl_height() + Scaled(6);
}


void
FltkTabView::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Widget* widget = Widget();
	Fl_Color color = Color(view.color);
	if (widget->color() != color) {
		widget->color(color);
		widget->redraw();
	}
	static_cast<TabWidget*>(widget)->Set(view.tabs, view.selectedTab);
}

} // namespace BPrivate
