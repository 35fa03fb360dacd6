#ifndef _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_TREE_H
#define _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_TREE_H

#include <string>
#include <vector>

#include <SupportDefs.h>

#include "display/DisplayMirror.h"

class BMessage;

namespace BPrivate {

// One object a screen reader sees: the application, a shown window, a
// view, a menu item, a tab of a tab view or an entry of a list view.
struct AccessibleRef {
	enum Type {
		kNone = 0,
		kApplication,
		kWindow,
		kView,
		kMenuItem,
		kTab,
		kEntry
	};

	Type				type = kNone;
	int32				window = -1;
	int32				id = -1;		// the view, or the menu item
	int32				index = -1;		// the tab, or the entry

	// The object path on the accessibility bus, and back; false for a
	// path that names no object of ours.
	std::string			Path() const;
	static	bool		FromPath(const char* path, AccessibleRef* ref);

	bool				operator==(const AccessibleRef& other) const
							{ return type == other.type
								&& window == other.window && id == other.id
								&& index == other.index; }
	bool				operator!=(const AccessibleRef& other) const
							{ return !(*this == other); }

	static	AccessibleRef Application();
	static	AccessibleRef Window(int32 window);
	static	AccessibleRef View(int32 window, int32 view);
	static	AccessibleRef MenuItem(int32 window, int32 item);
	static	AccessibleRef Tab(int32 window, int32 view, int32 index);
	static	AccessibleRef Entry(int32 window, int32 view, int32 index);
};

// What a mirror of the windows says to an assistive technology, in the
// terms of AT-SPI2: roles, names, states, extents, actions, text. It reads
// the mirror only; what an action does is an input event for the caller
// to post, as a display would.
class AccessibleTree {
public:
	// Interfaces an object may have, as GetInterfaces lists them.
	enum {
		kComponent = 0x01,
		kAction = 0x02,
		kText = 0x04,
		kEditableText = 0x08,
		kSelection = 0x10,
		kApplicationInterface = 0x20
	};

								AccessibleTree(DisplayMirror& mirror,
									const std::string& applicationName);

			DisplayMirror&		Mirror() { return fMirror; }
			const std::string&	ApplicationName() const
									{ return fApplicationName; }
			// Pixels a point takes on the display, for extents.
			void				SetScale(float scale) { fScale = scale; }

			// True while the object is there: a shown window and what is
			// in it.
			bool				Exists(const AccessibleRef& ref);
			uint32				Interfaces(const AccessibleRef& ref);

			uint32				Role(const AccessibleRef& ref);
			std::string			Name(const AccessibleRef& ref);
			std::string			Description(const AccessibleRef& ref);
			AccessibleRef		Parent(const AccessibleRef& ref);
			int32				CountChildren(const AccessibleRef& ref);
			AccessibleRef		ChildAt(const AccessibleRef& ref, int32 index);
			int32				IndexInParent(const AccessibleRef& ref);
			// The two words of an AT-SPI state set.
			void				GetStates(const AccessibleRef& ref,
									uint32 states[2]);
			bool				HasState(const AccessibleRef& ref,
									uint32 state);
			// Label-for and labelled-by, between a text control and its
			// text view.
			std::vector<std::pair<uint32, AccessibleRef> > Relations(
									const AccessibleRef& ref);
			// On the screen, in pixels: left, top, width, height.
			void				GetExtents(const AccessibleRef& ref,
									int32 extents[4]);
			// The object under a point on the screen, among ref's
			// descendants, or kNone.
			AccessibleRef		ObjectAt(const AccessibleRef& ref, int32 x,
									int32 y);

			// Actions: their names, and the input event an action is.
			std::vector<std::string> Actions(const AccessibleRef& ref);
			// The input a display would post for the action, and the
			// window to post it to; false when there is none.
			bool				ActionInput(const AccessibleRef& ref,
									int32 action, BMessage* input,
									int32* window);

			// A text view's text (Text and EditableText), a label's text.
			std::string			Text(const AccessibleRef& ref);
			// The input that gives a text view this text, as typing would.
			bool				TextInput(const AccessibleRef& ref,
									const std::string& text, BMessage* input,
									int32* window);

			// Selection: the selected children of a list, tab list or
			// menu field, and the input that selects exactly these.
			std::vector<int32>	SelectedChildren(const AccessibleRef& ref);
			bool				SelectionInput(const AccessibleRef& ref,
									const std::vector<int32>& children,
									BMessage* input, int32* window);

			// The window that shows the object: the front-most shown one
			// is active.
			bool				IsActive(int32 window);

private:
			MirrorWindow*		_Window(const AccessibleRef& ref);
			MirrorView*			_View(const AccessibleRef& ref);
			// The object a view stands for in the tree's parent chain:
			// a window's top view is the window itself.
			AccessibleRef		_ViewParent(const MirrorWindow& window,
									const MirrorView& view);
			std::vector<int32>	_ShownWindows();
	static	bool				_ItemChain(const MirrorWindow& window,
									int32 item);
			const MirrorView*	_FieldOf(const MirrorWindow& window,
									const MirrorView& button);
			std::string			_ListName(const MirrorWindow& window,
									const MirrorView& list);
			const MirrorView*	_TextViewOf(const MirrorWindow& window,
									const MirrorView& control);
			const MirrorView*	_ControlOf(const MirrorWindow& window,
									const MirrorView& textView);

			DisplayMirror&		fMirror;
			std::string			fApplicationName;
			float				fScale;
};

} // namespace BPrivate

#endif
