#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <View.h>

class BStringView : public BView {
public:
								BStringView(BRect frame, const char* name,
									const char* text,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = B_WILL_DRAW);
	virtual						~BStringView();

			void				SetText(const char* text);
			const char*			Text() const { return fText; }

	virtual	void				AttachedToWindow();
	virtual	void				GetPreferredSize(float* width, float* height);

private:
	virtual	void				_SendState();

			char*				fText;
};

#endif // _STRING_VIEW_H
