#include <InterfaceDefs.h>

rgb_color
ui_color(color_which which)
{
	switch (which) {
		case B_PANEL_BACKGROUND_COLOR:
		case B_MENU_BACKGROUND_COLOR:
		case B_CONTROL_BACKGROUND_COLOR:
			return rgb_color{ 216, 216, 216, 255 };
		case B_WINDOW_TAB_COLOR:
			return rgb_color{ 255, 203, 0, 255 };
		case B_KEYBOARD_NAVIGATION_COLOR:
			return rgb_color{ 0, 0, 229, 255 };
		case B_DESKTOP_COLOR:
			return rgb_color{ 51, 102, 152, 255 };
		case B_MENU_SELECTION_BACKGROUND_COLOR:
			return rgb_color{ 115, 120, 184, 255 };
		case B_DOCUMENT_BACKGROUND_COLOR:
			return rgb_color{ 255, 255, 255, 255 };
		case B_MENU_SELECTED_ITEM_TEXT_COLOR:
			return rgb_color{ 255, 255, 255, 255 };
		default:
			return rgb_color{ 0, 0, 0, 255 };
	}
}
