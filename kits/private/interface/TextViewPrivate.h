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
			// The caret (start == end) or the selection after it, in
			// bytes; -1: at the end of the text, where the kit's own
			// typing puts it.
			void				ApplyTyped(const char* text, int32 start = -1,
									int32 end = -1);
			// The user moved the caret or the selection without typing.
			void				ApplyCaret(int32 start, int32 end);

			// The bytes of text that fit in max, cut so that no UTF-8
			// character is split.
	static	size_t				FittingBytes(const char* text, int32 max);

private:
			void				_SetCaret(int32 start, int32 end);

			BTextView*			fView;
};

#endif
