#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H

#include <GraphicsDefs.h>
#include <OS.h>

// Resizing modes, built as on BeOS from one rule per edge.
#define _rule_(left, top, right, bottom) \
	((uint32)(((left) << 12) | ((top) << 8) | ((right) << 4) | (bottom)))

enum {
	_VIEW_TOP_ = 1,
	_VIEW_LEFT_ = 2,
	_VIEW_BOTTOM_ = 3,
	_VIEW_RIGHT_ = 4,
	_VIEW_CENTER_ = 5
};

#define B_FOLLOW_NONE 0
#define B_FOLLOW_ALL_SIDES _rule_(_VIEW_LEFT_, _VIEW_TOP_, _VIEW_RIGHT_, \
	_VIEW_BOTTOM_)
#define B_FOLLOW_ALL B_FOLLOW_ALL_SIDES
#define B_FOLLOW_LEFT _rule_(_VIEW_LEFT_, 0, _VIEW_LEFT_, 0)
#define B_FOLLOW_RIGHT _rule_(_VIEW_RIGHT_, 0, _VIEW_RIGHT_, 0)
#define B_FOLLOW_LEFT_RIGHT _rule_(_VIEW_LEFT_, 0, _VIEW_RIGHT_, 0)
#define B_FOLLOW_H_CENTER _rule_(_VIEW_CENTER_, 0, _VIEW_CENTER_, 0)
#define B_FOLLOW_TOP _rule_(0, _VIEW_TOP_, 0, _VIEW_TOP_)
#define B_FOLLOW_BOTTOM _rule_(0, _VIEW_BOTTOM_, 0, _VIEW_BOTTOM_)
#define B_FOLLOW_TOP_BOTTOM _rule_(0, _VIEW_TOP_, 0, _VIEW_BOTTOM_)
#define B_FOLLOW_V_CENTER _rule_(0, _VIEW_CENTER_, 0, _VIEW_CENTER_)

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
	B_SUBPIXEL_PRECISE = 0x01000000UL,
	B_DRAW_ON_CHILDREN = 0x00800000UL
};

enum button_width {
	B_WIDTH_AS_USUAL,
	B_WIDTH_FROM_WIDEST,
	B_WIDTH_FROM_LABEL
};

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT
};

enum color_which {
	B_PANEL_BACKGROUND_COLOR = 1,
	B_MENU_BACKGROUND_COLOR = 2,
	B_WINDOW_TAB_COLOR = 3,
	B_KEYBOARD_NAVIGATION_COLOR = 4,
	B_DESKTOP_COLOR = 5,
	B_MENU_SELECTION_BACKGROUND_COLOR = 6,
	B_MENU_ITEM_TEXT_COLOR = 7,
	B_MENU_SELECTED_ITEM_TEXT_COLOR = 8,
	B_PANEL_TEXT_COLOR = 10,
	B_DOCUMENT_BACKGROUND_COLOR = 11,
	B_DOCUMENT_TEXT_COLOR = 12,
	B_CONTROL_BACKGROUND_COLOR = 13,
	B_CONTROL_TEXT_COLOR = 14
};

rgb_color ui_color(color_which which);

#define B_V_SCROLL_BAR_WIDTH 14.0f
#define B_H_SCROLL_BAR_HEIGHT 14.0f

// Keys, as KeyDown receives them.
enum {
	B_BACKSPACE = 0x08,
	B_TAB = 0x09,
	B_ENTER = 0x0a,
	B_RETURN = 0x0a,
	B_SPACE = 0x20,
	B_ESCAPE = 0x1b,
	B_LEFT_ARROW = 0x1c,
	B_RIGHT_ARROW = 0x1d,
	B_UP_ARROW = 0x1e,
	B_DOWN_ARROW = 0x1f,
	B_DELETE = 0x7f,
	B_HOME = 0x01,
	B_END = 0x04,
	B_PAGE_UP = 0x0b,
	B_PAGE_DOWN = 0x0c,
	B_FUNCTION_KEY = 0x10
};

// Which function key, in a B_FUNCTION_KEY's "key".
enum {
	B_F1_KEY = 0x02,
	B_F2_KEY = 0x03,
	B_F3_KEY = 0x04,
	B_F4_KEY = 0x05,
	B_F5_KEY = 0x06,
	B_F6_KEY = 0x07,
	B_F7_KEY = 0x08,
	B_F8_KEY = 0x09,
	B_F9_KEY = 0x0a,
	B_F10_KEY = 0x0b,
	B_F11_KEY = 0x0c,
	B_F12_KEY = 0x0d
};

// Modifier keys held with a key. On a PC keyboard Alt is BeOS's Command.
enum {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_OPTION_KEY = 0x00000040
};

// Control values.
enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1
};

#endif // _INTERFACE_DEFS_H
