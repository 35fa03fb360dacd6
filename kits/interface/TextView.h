#ifndef _TEXT_VIEW_H
#define _TEXT_VIEW_H

#include <View.h>

// One line of editable text. Its limit counts bytes of UTF-8, as on BeOS,
// and holds for every way the text changes: typed or set by the program.
class BTextView : public BView {
public:
								BTextView(BRect frame, const char* name,
									BRect textRect, uint32 resizingMode,
									uint32 flags);
	virtual						~BTextView();

			void				SetText(const char* text);
			const char*			Text() const;
			int32				TextLength() const;

			// Byte offsets; what is selected, typing replaces. A new text,
			// set or typed, has nothing selected.
			void				Select(int32 startOffset, int32 endOffset);
			void				SelectAll();
			void				GetSelection(int32* startOffset,
									int32* endOffset) const;

			void				SetMaxBytes(int32 max);
			int32				MaxBytes() const { return fMaxBytes; }

			void				MakeEditable(bool editable = true);

	// A click gives it the focus; Enter, where the window has no default
	// button to take it, invokes its text control.
	virtual	void				MouseDown(BPoint where);
	virtual	void				KeyDown(const char* bytes, int32 numBytes);
			bool				IsEditable() const { return fEditable; }

			class Private;

private:
	friend class Private;

	virtual	void				_SendState();
			// Keeps at most fMaxBytes of the text, whole characters only;
			// true when the text changed.
			bool				_SetText(const char* text);
			void				_SendSelection(bool fromUser = false) const;

			char*				fText;
			int32				fMaxBytes;
			int32				fSelectionStart;
			int32				fSelectionEnd;
			bool				fEditable;
};

#endif // _TEXT_VIEW_H
