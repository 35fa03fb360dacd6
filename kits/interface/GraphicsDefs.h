#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;
};

enum color_space {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
	B_CMAP8 = 0x0004,
	B_GRAY8 = 0x0002
};

// The index of a transparent pixel in B_CMAP8.
#define B_TRANSPARENT_MAGIC_CMAP8 0xff

#endif // _GRAPHICS_DEFS_H
