#ifndef _SCROLL_VIEW_H
#define _SCROLL_VIEW_H

#include <View.h>

#define B_V_SCROLL_BAR_WIDTH 14.0f
#define B_H_SCROLL_BAR_HEIGHT 14.0f

enum border_style {
	B_PLAIN_BORDER,
	B_FANCY_BORDER,
	B_NO_BORDER
};

// Its target inside a border, with scroll bars beside it: the scroll view
// takes the target's place and grows by the border on every side and by
// the scroll bars' widths.
class BScrollView : public BView {
public:
								BScrollView(const char* name, BView* target,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = 0,
									bool horizontal = false,
									bool vertical = false,
									border_style border = B_FANCY_BORDER);
	virtual						~BScrollView();

			BView*				Target() const { return fTarget; }
			border_style		Border() const { return fBorder; }

private:
	virtual	void				_SendState();

			BView*				fTarget;
			border_style		fBorder;
			bool				fHorizontal;
			bool				fVertical;
};

#endif // _SCROLL_VIEW_H
