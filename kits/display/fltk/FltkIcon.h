#ifndef _KITS_DISPLAY_FLTK_ICON_H
#define _KITS_DISPLAY_FLTK_ICON_H

#include <SupportDefs.h>

class Fl_RGB_Image;

namespace BPrivate {

// Colours of B_CMAP8 pixels as red, green, blue, alpha bytes.
void CMap8ToRGBA(const uint8* indices, int32 count, uint8* rgba);

// The running executable's large icon from its resources, for the
// windows' title bars and task lists; NULL when it has none.
Fl_RGB_Image* LoadApplicationIcon();

} // namespace BPrivate

#endif
