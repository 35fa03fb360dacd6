#ifndef _KITS_DISPLAY_FLTK_INPUT_H
#define _KITS_DISPLAY_FLTK_INPUT_H

#include <SupportDefs.h>

namespace BPrivate {

// How the display thread reaches the application beyond input events
// (display/MirrorInput.h): it never touches a kit object.

// Asks the application to quit as from outside the program (the X
// connection is gone).
void AskApplicationToQuit();

} // namespace BPrivate

#endif
