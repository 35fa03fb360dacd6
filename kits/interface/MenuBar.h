#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <Menu.h>

class BMenuBar : public BMenu {
public:
								BMenuBar(BRect frame, const char* name,
									uint32 resizingMode
										= B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
									menu_layout layout = B_ITEMS_IN_ROW,
									bool resizeToFit = true);
	virtual						~BMenuBar();

	virtual	void				AttachedToWindow();
	virtual	void				GetPreferredSize(float* width, float* height);

private:
	virtual	void				_SendState();

			bool				fResizeToFit;
};

#endif // _MENU_BAR_H
