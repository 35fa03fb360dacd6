#include "display/fltk/FltkListView.h"

#include <algorithm>
#include <map>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <Message.h>

#include "display/MiddleElision.h"
#include "display/fltk/FltkDrop.h"

namespace BPrivate {

namespace {

// Only the display thread touches it.
std::map<std::pair<int32, int32>, FltkListView*> sLists;

} // namespace


class FltkListView::ListWidget : public Fl_Widget {
public:
	ListWidget(FltkListView* owner)
		:
		Fl_Widget(0, 0, 0, 0),
		fOwner(owner),
		fItems(NULL),
		fTop(0),
		fAnchor(-1),
		fBar(NULL),
		fTipRow(-1)
	{
		box(FL_FLAT_BOX);
		color(FL_WHITE);
	}

	void SetItems(const MirrorList* items)
	{
		// The mirror's own entries: the view lives exactly as long.
		fItems = items;
		ScrollTo(fTop);
		redraw();
	}

	int Count() const { return fItems != NULL ? (int)fItems->size() : 0; }
	int Top() const { return fTop; }
	int ContentHeight() const { return Count() * RowHeight(); }

	void ScrollTo(int top)
	{
		top = std::max(0, std::min(top, ContentHeight() - h()));
		if (top != fTop) {
			fTop = top;
			redraw();
		}
		if (fBar != NULL) {
			fBar->value(fTop, h(), 0, std::max(ContentHeight(), h()));
			fBar->redraw();
		}
	}

	void SetBar(Fl_Scrollbar* bar) { fBar = bar; }

protected:
	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_color(FL_WHITE);
		fl_rectf(x(), y(), w(), h());
		fl_font(kFont, FontSize());
		int first = fTop / RowHeight();
		int last = std::min(Count() - 1, (fTop + h()) / RowHeight());
		fElided.clear();
		for (int row = first; row <= last; row++) {
			int top = y() + row * RowHeight() - fTop;
			if (fItems->IsSelected(row)) {
				fl_color(fl_rgb_color(176, 196, 222));
				fl_rectf(x(), top, w(), RowHeight());
			}
			fl_color(FL_BLACK);
			// A long path shows its file name: the middle gives way.
			std::string shown = ElideMiddle(fItems->Text(row),
				fItems->TextLength(row), _RowTextWidth(), TextWidth);
			if (shown.size() != fItems->TextLength(row)
				|| shown.compare(0, shown.size(), fItems->Text(row),
					fItems->TextLength(row)) != 0)
				fElided[row] = fItems->TextString(row);
			fl_draw(shown.c_str(), (int)shown.size(), x() + 4,
				top + RowHeight() - 2 - fl_descent());
		}
		fl_pop_clip();
	}

	int handle(int event)
	{
		switch (event) {
			case FL_PUSH:
			{
				int row = (Fl::event_y() - y() + fTop) / RowHeight();
				if (row < 0 || row >= Count())
					return 1;
				bool shift = (Fl::event_state() & FL_SHIFT) != 0;
				bool control = (Fl::event_state() & FL_CTRL) != 0;
				// The second click of a double click on the same row
				// invokes the list; FLTK counts clicks close in time
				// and place.
				bool invoke = Fl::event_clicks() > 0 && !shift && !control
					&& row == fAnchor;
				_Choose(row, shift, control, invoke);
				return 1;
			}
			case FL_ENTER:
				return 1;
			case FL_MOVE:
				_ShowWholeText(Fl::event_y());
				return 1;
			case FL_LEAVE:
				// FLTK takes away only the tooltips of widgets that have
				// one of their own; a row's goes with the pointer.
				fTipRow = -1;
				Fl_Tooltip::enter_area(this, 0, 0, 0, 0, NULL);
				return 1;
			case FL_MOUSEWHEEL:
				ScrollTo(fTop + Fl::event_dy() * RowHeight() * 3);
				return 1;
			case FL_FOCUS:
			case FL_UNFOCUS:
			case FL_DND_ENTER:
			case FL_DND_DRAG:
			case FL_DND_LEAVE:
			case FL_DND_RELEASE:
				return 1;
			case FL_PASTE:
				// Files from a file manager, posted as a drop on this row
				// of the window.
				PostDrop(fOwner->fWindow, Fl::event_x(), Fl::event_y(),
					std::string(Fl::event_text(), Fl::event_length()));
				return 1;
		}
		return Fl_Widget::handle(event);
	}

private:
	int _RowTextWidth() const { return w() - 8; }

	// Hovering a row whose text is elided shows the whole of it. From
	// what the last drawing kept: the mirror's entries may be going while
	// FLTK moves the pointer's focus.
	void _ShowWholeText(int eventY)
	{
		int row = (eventY - y() + fTop) / RowHeight();
		auto elided = fElided.find(row);
		if (elided == fElided.end()) {
			fTipRow = -1;
			Fl_Tooltip::enter_area(this, 0, 0, 0, 0, NULL);
			return;
		}
		if (row != fTipRow || fTip != elided->second) {
			fTipRow = row;
			fTip = elided->second;
		}
		// In the window's coordinates, as FLTK places a tooltip.
		Fl_Tooltip::enter_area(this, x(), y() + row * RowHeight() - fTop,
			w(), RowHeight(), fTip.c_str());
	}

	// What the user's gesture makes of the selection the mirror shows.
	void _Choose(int row, bool shift, bool control, bool invoke)
	{
		std::vector<int32> chosen;
		if (shift && fAnchor >= 0 && fAnchor < Count()) {
			if (control) {
				for (int i = 0; i < Count(); i++) {
					if (fItems->IsSelected(i))
						chosen.push_back(i);
				}
			}
			for (int i = std::min(fAnchor, row); i <= std::max(fAnchor, row);
					i++)
				chosen.push_back(i);
		} else if (control) {
			for (int i = 0; i < Count(); i++) {
				if (fItems->IsSelected(i) != (i == row))
					chosen.push_back(i);
			}
			fAnchor = row;
		} else {
			chosen.push_back(row);
			fAnchor = row;
		}
		BMessage input(B_INPUT_SELECTION);
		for (int32 index : chosen)
			input.AddInt32("index", index);
		if (invoke)
			input.AddBool("invoke", true);
		fOwner->Post(&input);
	}

	friend class FltkListView;

	FltkListView*		fOwner;
	const MirrorList*	fItems;
	int					fTop;
	int					fAnchor;
	Fl_Scrollbar*		fBar;
	// The whole texts of the rows drawn elided, and of the row the
	// tooltip shows.
	std::map<int, std::string> fElided;
	int					fTipRow;
	std::string			fTip;
};


FltkListView::FltkListView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_LIST_VIEW),
	fKeyRow(-1)
{
	fList = new ListWidget(this);
	SetWidget(fList);
	sLists[std::make_pair(window, view)] = this;
}


FltkListView::~FltkListView()
{
	sLists.erase(std::make_pair(fWindow, fView));
}


FltkListView*
FltkListView::Find(int32 window, int32 view)
{
	auto found = sLists.find(std::make_pair(window, view));
	return found != sLists.end() ? found->second : NULL;
}


int
FltkListView::Top() const
{
	return fList->Top();
}


int
FltkListView::ContentHeight() const
{
	return fList->ContentHeight();
}


void
FltkListView::ScrollTo(int top)
{
	fList->ScrollTo(top);
}


void
FltkListView::SetScrollBar(Fl_Scrollbar* bar)
{
	fList->SetBar(bar);
}


void
FltkListView::Update(const MirrorWindow& window, const MirrorView& view)
{
	fList->SetItems(&view.listItems);
	if (window.focus != view.id) {
		fKeyRow = -1;
		return;
	}
	// The entry the keys moved to is brought into sight.
	int row = -1;
	for (size_t i = 0; i < view.listItems.size() && row < 0; i++) {
		if (view.listItems.IsSelected(i))
			row = (int)i;
	}
	if (row == fKeyRow)
		return;
	fKeyRow = row;
	if (row < 0)
		return;
	int top = row * RowHeight();
	if (top < fList->Top())
		fList->ScrollTo(top);
	else if (top + RowHeight() > fList->Top() + fList->h())
		fList->ScrollTo(top + RowHeight() - fList->h());
}

} // namespace BPrivate
