#ifndef _BUTTON_H
#define _BUTTON_H

#include <Control.h>

class BButton : public BControl {
public:
								BButton(BRect frame, const char* name,
									const char* label, BMessage* message,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual						~BButton();

	virtual	void				GetPreferredSize(float* width, float* height);

	virtual	bool				_AcceptsInput(uint32 action) const;
	virtual	void				_HandleInput(BMessage* input);
};

#endif // _BUTTON_H
