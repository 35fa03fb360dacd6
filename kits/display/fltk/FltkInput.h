#ifndef _KITS_DISPLAY_FLTK_INPUT_H
#define _KITS_DISPLAY_FLTK_INPUT_H

#include <SupportDefs.h>

class BMessage;

namespace BPrivate {

// The only ways the display thread reaches the application: it knows
// windows by their ids and never touches a kit object.

// Posts an input event to the looper of the window with this id; false
// when the window has gone.
bool PostToWindow(int32 window, BMessage* message);

// Asks the application to quit as from outside the program (the X
// connection is gone).
void AskApplicationToQuit();

} // namespace BPrivate

#endif
