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

	virtual	void				_Dump(BPrivate::ViewDump& dump) const;
	virtual	bool				_AcceptsInput(uint32 action) const;
	virtual	void				_HandleInput(BMessage* input);
			// The menu of the bar so labelled, and the command item so
			// labelled in it; NULL where there is none.
			BMenu*				_MenuLabelled(const char* label) const;
	static	BMenuItem*			_CommandLabelled(BMenu* menu,
									const char* label);

private:
			bool				fResizeToFit;
};

#endif // _MENU_BAR_H
