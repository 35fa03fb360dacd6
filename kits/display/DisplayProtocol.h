#ifndef _KITS_DISPLAY_DISPLAY_PROTOCOL_H
#define _KITS_DISPLAY_DISPLAY_PROTOCOL_H

// Everything the kits and a display say to each other, in one place, as
// BeOS kits talk to their app_server. docs/display-protocol.md explains it
// and how to add a view class to both displays.
//
// Kit -> display: an ordered stream of commands per window. A kit setter
// checks the lock, changes the kit object's own state and sends one
// command; the display keeps a copy for drawing, never the only one.
// Commands are sent by the thread that holds the window's lock (or, before
// the window's thread runs, by the thread that builds it) and never wait.
//
// Display -> kit: input events, as messages posted to the window's looper
// and applied in the window's thread, where the kit checks again that the
// view can take them (shown, enabled) before it acts.

#include <string>

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

namespace BPrivate {

// What a view is, for the display: how to draw it and what it shows.
enum display_view_kind {
	B_DISPLAY_PLAIN_VIEW = 0,	// a rectangle in its view colour
	B_DISPLAY_BUTTON,			// label, enabled; takes clicks
	B_DISPLAY_STRING_VIEW,		// text, on one line, never wrapped
	B_DISPLAY_MENU_BAR,			// menus of menu items; takes item choices
	B_DISPLAY_TAB_VIEW,			// a row of tabs over its container view
	B_DISPLAY_LIST_VIEW,		// rows of entries, some selected; takes
								// selections
	B_DISPLAY_SCROLL_VIEW,		// a border and a scroll bar around its
								// target, its first child; value: the
								// border style
	B_DISPLAY_CHECK_BOX,		// label, value (1: on), enabled; takes clicks
	B_DISPLAY_TEXT_CONTROL,		// label left of the divider; its text view
								// is a child view
	B_DISPLAY_TEXT_VIEW,		// one line of editable text, enabled, a
								// limit in bytes; takes typed text
	B_DISPLAY_MENU_FIELD,		// label left of the divider, text (what the
								// menu shows), enabled, menu items; takes
								// item choices
	B_DISPLAY_ICON_VIEW			// an alert's icon, of our own drawing;
								// value: the alert_type
};

// Commands. The fields each one uses are listed after it; "window" is
// always the window's id, "view" a view's id (ids are handler tokens).
enum display_command_code {
	// window, view (the window's top view), text (title), rect (frame on
	// the screen), look, feel, flags
	B_DISPLAY_WINDOW_CREATED = 1,
	// window, text
	B_DISPLAY_WINDOW_TITLE,
	// window, rect
	B_DISPLAY_WINDOW_FRAME,
	// window, look, feel, flags
	B_DISPLAY_WINDOW_LOOK,
	// window
	B_DISPLAY_WINDOW_SHOWN,
	B_DISPLAY_WINDOW_HIDDEN,
	B_DISPLAY_WINDOW_ACTIVATED,
	B_DISPLAY_WINDOW_GONE,

	// window, view, parent, index (place among the parent's children),
	// kind, text (class name), name, rect (frame in the parent), mode
	// (resizing mode), flags (view flags), value (1: hidden itself),
	// color (view colour). The view's own state follows as the commands
	// below, and then its children, each added in turn.
	B_DISPLAY_VIEW_ADDED,
	// window, view: the view and everything in it are gone
	B_DISPLAY_VIEW_REMOVED,
	// window, view, rect (frame in the parent)
	B_DISPLAY_VIEW_FRAME,
	// window, view, value (1: hidden itself, 0: shown)
	B_DISPLAY_VIEW_HIDDEN,
	// window, view, color
	B_DISPLAY_VIEW_COLOR,
	// window, view, value (1: enabled)
	B_DISPLAY_VIEW_ENABLED,
	// window, view, text
	B_DISPLAY_VIEW_LABEL,
	B_DISPLAY_VIEW_TEXT,
	// window, view, value
	B_DISPLAY_VIEW_VALUE,

	// Menu items of a menu bar or a menu field. window, view (the bar or
	// field), item, parent (the item whose submenu holds it; 0: the view
	// itself), index, text
	// (label), name (class name), value (1: enabled), flags (see
	// display_menu_item_flags)
	B_DISPLAY_MENU_ITEM_ADDED,
	// window, view, item, text, value, flags
	B_DISPLAY_MENU_ITEM_CHANGED,
	// window, view, item: the item and its submenu are gone
	B_DISPLAY_MENU_ITEM_REMOVED,

	// Tabs of a tab view. window, view, index, text (label), value (1:
	// enabled)
	B_DISPLAY_TAB_ADDED,
	// window, view, index, text, value
	B_DISPLAY_TAB_CHANGED,
	// window, view, index (the tab in front)
	B_DISPLAY_TAB_CHOSEN,

	// The window is an alert, now showing: window, name (the alert's
	// name), text (its message), value (its alert_type)
	B_DISPLAY_ALERT_SHOWN,

	// Entries of a list view, one command each so that a big list goes
	// out as a stream the display applies in batches. window, view,
	// index, text, value (1: selected)
	B_DISPLAY_LIST_ITEM_ADDED,
	// window, view, index
	B_DISPLAY_LIST_ITEM_REMOVED,
	// window, view, index, value (1: selected)
	B_DISPLAY_LIST_ITEM_SELECTED,
	// window, view: every entry gone
	B_DISPLAY_LIST_EMPTIED,

	// The window is a file panel, now showing: window, text (its title)
	B_DISPLAY_PANEL_SHOWN,

	// Entries added in one batch, none selected: window, view, index (of
	// the first), text (each entry's text followed by a NUL)
	B_DISPLAY_LIST_ITEMS_ADDED,
	// window, view, value (where the label part of a text control or a
	// menu field ends, in pixels from the view's left edge)
	B_DISPLAY_VIEW_DIVIDER,
	// window, view, value (the most bytes of UTF-8 a text view takes)
	B_DISPLAY_VIEW_MAX_BYTES,
	// Entries next to each other removed: window, view, index (of the
	// first), value (how many). A display's queue folds a run of
	// B_DISPLAY_LIST_ITEM_REMOVED into one, so emptying a big list entry
	// by entry queues one command, not one an entry.
	B_DISPLAY_LIST_ITEMS_REMOVED,
	// window, view (a text view), index (the first byte selected), value
	// (the byte after the last; equal to index: nothing selected, the
	// caret there). Typing replaces what is selected. Every
	// B_DISPLAY_VIEW_TEXT to a text view leaves nothing selected. flags
	// B_DISPLAY_SELECTION_FROM_USER: the user's own caret or selection,
	// told back for whoever reads the kit's state (a screen reader); the
	// display, whose caret it is, has it already.
	B_DISPLAY_TEXT_SELECTION,
	// window, rect (left: the least width, top: the least height, right:
	// the greatest width, bottom: the greatest height, as frame widths)
	B_DISPLAY_WINDOW_SIZE_LIMITS,
	// The window's focus, which keys go to and which the display marks in
	// the keyboard-navigation blue: window, view (-1: none). A text view
	// named so gets the display's own text focus, so that typing goes
	// there.
	B_DISPLAY_WINDOW_FOCUS,
	// Open a menu of a menu bar, as a click on its title would (F10):
	// window, view (the bar), item (the bar's item whose menu opens). The
	// display then moves in the menu with the arrows itself, sends
	// B_INPUT_MENU_ITEM for Enter and closes it on Escape.
	B_DISPLAY_MENU_OPENED
};

enum display_menu_item_flags {
	B_DISPLAY_ITEM_MARKED = 0x01,
	B_DISPLAY_ITEM_SEPARATOR = 0x02,
	B_DISPLAY_ITEM_SUBMENU = 0x04
};

struct DisplayCommand {
	uint32			code = 0;
	int32			window = -1;
	int32			view = -1;
	int32			parent = -1;
	int32			item = -1;
	int32			index = -1;
	int32			kind = B_DISPLAY_PLAIN_VIEW;
	int32			value = 0;
	uint32			mode = 0;
	uint32			flags = 0;
	int32			look = 0;
	int32			feel = 0;
	BRect			rect;
	rgb_color		color = { 255, 255, 255, 255 };
	std::string		text;
	std::string		name;

	explicit		DisplayCommand(uint32 what = 0) : code(what) {}
};

// Input events: messages a display posts to a window's looper. Fields:
// "view" (int32, the view's id) unless noted.
// B_DISPLAY_TEXT_SELECTION's flags.
enum {
	B_DISPLAY_SELECTION_FROM_USER = 0x01
};

enum display_input_code {
	// A click on a button (or any view that takes clicks); "where"
	// (BPoint, in the view's coordinates) is optional: the centre.
	B_INPUT_CLICK = '_ICK',
	// A menu item chosen: "view" (the menu bar), "item" (int32, its id).
	B_INPUT_MENU_ITEM = '_IMI',
	// A tab chosen: "view" (the tab view), "index" (int32).
	B_INPUT_TAB = '_ITB',
	// The window's close box: no field.
	B_INPUT_CLOSE = '_ICL',
	// Files dropped: "where" (BPoint, in the window's coordinates),
	// "refs" (entry_ref, one per file). The window finds the view under
	// the point and hands it a B_SIMPLE_DATA message with the refs.
	B_INPUT_DROP = '_IDR',
	// A key the display does not take itself (a text view it gave the
	// text focus keeps what it edits and sends B_INPUT_TEXT): "bytes"
	// (string, UTF-8, as KeyDown gets them: B_TAB, B_ENTER, B_ESCAPE,
	// B_SPACE, B_BACKSPACE, B_DELETE, the arrows, B_FUNCTION_KEY, or the
	// character typed), "key" (int32, optional: for B_FUNCTION_KEY which
	// one, B_F1_KEY to B_F12_KEY), "modifiers" (int32, optional:
	// B_SHIFT_KEY, B_COMMAND_KEY for Alt, B_CONTROL_KEY). The window
	// moves the focus on Tab, gives Enter to its default button and the
	// rest to the focus view's KeyDown. "view" (optional) sends the key to
	// that view instead of the focus.
	B_INPUT_KEY = '_IKY',
	// The user's new selection in a list view: "view", "index" (int32,
	// one per selected entry; none: nothing selected); "invoke" (bool,
	// optional): it was a double click, which then invokes the list.
	B_INPUT_SELECTION = '_ISL',
	// What a user types and clicks in a file panel to get to its entries:
	// "directory" (string, the folder to show), "name" (string, one per
	// entry to select; in a save panel, the name typed). The panel's
	// buttons are then clicked as any button is.
	B_INPUT_PANEL_FILL = '_IPF',
	// The text of a text view as the user has typed it: "view" (the text
	// view), "text" (string, UTF-8). The kit keeps at most its limit of
	// bytes, cut at a character's boundary.
	// "caret", "anchor" (int32, optional): where the caret and the other
	// end of the selection are after the change, in bytes; without them,
	// at the end of the text.
	B_INPUT_TEXT = '_ITX',
	// The user moved the caret, or the selection, in a text view without
	// changing its text: "view", "caret", "anchor" (int32, bytes).
	B_INPUT_CARET = '_ICR',
	// The user resized the window: "width", "height" (int32, as a frame's
	// Width and Height count). No "view". The kit keeps it within the window's
	// flags and size limits, resizes the views by their resizing modes
	// and tells the display the frame it took.
	B_INPUT_FRAME = '_IFR'
};

inline bool
IsUserInput(uint32 what)
{
	switch (what) {
		case B_INPUT_CLICK:
		case B_INPUT_MENU_ITEM:
		case B_INPUT_TAB:
		case B_INPUT_CLOSE:
		case B_INPUT_DROP:
		case B_INPUT_KEY:
		case B_INPUT_SELECTION:
		case B_INPUT_PANEL_FILL:
		case B_INPUT_TEXT:
		case B_INPUT_CARET:
		case B_INPUT_FRAME:
			return true;
	}
	return false;
}

} // namespace BPrivate

#endif
