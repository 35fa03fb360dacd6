#include "display/fltk/FltkMenuBar.h"

#include <stdint.h>

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>

#include <Message.h>

namespace BPrivate {

namespace {

// A menu bar that knows when one of its menus is pulled down: the display
// thread goes on drawing meanwhile, from inside the bar's handle().
class TrackingMenuBar : public Fl_Menu_Bar {
public:
	TrackingMenuBar() : Fl_Menu_Bar(0, 0, 0, 0), fDepth(0) {}

	int handle(int event) override
	{
		fDepth++;
		int result = Fl_Menu_Bar::handle(event);
		fDepth--;
		return result;
	}

	bool InUse() const { return fDepth > 0; }

	// Pulls the menu of this title down, as a click on it does; FLTK then
	// takes the arrows, Enter and Escape.
	void PullDown(const Fl_Menu_Item* title)
	{
		fDepth++;
		const Fl_Menu_Item* chosen = menu()->pulldown(x(), y(), w(), h(),
			title, this, 0, 1);
		picked(chosen);
		fDepth--;
	}

private:
	int fDepth;
};

} // namespace


FltkMenuBar::FltkMenuBar(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_MENU_BAR),
	fOpening(-1)
{
	Fl_Menu_Bar* bar = new TrackingMenuBar();
	bar->textfont(kFont);
	bar->textsize(FontSize());
	bar->user_data(this);
	SetWidget(bar);
}


void
FltkMenuBar::Update(const MirrorWindow& window, const MirrorView& view)
{
	TrackingMenuBar* bar = static_cast<TrackingMenuBar*>(Widget());
	if (!bar->InUse()) {
		fRetiredMenus.clear();
		fRetiredLabels.clear();
	}
	std::string shape;
	_Describe(window, view.items, &shape);
	if (shape != fShape) {
		fShape = shape;
		bar->menu(NULL);
		if (bar->InUse()) {
			fRetiredMenus.push_back(std::move(fMenu));
			fRetiredLabels.push_back(std::move(fLabels));
		}
		fMenu.clear();
		fLabels.clear();
		fTitles.clear();
		_Build(window, view.items);
		fMenu.push_back(Fl_Menu_Item());
		bar->menu(fMenu.data());
		bar->redraw();
	}
	if (view.enabled && !bar->active())
		bar->activate();
	else if (!view.enabled && bar->active())
		bar->deactivate();
}


FltkMenuBar::~FltkMenuBar()
{
	Fl::remove_timeout(_OpenNow, this);
}


void
FltkMenuBar::Open(int32 item)
{
	fOpening = item;
	// Not from inside the command that asked: the menu runs a loop of its
	// own until it closes.
	Fl::remove_timeout(_OpenNow, this);
	Fl::add_timeout(0, _OpenNow, this);
}


void
FltkMenuBar::_OpenNow(void* data)
{
	FltkMenuBar* self = static_cast<FltkMenuBar*>(data);
	TrackingMenuBar* bar = static_cast<TrackingMenuBar*>(self->Widget());
	auto index = self->fTitles.find(self->fOpening);
	if (index == self->fTitles.end() || bar->InUse() || !bar->visible_r()
		|| !bar->active_r() || bar->menu() == NULL)
		return;
	bar->PullDown(bar->menu() + index->second);
}


void
FltkMenuBar::_Describe(const MirrorWindow& window,
	const std::vector<int32>& items, std::string* shape) const
{
	for (int32 id : items) {
		auto found = window.items.find(id);
		if (found == window.items.end())
			continue;
		const MirrorMenuItem& item = found->second;
		*shape += std::to_string(item.id) + ',' + std::to_string(item.flags)
			+ ',' + (item.enabled ? '1' : '0') + ','
			+ std::to_string(item.label.size()) + ':' + item.label + '(';
		_Describe(window, item.children, shape);
		*shape += ')';
	}
}


void
FltkMenuBar::_Build(const MirrorWindow& window,
	const std::vector<int32>& items)
{
	// FLTK marks a separator on the item above it.
	int32 last = -1;
	for (int32 id : items) {
		auto found = window.items.find(id);
		if (found == window.items.end())
			continue;
		const MirrorMenuItem& item = found->second;
		if ((item.flags & B_DISPLAY_ITEM_SEPARATOR) != 0) {
			if (last >= 0)
				fMenu[last].flags |= FL_MENU_DIVIDER;
			continue;
		}
		Fl_Menu_Item entry = MenuEntry(item, fLabels);
		if ((item.flags & B_DISPLAY_ITEM_MARKED) != 0)
			entry.flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
		last = (int32)fMenu.size();
		if ((item.flags & B_DISPLAY_ITEM_SUBMENU) != 0
			|| !item.children.empty()) {
			entry.flags |= FL_SUBMENU;
			fTitles[item.id] = (int32)fMenu.size();
			fMenu.push_back(entry);
			_Build(window, item.children);
			fMenu.push_back(Fl_Menu_Item());
		} else {
			entry.callback_ = _Chosen;
			entry.user_data_ = (void*)(intptr_t)item.id;
			fMenu.push_back(entry);
		}
	}
}


void
FltkMenuBar::_Chosen(Fl_Widget* widget, void* data)
{
	FltkMenuBar* bar = static_cast<FltkMenuBar*>(widget->user_data());
	BMessage chosen(B_INPUT_MENU_ITEM);
	chosen.AddInt32("item", (int32)(intptr_t)data);
	bar->Post(&chosen);
}

} // namespace BPrivate
