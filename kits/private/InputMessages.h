#ifndef _KITS_PRIVATE_INPUT_MESSAGES_H
#define _KITS_PRIVATE_INPUT_MESSAGES_H

// User input that a display sends a window, to be acted on in the
// window's thread, as app_server input is on BeOS. Fields: "view" (the
// view's token), and per action "index" (int32, repeated for selections),
// "text", "menu"/"item" (labels).
enum {
	B_INPUT_CLICK = '_ICK',
	B_INPUT_TYPE = '_ITY',
	B_INPUT_MENU = '_IMN',
	B_INPUT_PICK = '_IPK',
	B_INPUT_TAB = '_ITB',
	B_INPUT_SELECT = '_ISL'
};

#endif
