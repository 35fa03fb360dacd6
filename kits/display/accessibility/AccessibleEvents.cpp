#include "display/accessibility/AccessibleEvents.h"

#include <algorithm>
#include <vector>

#include "display/accessibility/Utf8Text.h"

namespace BPrivate {

const char* const kObjectEvent = "org.a11y.atspi.Event.Object";
const char* const kWindowEvent = "org.a11y.atspi.Event.Window";
const char* const kFocusEvent = "org.a11y.atspi.Event.Focus";


AccessibleEvents::AccessibleEvents(DisplayMirror& mirror, AccessibleTree& tree,
	AccessibleEventSink& sink)
	:
	fMirror(mirror),
	fTree(tree),
	fSink(sink)
{
}


// Children and selections of one parent change many times in a batch (a
// list of thousands of entries): each is told once, at the end.
void
AccessibleEvents::Flush()
{
	for (const auto& changed : fChildrenChanged) {
		const AccessibleRef& parent = changed.second;
		if (!fTree.Exists(parent))
			continue;
		int32 count = fTree.CountChildren(parent);
		AccessibleRef last = count > 0 ? fTree.ChildAt(parent, count - 1)
			: AccessibleRef();
		_Emit(parent, kObjectEvent, "ChildrenChanged",
			count > 0 ? "add" : "remove", std::max(count - 1, 0), 0, NULL,
			&last);
	}
	fChildrenChanged.clear();
	for (const auto& changed : fSelectionChanged) {
		if (fTree.Exists(changed.second))
			_Emit(changed.second, kObjectEvent, "SelectionChanged", "", 0, 0);
	}
	fSelectionChanged.clear();
}


void
AccessibleEvents::Apply(DisplayCommand& command)
{
	MirrorWindow* window = fMirror.FindWindow(command.window);
	bool wasShown = window != NULL && window->shown;
	const std::vector<int32>& front = fMirror.FrontToBack();
	int32 oldFront = front.empty() ? -1 : front[0];
	int32 oldFocus = window != NULL ? window->focus : -1;
	AccessibleRef view = AccessibleRef::View(command.window, command.view);
	AccessibleRef oldParent;
	int32 oldValue = 0;
	std::string oldText;
	int32 oldStart = 0;
	int32 oldEnd = 0;
	int32 oldTab = -1;
	uint32 oldItemFlags = 0;
	bool oldItemEnabled = true;
	if (wasShown) {
		if (command.code == B_DISPLAY_VIEW_REMOVED)
			oldParent = fTree.Parent(view);
		if (command.code == B_DISPLAY_MENU_ITEM_REMOVED)
			oldParent = fTree.Parent(AccessibleRef::MenuItem(command.window,
				command.item));
		if (const MirrorView* mirror = window->FindView(command.view)) {
			oldValue = mirror->value;
			oldText = mirror->text;
			oldStart = mirror->selectionStart;
			oldEnd = mirror->selectionEnd;
			oldTab = mirror->selectedTab;
		}
		auto item = window->items.find(command.item);
		if (item != window->items.end()) {
			oldItemFlags = item->second.flags;
			oldItemEnabled = item->second.enabled;
		}
	}

	if (!fMirror.Apply(command))
		return;
	window = fMirror.FindWindow(command.window);
	bool shown = window != NULL && window->shown;
	int32 newFront = front.empty() ? -1 : front[0];
	AccessibleRef application = AccessibleRef::Application();
	AccessibleRef windowRef = AccessibleRef::Window(command.window);

	if (shown != wasShown) {
		fChildrenChanged[application.Path()] = application;
		if (shown)
			_Emit(windowRef, kWindowEvent, "Create", "", 0, 0);
		else {
			_Emit(windowRef, kWindowEvent,
				command.code == B_DISPLAY_WINDOW_GONE ? "Destroy" : "Deactivate",
				"", 0, 0);
		}
	}
	if (newFront != oldFront) {
		if (oldFront >= 0 && fTree.Exists(AccessibleRef::Window(oldFront))) {
			_Emit(AccessibleRef::Window(oldFront), kWindowEvent, "Deactivate",
				"", 0, 0);
			_State(AccessibleRef::Window(oldFront), "active", false);
		}
		if (newFront >= 0) {
			AccessibleRef frontRef = AccessibleRef::Window(newFront);
			_Emit(frontRef, kWindowEvent, "Activate", "", 0, 0);
			_State(frontRef, "active", true);
			MirrorWindow* frontWindow = fMirror.FindWindow(newFront);
			if (frontWindow != NULL && frontWindow->focus >= 0) {
				AccessibleRef focus = AccessibleRef::View(newFront,
					frontWindow->focus);
				_State(focus, "focused", true);
				_Emit(focus, kFocusEvent, "Focus", "", 0, 0);
			}
		}
	}
	if (!shown)
		return;

	switch (command.code) {
		case B_DISPLAY_ALERT_SHOWN:
			// What a screen reader reads out as the alert comes up: its
			// message, with the event.
			_Emit(windowRef, kObjectEvent, "StateChanged", "showing", 1, 0,
				&window->alertText);
			break;
		case B_DISPLAY_WINDOW_TITLE:
			_Emit(windowRef, kObjectEvent, "PropertyChange", "accessible-name",
				0, 0);
			break;
		case B_DISPLAY_WINDOW_FOCUS:
			if (oldFocus == window->focus || !fTree.IsActive(window->id))
				break;
			if (oldFocus >= 0) {
				_State(AccessibleRef::View(command.window, oldFocus),
					"focused", false);
			}
			if (window->focus >= 0) {
				AccessibleRef focus = AccessibleRef::View(command.window,
					window->focus);
				_State(focus, "focused", true);
				_Emit(focus, kFocusEvent, "Focus", "", 0, 0);
			}
			break;
		case B_DISPLAY_VIEW_ADDED:
		{
			AccessibleRef parent = fTree.Parent(view);
			fChildrenChanged[parent.Path()] = parent;
			break;
		}
		case B_DISPLAY_VIEW_REMOVED:
		case B_DISPLAY_MENU_ITEM_REMOVED:
			if (oldParent.type != AccessibleRef::kNone)
				fChildrenChanged[oldParent.Path()] = oldParent;
			break;
		case B_DISPLAY_MENU_ITEM_ADDED:
		{
			AccessibleRef parent = fTree.Parent(
				AccessibleRef::MenuItem(command.window, command.item));
			fChildrenChanged[parent.Path()] = parent;
			break;
		}
		case B_DISPLAY_MENU_ITEM_CHANGED:
		{
			auto item = window->items.find(command.item);
			if (item == window->items.end())
				break;
			AccessibleRef itemRef = AccessibleRef::MenuItem(command.window,
				command.item);
			uint32 marked = item->second.flags & B_DISPLAY_ITEM_MARKED;
			if (marked != (oldItemFlags & B_DISPLAY_ITEM_MARKED))
				_State(itemRef, "checked", marked != 0);
			if (item->second.enabled != oldItemEnabled)
				_State(itemRef, "enabled", item->second.enabled);
			break;
		}
		case B_DISPLAY_VIEW_HIDDEN:
			_State(view, "showing", !window->IsHidden(command.view));
			_State(view, "visible", command.value == 0);
			break;
		case B_DISPLAY_VIEW_ENABLED:
			_State(view, "enabled", command.value != 0);
			_State(view, "sensitive", command.value != 0);
			break;
		case B_DISPLAY_VIEW_LABEL:
			_Emit(view, kObjectEvent, "PropertyChange", "accessible-name", 0,
				0);
			break;
		case B_DISPLAY_VIEW_TEXT:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror == NULL || mirror->text == oldText)
				break;
			if (mirror->kind == B_DISPLAY_STRING_VIEW) {
				_Emit(view, kObjectEvent, "PropertyChange",
					"accessible-name", 0, 0);
			}
			if (mirror->kind == B_DISPLAY_STRING_VIEW) {
				// A label is read whole.
				_TextChanged(view, oldText, 0, oldText.size(), mirror->text,
					0, mirror->text.size());
			} else if (mirror->kind == B_DISPLAY_TEXT_VIEW) {
				// What typing, deleting or pasting changed, and only that,
				// where it was: what a screen reader echoes.
				size_t prefix = 0;
				size_t most = std::min(oldText.size(), mirror->text.size());
				while (prefix < most && oldText[prefix] == mirror->text[prefix])
					prefix++;
				while (prefix > 0 && ((unsigned char)oldText[prefix] & 0xc0)
						== 0x80)
					prefix--;
				size_t suffix = 0;
				while (suffix < most - prefix
					&& oldText[oldText.size() - 1 - suffix]
						== mirror->text[mirror->text.size() - 1 - suffix])
					suffix++;
				while (suffix > 0 && ((unsigned char)oldText[oldText.size()
						- suffix] & 0xc0) == 0x80)
					suffix--;
				_TextChanged(view, oldText, prefix, oldText.size() - suffix,
					mirror->text, prefix, mirror->text.size() - suffix);
			}
			break;
		}
		case B_DISPLAY_TEXT_SELECTION:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror == NULL || mirror->kind != B_DISPLAY_TEXT_VIEW)
				break;
			if (mirror->selectionStart != oldStart
				|| mirror->selectionEnd != oldEnd) {
				if (oldStart != oldEnd
					|| mirror->selectionStart != mirror->selectionEnd) {
					_Emit(view, kObjectEvent, "TextSelectionChanged", "", 0,
						0);
				}
			}
			if (mirror->selectionEnd != oldEnd) {
				_Emit(view, kObjectEvent, "TextCaretMoved", "",
					CharacterOffset(mirror->text, mirror->selectionEnd), 0);
			}
			break;
		}
		case B_DISPLAY_VIEW_VALUE:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror != NULL && mirror->kind == B_DISPLAY_CHECK_BOX
				&& (mirror->value == 1) != (oldValue == 1))
				_State(view, "checked", mirror->value == 1);
			break;
		}
		case B_DISPLAY_TAB_CHOSEN:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror == NULL || mirror->selectedTab == oldTab)
				break;
			if (oldTab >= 0 && oldTab < (int32)mirror->tabs.size()) {
				_State(AccessibleRef::Tab(command.window, command.view,
					oldTab), "selected", false);
			}
			_State(AccessibleRef::Tab(command.window, command.view,
				mirror->selectedTab), "selected", true);
			fSelectionChanged[view.Path()] = view;
			break;
		}
		case B_DISPLAY_TAB_ADDED:
			fChildrenChanged[view.Path()] = view;
			break;
		case B_DISPLAY_LIST_ITEM_ADDED:
		case B_DISPLAY_LIST_ITEMS_ADDED:
		case B_DISPLAY_LIST_ITEM_REMOVED:
		case B_DISPLAY_LIST_ITEMS_REMOVED:
		case B_DISPLAY_LIST_EMPTIED:
			fChildrenChanged[view.Path()] = view;
			break;
		case B_DISPLAY_LIST_ITEM_SELECTED:
			fSelectionChanged[view.Path()] = view;
			break;
		default:
			break;
	}
}


// The bytes from to end of the old text gave way to those of the new one:
// told as a deletion and an insertion at the character they start at.
void
AccessibleEvents::_TextChanged(const AccessibleRef& view,
	const std::string& oldText, size_t oldFrom, size_t oldEnd,
	const std::string& newText, size_t newFrom, size_t newEnd)
{
	if (oldEnd > oldFrom) {
		std::string gone = oldText.substr(oldFrom, oldEnd - oldFrom);
		_Emit(view, kObjectEvent, "TextChanged", "delete",
			CharacterOffset(oldText, (int32)oldFrom), CountCharacters(gone),
			&gone);
	}
	if (newEnd > newFrom) {
		std::string added = newText.substr(newFrom, newEnd - newFrom);
		_Emit(view, kObjectEvent, "TextChanged", "insert",
			CharacterOffset(newText, (int32)newFrom), CountCharacters(added),
			&added);
	}
}


void
AccessibleEvents::_Emit(const AccessibleRef& source, const char* interface,
	const char* member, const char* detail, int32 detail1, int32 detail2,
	const std::string* text, const AccessibleRef* object)
{
	AccessibleEvent event;
	event.source = source;
	event.interface = interface;
	event.member = member;
	event.detail = detail;
	event.detail1 = detail1;
	event.detail2 = detail2;
	if (object != NULL) {
		event.hasObject = true;
		event.object = *object;
	} else if (text != NULL) {
		event.hasText = true;
		event.text = *text;
	}
	fSink.Emit(event);
}


void
AccessibleEvents::_State(const AccessibleRef& source, const char* state,
	bool on)
{
	if (!fTree.Exists(source))
		return;
	_Emit(source, kObjectEvent, "StateChanged", state, on ? 1 : 0, 0);
}

} // namespace BPrivate
