#ifndef _TEXT_CONTROL_H
#define _TEXT_CONTROL_H

#include <Control.h>
#include <TextView.h>

// A label, then a one-line text view from the divider on. The text view is
// a child view of the control.
class BTextControl : public BControl {
public:
								BTextControl(BRect frame, const char* name,
									const char* label, const char* initialText,
									BMessage* message,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual						~BTextControl();

	virtual	void				SetText(const char* text);
			const char*			Text() const;
			BTextView*			TextView() const { return fTextView; }

	// Sent at every change of the text, typed or set by the program.
	virtual	void				SetModificationMessage(BMessage* message);
			BMessage*			ModificationMessage() const
									{ return fModificationMessage; }

	virtual	void				SetDivider(float position);
			float				Divider() const { return fDivider; }

	virtual	void				SetEnabled(bool enabled);
	// The text view takes the focus for the control.
	virtual	void				MakeFocus(bool focus = true);
	virtual	void				AttachedToWindow();
	virtual	void				GetPreferredSize(float* width, float* height);

private:
	friend class BTextView;
	friend class BTextView::Private;

	virtual	void				_SendState();
			void				_TextChanged();

			BTextView*			fTextView;
			BMessage*			fModificationMessage;
			float				fDivider;
};

#endif // _TEXT_CONTROL_H
