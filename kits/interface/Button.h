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
	virtual	void				MouseUp(BPoint where);
	virtual	void				KeyDown(const char* bytes, int32 numBytes);
			// Enter in its window presses it.
	virtual	void				MakeDefault(bool flag);
			bool				IsDefault() const;
};

#endif // _BUTTON_H
