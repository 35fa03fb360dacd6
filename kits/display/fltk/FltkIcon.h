#ifndef _KITS_DISPLAY_FLTK_ICON_H
#define _KITS_DISPLAY_FLTK_ICON_H

#include <SupportDefs.h>

class Fl_RGB_Image;

namespace BPrivate {

// Colours of B_CMAP8 pixels as red, green, blue, alpha bytes.
void CMap8ToRGBA(const uint8* indices, int32 count, uint8* rgba);

// An RGBA square of side pixels made factor times larger, each pixel a
// block of factor by factor: a pixel icon stays sharp, never blurred.
void ScaleRGBA(const uint8* rgba, int32 side, int32 factor, uint8* scaled);

// The running executable's large icon from its resources, for the
// windows' title bars and task lists, factor times its 32 pixels; NULL
// when it has none.
Fl_RGB_Image* LoadApplicationIcon(int32 factor = 1);

} // namespace BPrivate

#endif
