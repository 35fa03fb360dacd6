#ifndef _MIME_H
#define _MIME_H

// Icon sizes by their width in pixels, as on BeOS.
enum icon_size {
	B_LARGE_ICON = 32,
	B_MINI_ICON = 16
};

#endif // _MIME_H
