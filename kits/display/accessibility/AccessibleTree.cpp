#include "display/accessibility/AccessibleTree.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "display/MirrorInput.h"

namespace BPrivate {

namespace {

AccessibleRef
MakeRef(AccessibleRef::Type type, int32 window, int32 id, int32 index)
{
	AccessibleRef ref;
	ref.type = type;
	ref.window = window;
	ref.id = id;
	ref.index = index;
	return ref;
}


// AT-SPI2's numbers (atspi-constants.h); they are the protocol's.
enum {
	kRoleAlert = 2,
	kRoleCheckBox = 7,
	kRoleCheckMenuItem = 8,
	kRoleComboBox = 11,
	kRoleDialog = 16,
	kRoleFrame = 23,
	kRoleIcon = 26,
	kRoleLabel = 29,
	kRoleList = 31,
	kRoleListItem = 32,
	kRoleMenu = 33,
	kRoleMenuBar = 34,
	kRoleMenuItem = 35,
	kRolePageTab = 37,
	kRolePageTabList = 38,
	kRolePanel = 39,
	kRolePushButton = 43,
	kRoleScrollPane = 49,
	kRoleSeparator = 50,
	kRoleApplication = 75,
	kRoleEntry = 79
};

enum {
	kStateActive = 1,
	kStateChecked = 4,
	kStateEditable = 7,
	kStateEnabled = 8,
	kStateFocusable = 11,
	kStateFocused = 12,
	kStateModal = 16,
	kStateMultiselectable = 18,
	kStateSelectable = 22,
	kStateSelected = 23,
	kStateSensitive = 24,
	kStateShowing = 25,
	kStateSingleLine = 26,
	kStateVisible = 30,
	kStateCheckable = 41
};

enum {
	kRelationLabelFor = 1,
	kRelationLabelledBy = 2,
	kRelationDescriptionFor = 17,
	kRelationDescribedBy = 18
};

const char* kPathPrefix = "/org/a11y/atspi/accessible/";


void
SetState(uint32 states[2], uint32 state)
{
	states[state / 32] |= 1u << (state % 32);
}


bool
ParseNumbers(const char* text, int32* numbers, int count)
{
	for (int i = 0; i < count; i++) {
		char* end;
		long value = strtol(text, &end, 10);
		if (end == text || value < -1 || value > 0x7fffffff)
			return false;
		numbers[i] = (int32)value;
		if (i + 1 < count) {
			if (*end != '_')
				return false;
			text = end + 1;
		} else if (*end != '\0')
			return false;
	}
	return true;
}


bool
IsPlainItem(const MirrorMenuItem& item)
{
	return (item.flags & (B_DISPLAY_ITEM_SUBMENU | B_DISPLAY_ITEM_SEPARATOR))
		== 0;
}

} // namespace


std::string
AccessibleRef::Path() const
{
	char path[96];
	switch (type) {
		case kApplication:
			return std::string(kPathPrefix) + "root";
		case kWindow:
			snprintf(path, sizeof(path), "%sw%d", kPathPrefix, (int)window);
			return path;
		case kView:
			snprintf(path, sizeof(path), "%sv%d_%d", kPathPrefix, (int)window,
				(int)id);
			return path;
		case kMenuItem:
			snprintf(path, sizeof(path), "%sm%d_%d", kPathPrefix, (int)window,
				(int)id);
			return path;
		case kTab:
			snprintf(path, sizeof(path), "%st%d_%d_%d", kPathPrefix,
				(int)window, (int)id, (int)index);
			return path;
		case kEntry:
			snprintf(path, sizeof(path), "%se%d_%d_%d", kPathPrefix,
				(int)window, (int)id, (int)index);
			return path;
		case kNone:
			break;
	}
	// AT-SPI's null object.
	return "/org/a11y/atspi/null";
}


bool
AccessibleRef::FromPath(const char* path, AccessibleRef* ref)
{
	size_t prefix = strlen(kPathPrefix);
	if (path == NULL || strncmp(path, kPathPrefix, prefix) != 0)
		return false;
	const char* name = path + prefix;
	*ref = AccessibleRef();
	if (strcmp(name, "root") == 0) {
		ref->type = kApplication;
		return true;
	}
	int32 numbers[3];
	switch (name[0]) {
		case 'w':
			if (!ParseNumbers(name + 1, numbers, 1))
				return false;
			*ref = Window(numbers[0]);
			return true;
		case 'v':
		case 'm':
			if (!ParseNumbers(name + 1, numbers, 2))
				return false;
			*ref = name[0] == 'v' ? View(numbers[0], numbers[1])
				: MenuItem(numbers[0], numbers[1]);
			return true;
		case 't':
		case 'e':
			if (!ParseNumbers(name + 1, numbers, 3))
				return false;
			*ref = name[0] == 't' ? Tab(numbers[0], numbers[1], numbers[2])
				: Entry(numbers[0], numbers[1], numbers[2]);
			return true;
		default:
			return false;
	}
}


AccessibleRef
AccessibleRef::Application()
{
	return MakeRef(kApplication, -1, -1, -1);
}


AccessibleRef
AccessibleRef::Window(int32 window)
{
	return MakeRef(kWindow, window, -1, -1);
}


AccessibleRef
AccessibleRef::View(int32 window, int32 view)
{
	return MakeRef(kView, window, view, -1);
}


AccessibleRef
AccessibleRef::MenuItem(int32 window, int32 item)
{
	return MakeRef(kMenuItem, window, item, -1);
}


AccessibleRef
AccessibleRef::Tab(int32 window, int32 view, int32 index)
{
	return MakeRef(kTab, window, view, index);
}


AccessibleRef
AccessibleRef::Entry(int32 window, int32 view, int32 index)
{
	return MakeRef(kEntry, window, view, index);
}


AccessibleTree::AccessibleTree(DisplayMirror& mirror,
	const std::string& applicationName)
	:
	fMirror(mirror),
	fApplicationName(applicationName),
	fScale(1)
{
}


MirrorWindow*
AccessibleTree::_Window(const AccessibleRef& ref)
{
	MirrorWindow* window = fMirror.FindWindow(ref.window);
	return window != NULL && window->shown ? window : NULL;
}


MirrorView*
AccessibleTree::_View(const AccessibleRef& ref)
{
	MirrorWindow* window = _Window(ref);
	return window != NULL ? window->FindView(ref.id) : NULL;
}


std::vector<int32>
AccessibleTree::_ShownWindows()
{
	std::vector<int32> shown;
	for (int32 id : fMirror.Windows()) {
		MirrorWindow* window = fMirror.FindWindow(id);
		if (window != NULL && window->shown)
			shown.push_back(id);
	}
	return shown;
}


bool
AccessibleTree::Exists(const AccessibleRef& ref)
{
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return true;
		case AccessibleRef::kWindow:
			return _Window(ref) != NULL;
		case AccessibleRef::kView:
		{
			MirrorWindow* window = _Window(ref);
			return window != NULL && ref.id != window->topView
				&& window->FindView(ref.id) != NULL;
		}
		case AccessibleRef::kMenuItem:
		{
			MirrorWindow* window = _Window(ref);
			return window != NULL
				&& window->items.find(ref.id) != window->items.end();
		}
		case AccessibleRef::kTab:
		{
			MirrorView* view = _View(ref);
			return view != NULL && view->kind == B_DISPLAY_TAB_VIEW
				&& ref.index >= 0 && ref.index < (int32)view->tabs.size();
		}
		case AccessibleRef::kEntry:
		{
			MirrorView* view = _View(ref);
			return view != NULL && view->kind == B_DISPLAY_LIST_VIEW
				&& ref.index >= 0
				&& ref.index < (int32)view->listItems.size();
		}
		case AccessibleRef::kNone:
			break;
	}
	return false;
}


uint32
AccessibleTree::Interfaces(const AccessibleRef& ref)
{
	if (ref.type == AccessibleRef::kApplication)
		return kApplicationInterface;
	uint32 interfaces = kComponent;
	if (!Actions(ref).empty())
		interfaces |= kAction;
	if (ref.type != AccessibleRef::kView)
		return interfaces;
	MirrorView* view = _View(ref);
	if (view == NULL)
		return interfaces;
	switch (view->kind) {
		case B_DISPLAY_TEXT_VIEW:
			interfaces |= kText | kEditableText;
			break;
		case B_DISPLAY_STRING_VIEW:
			interfaces |= kText;
			break;
		case B_DISPLAY_LIST_VIEW:
		case B_DISPLAY_TAB_VIEW:
		case B_DISPLAY_MENU_FIELD:
			interfaces |= kSelection;
			break;
	}
	return interfaces;
}


uint32
AccessibleTree::Role(const AccessibleRef& ref)
{
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return kRoleApplication;
		case AccessibleRef::kWindow:
		{
			MirrorWindow* window = _Window(ref);
			if (window != NULL && window->isAlert)
				return kRoleAlert;
			if (window != NULL && window->isPanel)
				return kRoleDialog;
			return kRoleFrame;
		}
		case AccessibleRef::kMenuItem:
		{
			MirrorWindow* window = _Window(ref);
			auto item = window != NULL ? window->items.find(ref.id)
				: std::map<int32, MirrorMenuItem>::iterator();
			if (window == NULL || item == window->items.end())
				return kRoleMenuItem;
			if ((item->second.flags & B_DISPLAY_ITEM_SUBMENU) != 0)
				return kRoleMenu;
			if ((item->second.flags & B_DISPLAY_ITEM_SEPARATOR) != 0)
				return kRoleSeparator;
			if ((item->second.flags & B_DISPLAY_ITEM_MARKED) != 0)
				return kRoleCheckMenuItem;
			return kRoleMenuItem;
		}
		case AccessibleRef::kTab:
			return kRolePageTab;
		case AccessibleRef::kEntry:
			return kRoleListItem;
		case AccessibleRef::kView:
			break;
		case AccessibleRef::kNone:
			return 0;
	}
	MirrorView* view = _View(ref);
	if (view == NULL)
		return 0;
	switch (view->kind) {
		case B_DISPLAY_BUTTON:
			return kRolePushButton;
		case B_DISPLAY_STRING_VIEW:
		case B_DISPLAY_TEXT_CONTROL:
			return kRoleLabel;
		case B_DISPLAY_MENU_BAR:
			return kRoleMenuBar;
		case B_DISPLAY_TAB_VIEW:
			return kRolePageTabList;
		case B_DISPLAY_LIST_VIEW:
			return kRoleList;
		case B_DISPLAY_SCROLL_VIEW:
			return kRoleScrollPane;
		case B_DISPLAY_CHECK_BOX:
			return kRoleCheckBox;
		case B_DISPLAY_TEXT_VIEW:
			return kRoleEntry;
		case B_DISPLAY_MENU_FIELD:
			return kRoleComboBox;
		case B_DISPLAY_ICON_VIEW:
			return kRoleIcon;
		default:
			return kRolePanel;
	}
}


const MirrorView*
AccessibleTree::_TextViewOf(const MirrorWindow& window,
	const MirrorView& control)
{
	if (control.kind != B_DISPLAY_TEXT_CONTROL)
		return NULL;
	for (int32 child : control.children) {
		const MirrorView* found = window.FindView(child);
		if (found != NULL && found->kind == B_DISPLAY_TEXT_VIEW)
			return found;
	}
	return NULL;
}


const MirrorView*
AccessibleTree::_ControlOf(const MirrorWindow& window,
	const MirrorView& textView)
{
	if (textView.kind != B_DISPLAY_TEXT_VIEW)
		return NULL;
	const MirrorView* parent = window.FindView(textView.parent);
	return parent != NULL && parent->kind == B_DISPLAY_TEXT_CONTROL
		? parent : NULL;
}


// The text field a browsing button fills: a button whose label ends in
// "..." (it opens a panel) beside a text control of the same parent, on
// the same row. "Sfoglia..." alone tells a listener nothing.
const MirrorView*
AccessibleTree::_FieldOf(const MirrorWindow& window, const MirrorView& button)
{
	if (button.kind != B_DISPLAY_BUTTON || button.label.size() < 3
		|| button.label.compare(button.label.size() - 3, 3, "...") != 0)
		return NULL;
	const MirrorView* parent = window.FindView(button.parent);
	if (parent == NULL)
		return NULL;
	for (int32 id : parent->children) {
		const MirrorView* control = window.FindView(id);
		if (control != NULL && control->kind == B_DISPLAY_TEXT_CONTROL
			&& control->frame.top <= button.frame.bottom
			&& control->frame.bottom >= button.frame.top)
			return control;
	}
	return NULL;
}


std::string
AccessibleTree::Name(const AccessibleRef& ref)
{
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return fApplicationName;
		case AccessibleRef::kWindow:
		{
			MirrorWindow* window = _Window(ref);
			if (window == NULL)
				return "";
			if (!window->isAlert)
				return window->title;
			// A listener hears what the icon shows: the alert's name, its
			// title too, is for scripts.
			switch (window->alertType) {
				case B_STOP_ALERT:
					return "Errore";
				case B_WARNING_ALERT:
					return "Attenzione";
				default:
					return "Informazione";
			}
		}
		case AccessibleRef::kMenuItem:
		{
			MirrorWindow* window = _Window(ref);
			if (window == NULL)
				return "";
			auto item = window->items.find(ref.id);
			return item != window->items.end() ? item->second.label : "";
		}
		case AccessibleRef::kTab:
			return Exists(ref) ? _View(ref)->tabs[ref.index].label : "";
		case AccessibleRef::kEntry:
			// The whole text: a display may elide it, a screen reader
			// never does.
			return Exists(ref) ? _View(ref)->listItems.TextString(ref.index)
				: "";
		case AccessibleRef::kView:
			break;
		case AccessibleRef::kNone:
			return "";
	}
	MirrorWindow* window = _Window(ref);
	MirrorView* view = _View(ref);
	if (view == NULL)
		return "";
	switch (view->kind) {
		case B_DISPLAY_BUTTON:
		case B_DISPLAY_CHECK_BOX:
		case B_DISPLAY_TEXT_CONTROL:
		case B_DISPLAY_MENU_FIELD:
			return view->label;
		case B_DISPLAY_STRING_VIEW:
			return view->text;
		case B_DISPLAY_TEXT_VIEW:
		{
			const MirrorView* control = _ControlOf(*window, *view);
			return control != NULL ? control->label : "";
		}
		case B_DISPLAY_LIST_VIEW:
			return _ListName(*window, *view);
		default:
			return "";
	}
}


// A list has no label of its own: it is named by the tab whose page holds
// it ("File"), else by its window when that is a panel ("Aggiungi file"),
// so that a listener hears more than "list".
std::string
AccessibleTree::_ListName(const MirrorWindow& window, const MirrorView& list)
{
	const MirrorView* page = &list;
	while (page != NULL) {
		const MirrorView* container = window.FindView(page->parent);
		const MirrorView* tabs = container != NULL
			? window.FindView(container->parent) : NULL;
		if (tabs != NULL && tabs->kind == B_DISPLAY_TAB_VIEW) {
			auto at = std::find(container->children.begin(),
				container->children.end(), page->id);
			size_t index = at - container->children.begin();
			if (index < tabs->tabs.size())
				return tabs->tabs[index].label;
		}
		page = container;
	}
	return window.isPanel ? window.title : "";
}


std::string
AccessibleTree::Description(const AccessibleRef& ref)
{
	// An alert's message is read from its label, and travels with the
	// alert's own event: as its description too, a screen reader would
	// read it twice.
	if (ref.type == AccessibleRef::kView) {
		MirrorWindow* window = _Window(ref);
		MirrorView* view = _View(ref);
		if (window != NULL && view != NULL) {
			if (const MirrorView* field = _FieldOf(*window, *view))
				return field->label;
		}
	}
	return "";
}


AccessibleRef
AccessibleTree::_ViewParent(const MirrorWindow& window,
	const MirrorView& view)
{
	if (view.parent == window.topView || view.parent < 0)
		return AccessibleRef::Window(window.id);
	return AccessibleRef::View(window.id, view.parent);
}


AccessibleRef
AccessibleTree::Parent(const AccessibleRef& ref)
{
	if (!Exists(ref))
		return AccessibleRef();
	MirrorWindow* window = _Window(ref);
	switch (ref.type) {
		case AccessibleRef::kWindow:
			return AccessibleRef::Application();
		case AccessibleRef::kView:
			return _ViewParent(*window, *window->FindView(ref.id));
		case AccessibleRef::kTab:
		case AccessibleRef::kEntry:
			return AccessibleRef::View(ref.window, ref.id);
		case AccessibleRef::kMenuItem:
		{
			const MirrorMenuItem& item = window->items[ref.id];
			if (item.parent != 0)
				return AccessibleRef::MenuItem(ref.window, item.parent);
			for (const auto& view : window->views) {
				const std::vector<int32>& items = view.second.items;
				if (std::find(items.begin(), items.end(), ref.id)
						!= items.end())
					return AccessibleRef::View(ref.window, view.first);
			}
			return AccessibleRef::Window(ref.window);
		}
		default:
			return AccessibleRef();
	}
}


int32
AccessibleTree::CountChildren(const AccessibleRef& ref)
{
	if (!Exists(ref))
		return 0;
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return (int32)_ShownWindows().size();
		case AccessibleRef::kWindow:
		{
			MirrorWindow* window = _Window(ref);
			const MirrorView* top = window->FindView(window->topView);
			return top != NULL ? (int32)top->children.size() : 0;
		}
		case AccessibleRef::kMenuItem:
			return (int32)_Window(ref)->items[ref.id].children.size();
		case AccessibleRef::kView:
			break;
		default:
			return 0;
	}
	MirrorView* view = _View(ref);
	switch (view->kind) {
		case B_DISPLAY_MENU_BAR:
		case B_DISPLAY_MENU_FIELD:
			return (int32)view->items.size();
		case B_DISPLAY_LIST_VIEW:
			return (int32)view->listItems.size();
		case B_DISPLAY_TAB_VIEW:
			return (int32)(view->tabs.size() + view->children.size());
		default:
			return (int32)view->children.size();
	}
}


AccessibleRef
AccessibleTree::ChildAt(const AccessibleRef& ref, int32 index)
{
	if (index < 0 || index >= CountChildren(ref))
		return AccessibleRef();
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return AccessibleRef::Window(_ShownWindows()[index]);
		case AccessibleRef::kWindow:
		{
			MirrorWindow* window = _Window(ref);
			return AccessibleRef::View(ref.window,
				window->FindView(window->topView)->children[index]);
		}
		case AccessibleRef::kMenuItem:
			return AccessibleRef::MenuItem(ref.window,
				_Window(ref)->items[ref.id].children[index]);
		case AccessibleRef::kView:
			break;
		default:
			return AccessibleRef();
	}
	MirrorView* view = _View(ref);
	switch (view->kind) {
		case B_DISPLAY_MENU_BAR:
		case B_DISPLAY_MENU_FIELD:
			return AccessibleRef::MenuItem(ref.window, view->items[index]);
		case B_DISPLAY_LIST_VIEW:
			return AccessibleRef::Entry(ref.window, ref.id, index);
		case B_DISPLAY_TAB_VIEW:
			if (index < (int32)view->tabs.size())
				return AccessibleRef::Tab(ref.window, ref.id, index);
			return AccessibleRef::View(ref.window,
				view->children[index - view->tabs.size()]);
		default:
			return AccessibleRef::View(ref.window, view->children[index]);
	}
}


int32
AccessibleTree::IndexInParent(const AccessibleRef& ref)
{
	if (!Exists(ref))
		return -1;
	switch (ref.type) {
		case AccessibleRef::kApplication:
			return -1;
		case AccessibleRef::kEntry:
		case AccessibleRef::kTab:
			return ref.index;
		case AccessibleRef::kWindow:
		{
			std::vector<int32> shown = _ShownWindows();
			return (int32)(std::find(shown.begin(), shown.end(), ref.window)
				- shown.begin());
		}
		default:
			break;
	}
	AccessibleRef parent = Parent(ref);
	int32 count = CountChildren(parent);
	// Menus and views hold tens of children at most: a scan is enough.
	for (int32 i = 0; i < count; i++) {
		if (ChildAt(parent, i) == ref)
			return i;
	}
	return -1;
}


bool
AccessibleTree::IsActive(int32 window)
{
	const std::vector<int32>& front = fMirror.FrontToBack();
	return !front.empty() && front[0] == window;
}


void
AccessibleTree::GetStates(const AccessibleRef& ref, uint32 states[2])
{
	states[0] = states[1] = 0;
	if (!Exists(ref) || ref.type == AccessibleRef::kApplication)
		return;
	MirrorWindow* window = _Window(ref);
	if (ref.type == AccessibleRef::kWindow) {
		SetState(states, kStateEnabled);
		SetState(states, kStateSensitive);
		SetState(states, kStateShowing);
		SetState(states, kStateVisible);
		if (IsActive(window->id))
			SetState(states, kStateActive);
		if (window->isAlert || window->IsModal())
			SetState(states, kStateModal);
		return;
	}
	if (ref.type == AccessibleRef::kMenuItem) {
		const MirrorMenuItem& item = window->items[ref.id];
		if (item.enabled) {
			SetState(states, kStateEnabled);
			SetState(states, kStateSensitive);
		}
		SetState(states, kStateVisible);
		if (IsPlainItem(item))
			SetState(states, kStateSelectable);
		if ((item.flags & B_DISPLAY_ITEM_MARKED) != 0) {
			SetState(states, kStateCheckable);
			SetState(states, kStateChecked);
		}
		return;
	}

	MirrorView* view = window->FindView(ref.id);
	bool showing = !window->IsHidden(view->id);
	if (ref.type == AccessibleRef::kTab || ref.type == AccessibleRef::kEntry) {
		bool enabled = view->enabled;
		bool selected;
		if (ref.type == AccessibleRef::kTab) {
			enabled = enabled && view->tabs[ref.index].enabled;
			selected = view->selectedTab == ref.index;
		} else
			selected = view->listItems.IsSelected(ref.index);
		if (enabled) {
			SetState(states, kStateEnabled);
			SetState(states, kStateSensitive);
		}
		SetState(states, kStateVisible);
		if (showing)
			SetState(states, kStateShowing);
		SetState(states, kStateSelectable);
		if (selected)
			SetState(states, kStateSelected);
		return;
	}

	if (view->enabled) {
		SetState(states, kStateEnabled);
		SetState(states, kStateSensitive);
	}
	if (!view->hidden)
		SetState(states, kStateVisible);
	if (showing)
		SetState(states, kStateShowing);
	if ((view->flags & B_NAVIGABLE) != 0 || view->kind == B_DISPLAY_TEXT_VIEW)
		SetState(states, kStateFocusable);
	if (window->focus == view->id && IsActive(window->id))
		SetState(states, kStateFocused);
	switch (view->kind) {
		case B_DISPLAY_CHECK_BOX:
			SetState(states, kStateCheckable);
			if (view->value == B_CONTROL_ON)
				SetState(states, kStateChecked);
			break;
		case B_DISPLAY_TEXT_VIEW:
			SetState(states, kStateSingleLine);
			if (view->enabled)
				SetState(states, kStateEditable);
			break;
		case B_DISPLAY_LIST_VIEW:
			SetState(states, kStateMultiselectable);
			break;
	}
}


bool
AccessibleTree::HasState(const AccessibleRef& ref, uint32 state)
{
	uint32 states[2];
	GetStates(ref, states);
	return state < 64 && (states[state / 32] & (1u << (state % 32))) != 0;
}


std::vector<std::pair<uint32, AccessibleRef> >
AccessibleTree::Relations(const AccessibleRef& ref)
{
	std::vector<std::pair<uint32, AccessibleRef> > relations;
	MirrorView* view = ref.type == AccessibleRef::kView && Exists(ref)
		? _View(ref) : NULL;
	if (view == NULL)
		return relations;
	MirrorWindow* window = _Window(ref);
	if (const MirrorView* input = _TextViewOf(*window, *view)) {
		relations.push_back(std::make_pair((uint32)kRelationLabelFor,
			AccessibleRef::View(ref.window, input->id)));
	}
	if (const MirrorView* control = _ControlOf(*window, *view)) {
		relations.push_back(std::make_pair((uint32)kRelationLabelledBy,
			AccessibleRef::View(ref.window, control->id)));
	}
	if (const MirrorView* field = _FieldOf(*window, *view)) {
		relations.push_back(std::make_pair((uint32)kRelationDescribedBy,
			AccessibleRef::View(ref.window, field->id)));
	}
	return relations;
}


void
AccessibleTree::GetExtents(const AccessibleRef& ref, int32 extents[4])
{
	extents[0] = extents[1] = extents[2] = extents[3] = 0;
	if (!Exists(ref) || ref.type == AccessibleRef::kApplication)
		return;
	MirrorWindow* window = _Window(ref);
	BRect frame = window->frame;
	if (ref.type == AccessibleRef::kView || ref.type == AccessibleRef::kTab
		|| ref.type == AccessibleRef::kEntry) {
		// A tab or an entry is given its view's place: the mirror knows
		// no row heights.
		BRect inWindow = window->FrameInWindow(ref.id);
		frame = inWindow.OffsetByCopy(window->frame.left, window->frame.top);
	} else if (ref.type == AccessibleRef::kMenuItem) {
		AccessibleRef owner = Parent(ref);
		while (owner.type == AccessibleRef::kMenuItem)
			owner = Parent(owner);
		GetExtents(owner, extents);
		return;
	}
	// Frames are inclusive, as on BeOS.
	extents[0] = (int32)(frame.left * fScale);
	extents[1] = (int32)(frame.top * fScale);
	extents[2] = (int32)((frame.Width() + 1) * fScale);
	extents[3] = (int32)((frame.Height() + 1) * fScale);
}


AccessibleRef
AccessibleTree::ObjectAt(const AccessibleRef& ref, int32 x, int32 y)
{
	if (ref.type == AccessibleRef::kApplication) {
		for (int32 id : fMirror.FrontToBack()) {
			AccessibleRef found = ObjectAt(AccessibleRef::Window(id), x, y);
			if (found.type != AccessibleRef::kNone)
				return found;
		}
		return AccessibleRef();
	}
	int32 extents[4];
	GetExtents(ref, extents);
	if (x < extents[0] || y < extents[1] || x >= extents[0] + extents[2]
		|| y >= extents[1] + extents[3])
		return AccessibleRef();
	MirrorWindow* window = _Window(ref);
	if (ref.type != AccessibleRef::kWindow && ref.type != AccessibleRef::kView)
		return ref;
	const MirrorView* view = window->ViewAt(x / fScale - window->frame.left,
		y / fScale - window->frame.top);
	if (view == NULL || view->id == window->topView)
		return AccessibleRef::Window(window->id);
	return AccessibleRef::View(window->id, view->id);
}


std::vector<std::string>
AccessibleTree::Actions(const AccessibleRef& ref)
{
	std::vector<std::string> actions;
	if (!Exists(ref))
		return actions;
	switch (ref.type) {
		case AccessibleRef::kMenuItem:
			if (IsPlainItem(_Window(ref)->items[ref.id]))
				actions.push_back("click");
			break;
		case AccessibleRef::kTab:
			actions.push_back("switch");
			break;
		case AccessibleRef::kEntry:
			actions.push_back("select");
			actions.push_back("activate");
			break;
		case AccessibleRef::kView:
		{
			int32 kind = _View(ref)->kind;
			if (kind == B_DISPLAY_BUTTON)
				actions.push_back("click");
			else if (kind == B_DISPLAY_CHECK_BOX)
				actions.push_back("toggle");
			break;
		}
		default:
			break;
	}
	return actions;
}


bool
AccessibleTree::ActionInput(const AccessibleRef& ref, int32 action,
	BMessage* input, int32* window)
{
	std::vector<std::string> actions = Actions(ref);
	if (action < 0 || action >= (int32)actions.size())
		return false;
	// A modal window or an alert in front takes every click, as on the
	// screen.
	if (!MirrorInput(fMirror).CanReach(ref.window))
		return false;
	// What the window would drop is not promised to the caller either.
	MirrorWindow* mirror = _Window(ref);
	MirrorView* view = ref.type != AccessibleRef::kMenuItem ? _View(ref)
		: NULL;
	if (view != NULL && !MirrorInput::IsUsable(*mirror, *view))
		return false;
	*window = ref.window;
	input->MakeEmpty();
	switch (ref.type) {
		case AccessibleRef::kView:
			input->what = B_INPUT_CLICK;
			input->AddInt32("view", ref.id);
			return true;
		case AccessibleRef::kTab:
			if (ref.index < 0 || ref.index >= (int32)view->tabs.size()
				|| !view->tabs[ref.index].enabled)
				return false;
			input->what = B_INPUT_TAB;
			input->AddInt32("view", ref.id);
			input->AddInt32("index", ref.index);
			return true;
		case AccessibleRef::kEntry:
			input->what = B_INPUT_SELECTION;
			input->AddInt32("view", ref.id);
			input->AddInt32("index", ref.index);
			if (actions[action] == "activate")
				input->AddBool("invoke", true);
			return true;
		case AccessibleRef::kMenuItem:
		{
			AccessibleRef owner = Parent(ref);
			while (owner.type == AccessibleRef::kMenuItem)
				owner = Parent(owner);
			MirrorView* ownerView = owner.type == AccessibleRef::kView
				? _View(owner) : NULL;
			if (ownerView == NULL
				|| !MirrorInput::IsUsable(*mirror, *ownerView)
				|| !_ItemChain(*mirror, ref.id))
				return false;
			input->what = B_INPUT_MENU_ITEM;
			input->AddInt32("view", owner.id);
			input->AddInt32("item", ref.id);
			return true;
		}
		default:
			return false;
	}
}


// An item chosen in a disabled menu, or a disabled item itself, is dropped
// by the menu as a click on it would be.
bool
AccessibleTree::_ItemChain(const MirrorWindow& window, int32 item)
{
	while (item > 0) {
		auto found = window.items.find(item);
		if (found == window.items.end() || !found->second.enabled)
			return false;
		item = found->second.parent;
	}
	return true;
}


std::string
AccessibleTree::Text(const AccessibleRef& ref)
{
	MirrorView* view = ref.type == AccessibleRef::kView ? _View(ref) : NULL;
	if (view == NULL)
		return "";
	if (view->kind == B_DISPLAY_TEXT_VIEW || view->kind == B_DISPLAY_STRING_VIEW)
		return view->text;
	return "";
}


bool
AccessibleTree::TextInput(const AccessibleRef& ref, const std::string& text,
	BMessage* input, int32* window)
{
	MirrorView* view = ref.type == AccessibleRef::kView ? _View(ref) : NULL;
	if (view == NULL || view->kind != B_DISPLAY_TEXT_VIEW
		|| !MirrorInput::IsUsable(*_Window(ref), *view)
		|| !MirrorInput(fMirror).CanReach(ref.window))
		return false;
	*window = ref.window;
	input->MakeEmpty();
	input->what = B_INPUT_TEXT;
	input->AddInt32("view", ref.id);
	input->AddString("text", text.c_str());
	return true;
}


std::vector<int32>
AccessibleTree::SelectedChildren(const AccessibleRef& ref)
{
	std::vector<int32> selected;
	MirrorView* view = ref.type == AccessibleRef::kView ? _View(ref) : NULL;
	if (view == NULL)
		return selected;
	switch (view->kind) {
		case B_DISPLAY_LIST_VIEW:
			for (size_t i = 0; i < view->listItems.size(); i++) {
				if (view->listItems.IsSelected(i))
					selected.push_back((int32)i);
			}
			break;
		case B_DISPLAY_TAB_VIEW:
			if (view->selectedTab >= 0
				&& view->selectedTab < (int32)view->tabs.size())
				selected.push_back(view->selectedTab);
			break;
		case B_DISPLAY_MENU_FIELD:
		{
			MirrorWindow* window = _Window(ref);
			for (size_t i = 0; i < view->items.size(); i++) {
				auto item = window->items.find(view->items[i]);
				if (item != window->items.end()
					&& (item->second.flags & B_DISPLAY_ITEM_MARKED) != 0)
					selected.push_back((int32)i);
			}
			break;
		}
	}
	return selected;
}


bool
AccessibleTree::SelectionInput(const AccessibleRef& ref,
	const std::vector<int32>& children, BMessage* input, int32* window)
{
	MirrorView* view = ref.type == AccessibleRef::kView ? _View(ref) : NULL;
	if (view == NULL || !MirrorInput::IsUsable(*_Window(ref), *view)
		|| !MirrorInput(fMirror).CanReach(ref.window))
		return false;
	int32 count = CountChildren(ref);
	for (int32 child : children) {
		if (child < 0 || child >= count)
			return false;
	}
	*window = ref.window;
	input->MakeEmpty();
	input->AddInt32("view", ref.id);
	switch (view->kind) {
		case B_DISPLAY_LIST_VIEW:
			input->what = B_INPUT_SELECTION;
			for (int32 child : children)
				input->AddInt32("index", child);
			return true;
		case B_DISPLAY_TAB_VIEW:
			if (children.size() != 1
				|| children[0] >= (int32)view->tabs.size())
				return false;
			input->what = B_INPUT_TAB;
			input->AddInt32("index", children[0]);
			return true;
		case B_DISPLAY_MENU_FIELD:
		{
			if (children.size() != 1)
				return false;
			MirrorWindow* mirror = _Window(ref);
			const MirrorMenuItem& item = mirror->items[view->items[children[0]]];
			if (!IsPlainItem(item) || !item.enabled)
				return false;
			input->what = B_INPUT_MENU_ITEM;
			input->AddInt32("item", item.id);
			return true;
		}
		default:
			return false;
	}
}

} // namespace BPrivate
