#include "display/DisplayMirror.h"

#include <string.h>

#include <algorithm>
#include <utility>

namespace BPrivate {

namespace {

template<typename T>
void
Erase(std::vector<T>& list, const T& value)
{
	list.erase(std::remove(list.begin(), list.end(), value), list.end());
}


template<typename T>
void
InsertAt(std::vector<T>& list, int32 index, const T& value)
{
	if (index < 0 || index > (int32)list.size())
		list.push_back(value);
	else
		list.insert(list.begin() + index, value);
}

} // namespace


MirrorView*
MirrorWindow::FindView(int32 id)
{
	auto found = views.find(id);
	return found != views.end() ? &found->second : NULL;
}


const MirrorView*
MirrorWindow::FindView(int32 id) const
{
	auto found = views.find(id);
	return found != views.end() ? &found->second : NULL;
}


const MirrorView*
MirrorWindow::FindView(const std::string& name) const
{
	const MirrorView* top = FindView(topView);
	if (top == NULL)
		return NULL;
	std::vector<const MirrorView*> pending(1, top);
	// Preorder: a view before its children, children in their order.
	while (!pending.empty()) {
		const MirrorView* view = pending.back();
		pending.pop_back();
		if (view != top && view->name == name)
			return view;
		for (auto child = view->children.rbegin();
				child != view->children.rend(); ++child) {
			if (const MirrorView* found = FindView(*child))
				pending.push_back(found);
		}
	}
	return NULL;
}


bool
MirrorWindow::IsHidden(int32 id) const
{
	for (const MirrorView* view = FindView(id); view != NULL;
			view = FindView(view->parent)) {
		if (view->hidden)
			return true;
	}
	return false;
}


BRect
MirrorWindow::FrameInWindow(int32 id) const
{
	const MirrorView* view = FindView(id);
	if (view == NULL)
		return BRect();
	BRect frame = view->frame;
	for (const MirrorView* parent = FindView(view->parent);
			parent != NULL && parent->id != topView;
			parent = FindView(parent->parent))
		frame.OffsetBy(parent->frame.left, parent->frame.top);
	return frame;
}


const MirrorView*
MirrorWindow::ViewAt(float x, float y) const
{
	const MirrorView* view = FindView(topView);
	if (view == NULL || view->hidden)
		return NULL;
	BPoint point(x, y);
	while (true) {
		const MirrorView* hit = NULL;
		// The last child is drawn last, so it is the one on top.
		for (auto child = view->children.rbegin();
				child != view->children.rend() && hit == NULL; ++child) {
			const MirrorView* candidate = FindView(*child);
			if (candidate != NULL && !candidate->hidden
				&& candidate->frame.Contains(point))
				hit = candidate;
		}
		if (hit == NULL)
			return view;
		point.x -= hit->frame.left;
		point.y -= hit->frame.top;
		view = hit;
	}
}


bool
MirrorWindow::IsModal() const
{
	// B_MODAL_APP_WINDOW_FEEL and B_MODAL_ALL_WINDOW_FEEL.
	return feel == 1 || feel == 3;
}


bool
DisplayMirror::Apply(DisplayCommand&& command)
{
	if (command.code != B_DISPLAY_LIST_ITEMS_ADDED)
		return Apply(static_cast<const DisplayCommand&>(command));
	MirrorWindow* window = FindWindow(command.window);
	MirrorView* view = window != NULL ? window->FindView(command.view) : NULL;
	if (view == NULL || command.index < 0
		|| command.index > (int32)view->listItems.size())
		return false;
	view->listItems.InsertBatch(command.index, std::move(command.text));
	return true;
}


bool
DisplayMirror::Merge(DisplayCommand& queued, const DisplayCommand& next)
{
	if (next.code != B_DISPLAY_LIST_ITEM_REMOVED
		|| (queued.code != B_DISPLAY_LIST_ITEM_REMOVED
			&& queued.code != B_DISPLAY_LIST_ITEMS_REMOVED)
		|| queued.window != next.window || queued.view != next.view
		|| next.index < 0 || queued.index < 0)
		return false;
	int32 count = queued.code == B_DISPLAY_LIST_ITEMS_REMOVED
		? queued.value : 1;
	// The entry before the run (a list emptied from its end) or the one
	// that took the run's place (emptied from its start).
	if (next.index != queued.index - 1 && next.index != queued.index)
		return false;
	if (count == INT32_MAX)
		return false;
	queued.code = B_DISPLAY_LIST_ITEMS_REMOVED;
	queued.index = std::min(queued.index, next.index);
	queued.value = count + 1;
	return true;
}


MirrorWindow*
DisplayMirror::FindWindow(int32 id)
{
	auto found = fWindows.find(id);
	return found != fWindows.end() ? &found->second : NULL;
}


bool
DisplayMirror::Apply(const DisplayCommand& command)
{
	if (command.code == B_DISPLAY_WINDOW_CREATED) {
		if (FindWindow(command.window) != NULL)
			return false;
		MirrorWindow& window = fWindows[command.window];
		window.id = command.window;
		window.topView = command.view;
		window.title = command.text;
		window.frame = command.rect;
		window.look = command.look;
		window.feel = command.feel;
		window.flags = command.flags;
		MirrorView& top = window.views[command.view];
		top.id = command.view;
		top.className = "BView";
		top.name = "top view";
		top.frame = command.rect.OffsetToCopy(0, 0);
		top.mode = 0x4231;
		fOrder.push_back(command.window);
		return true;
	}

	MirrorWindow* window = FindWindow(command.window);
	if (window == NULL)
		return false;

	switch (command.code) {
		case B_DISPLAY_WINDOW_TITLE:
			window->title = command.text;
			return true;
		case B_DISPLAY_WINDOW_FRAME:
			window->frame = command.rect;
			if (MirrorView* top = window->FindView(window->topView))
				top->frame = command.rect.OffsetToCopy(0, 0);
			return true;
		case B_DISPLAY_WINDOW_SIZE_LIMITS:
			window->sizeLimits = command.rect;
			return true;
		case B_DISPLAY_WINDOW_LOOK:
			window->look = command.look;
			window->feel = command.feel;
			window->flags = command.flags;
			return true;
		case B_DISPLAY_WINDOW_SHOWN:
		case B_DISPLAY_WINDOW_ACTIVATED:
			if (command.code == B_DISPLAY_WINDOW_SHOWN)
				window->shown = true;
			if (window->shown)
				_ToFront(window->id);
			return true;
		case B_DISPLAY_WINDOW_HIDDEN:
			window->shown = false;
			_Unshow(window->id);
			return true;
		case B_DISPLAY_WINDOW_GONE:
			_Unshow(window->id);
			Erase(fOrder, window->id);
			fWindows.erase(window->id);
			return true;
		case B_DISPLAY_PANEL_SHOWN:
			window->isPanel = true;
			return true;
		case B_DISPLAY_WINDOW_FOCUS:
			if (command.view != -1 && window->FindView(command.view) == NULL)
				return false;
			window->focus = command.view;
			return true;
		case B_DISPLAY_ALERT_SHOWN:
			window->isAlert = true;
			window->alertName = command.name;
			window->alertText = command.text;
			window->alertType = command.value;
			return true;

		case B_DISPLAY_VIEW_ADDED:
		{
			MirrorView* parent = window->FindView(command.parent);
			if (parent == NULL || window->FindView(command.view) != NULL)
				return false;
			InsertAt(parent->children, command.index, command.view);
			MirrorView& view = window->views[command.view];
			view.id = command.view;
			view.parent = command.parent;
			view.kind = command.kind;
			view.className = command.text;
			view.name = command.name;
			view.frame = command.rect;
			view.mode = command.mode;
			view.flags = command.flags;
			view.hidden = command.value != 0;
			view.color = command.color;
			return true;
		}
	}

	MirrorView* view = window->FindView(command.view);
	if (view == NULL || view->id == window->topView)
		return false;

	switch (command.code) {
		case B_DISPLAY_VIEW_REMOVED:
			if (MirrorView* parent = window->FindView(view->parent))
				Erase(parent->children, view->id);
			_RemoveView(*window, view->id);
			return true;
		case B_DISPLAY_VIEW_FRAME:
			view->frame = command.rect;
			return true;
		case B_DISPLAY_VIEW_HIDDEN:
			view->hidden = command.value != 0;
			return true;
		case B_DISPLAY_VIEW_COLOR:
			view->color = command.color;
			return true;
		case B_DISPLAY_VIEW_ENABLED:
			view->enabled = command.value != 0;
			return true;
		case B_DISPLAY_VIEW_LABEL:
			view->label = command.text;
			return true;
		case B_DISPLAY_VIEW_TEXT:
			view->text = command.text;
			view->selectionStart = view->selectionEnd = 0;
			return true;
		case B_DISPLAY_VIEW_VALUE:
			view->value = command.value;
			return true;

		case B_DISPLAY_MENU_ITEM_ADDED:
		{
			if (window->items.count(command.item) != 0)
				return false;
			std::vector<int32>* siblings = &view->items;
			if (command.parent != 0) {
				auto parent = window->items.find(command.parent);
				if (parent == window->items.end())
					return false;
				siblings = &parent->second.children;
			}
			InsertAt(*siblings, command.index, command.item);
			MirrorMenuItem& item = window->items[command.item];
			item.id = command.item;
			item.parent = command.parent;
			item.label = command.text;
			item.className = command.name;
			item.enabled = command.value != 0;
			item.flags = command.flags;
			return true;
		}
		case B_DISPLAY_MENU_ITEM_CHANGED:
		{
			auto item = window->items.find(command.item);
			if (item == window->items.end())
				return false;
			item->second.label = command.text;
			item->second.enabled = command.value != 0;
			item->second.flags = command.flags;
			return true;
		}
		case B_DISPLAY_MENU_ITEM_REMOVED:
		{
			auto item = window->items.find(command.item);
			if (item == window->items.end())
				return false;
			if (item->second.parent == 0)
				Erase(view->items, command.item);
			else {
				auto parent = window->items.find(item->second.parent);
				if (parent != window->items.end())
					Erase(parent->second.children, command.item);
			}
			_RemoveItem(*window, command.item);
			return true;
		}

		case B_DISPLAY_TAB_ADDED:
		{
			MirrorTab tab;
			tab.label = command.text;
			tab.enabled = command.value != 0;
			InsertAt(view->tabs, command.index, tab);
			return true;
		}
		case B_DISPLAY_TAB_CHANGED:
			if (command.index < 0 || command.index >= (int32)view->tabs.size())
				return false;
			view->tabs[command.index].label = command.text;
			view->tabs[command.index].enabled = command.value != 0;
			return true;
		case B_DISPLAY_TAB_CHOSEN:
			view->selectedTab = command.index;
			return true;

		case B_DISPLAY_LIST_ITEM_ADDED:
			view->listItems.Insert(command.index, command.text.data(),
				command.text.size(), command.value != 0);
			return true;
		case B_DISPLAY_LIST_ITEMS_ADDED:
			if (command.index < 0
				|| command.index > (int32)view->listItems.size())
				return false;
			view->listItems.InsertBatch(command.index, command.text.data(),
				command.text.size());
			return true;
		case B_DISPLAY_LIST_ITEM_REMOVED:
			if (command.index < 0
				|| command.index >= (int32)view->listItems.size())
				return false;
			view->listItems.Erase(command.index);
			return true;
		case B_DISPLAY_LIST_ITEMS_REMOVED:
			if (command.index < 0 || command.value < 0
				|| command.value > (int32)view->listItems.size() - command.index)
				return false;
			view->listItems.Erase(command.index, command.value);
			return true;
		case B_DISPLAY_LIST_ITEM_SELECTED:
			if (command.index < 0
				|| command.index >= (int32)view->listItems.size())
				return false;
			view->listItems.SetSelected(command.index, command.value != 0);
			return true;
		case B_DISPLAY_LIST_EMPTIED:
			view->listItems.Clear();
			return true;
		case B_DISPLAY_VIEW_DIVIDER:
			view->divider = command.value;
			return true;
		case B_DISPLAY_MENU_OPENED:
			if (view->kind != B_DISPLAY_MENU_BAR
				|| window->items.count(command.item) == 0)
				return false;
			window->menuBar = view->id;
			window->openMenu = command.item;
			window->menuHighlight = -1;
			return true;
		case B_DISPLAY_VIEW_MAX_BYTES:
			view->maxBytes = command.value;
			return true;
		case B_DISPLAY_TEXT_SELECTION:
			view->selectionStart = command.index;
			view->selectionEnd = command.value;
			if ((command.flags & B_DISPLAY_SELECTION_FROM_USER) == 0)
				view->selections++;
			return true;
	}
	return false;
}


void
DisplayMirror::_RemoveView(MirrorWindow& window, int32 id)
{
	MirrorView* view = window.FindView(id);
	if (view == NULL)
		return;
	std::vector<int32> children = view->children;
	for (int32 item : view->items)
		_RemoveItem(window, item);
	if (window.focus == id)
		window.focus = -1;
	if (window.menuBar == id)
		window.menuBar = window.openMenu = window.menuHighlight = -1;
	window.views.erase(id);
	for (int32 child : children)
		_RemoveView(window, child);
}


void
DisplayMirror::_RemoveItem(MirrorWindow& window, int32 id)
{
	auto item = window.items.find(id);
	if (item == window.items.end())
		return;
	std::vector<int32> children = item->second.children;
	if (window.openMenu == id)
		window.menuBar = window.openMenu = window.menuHighlight = -1;
	else if (window.menuHighlight == id)
		window.menuHighlight = -1;
	window.items.erase(item);
	for (int32 child : children)
		_RemoveItem(window, child);
}


void
DisplayMirror::_ToFront(int32 window)
{
	Erase(fFront, window);
	fFront.insert(fFront.begin(), window);
}


void
DisplayMirror::_Unshow(int32 window)
{
	Erase(fFront, window);
}

} // namespace BPrivate
