#ifndef _KITS_PRIVATE_INTERFACE_TEXT_VIEW_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_TEXT_VIEW_PRIVATE_H

#include <TextView.h>

// What the window and the text control share about a text view.
class BTextView::Private {
public:
								Private(BTextView* view) : fView(view) {}

			// The user typed: the text as the display saw it. Applied in
			// the window's thread; an owner that cannot be edited now
			// drops it.
			void				ApplyTyped(const char* text);

			// The bytes of text that fit in max, cut so that no UTF-8
			// character is split.
	static	size_t				FittingBytes(const char* text, int32 max);

private:
			BTextView*			fView;
};

#endif
