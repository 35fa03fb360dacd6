#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

struct font_height {
	float ascent;
	float descent;
	float leading;
};

#endif // _FONT_H
