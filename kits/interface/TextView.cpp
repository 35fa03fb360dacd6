#include <TextView.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include <Message.h>
#include <TextControl.h>
#include <Window.h>

#include "private/interface/TextViewPrivate.h"
#include "private/interface/ViewPrivate.h"

namespace {

// BeOS's largest text: a text view takes everything until told otherwise.
const int32 kNoLimit = 0x7fffffff;

} // namespace


size_t
BTextView::Private::FittingBytes(const char* text, int32 max)
{
	size_t length = strlen(text);
	if (max < 0)
		max = 0;
	if (length <= (size_t)max)
		return length;
	size_t end = (size_t)max;
	// Back off continuation bytes (10xxxxxx) to the start of the character
	// that would be cut.
	while (end > 0 && ((unsigned char)text[end] & 0xc0) == 0x80)
		end--;
	return end;
}


void
BTextView::Private::ApplyTyped(const char* text, int32 start, int32 end)
{
	if (!fView->fEditable)
		return;
	BTextControl* control = dynamic_cast<BTextControl*>(fView->Parent());
	if (control != NULL && !control->IsEnabled())
		return;
	bool changed = fView->_SetText(text);
	// The display shows what the user typed; where the limit cut it, or
	// nothing changed, it is told again what the view holds.
	BView::Private(fView).SendText(BPrivate::B_DISPLAY_VIEW_TEXT,
		fView->fText);
	int32 length = (int32)strlen(fView->fText);
	_SetCaret(start < 0 ? length : start, end < 0 ? length : end);
	if (changed && control != NULL)
		control->_TextChanged();
}


BTextView::BTextView(BRect frame, const char* name, BRect, uint32 resizingMode,
	uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fText(strdup("")),
	fMaxBytes(kNoLimit),
	fSelectionStart(0),
	fSelectionEnd(0),
	fEditable(true)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_TEXT_VIEW);
}


BTextView::~BTextView()
{
	free(fText);
}


void
BTextView::SetText(const char* text)
{
	BView::Private view(this);
	view.CheckLock();
	bool changed = _SetText(text);
	fSelectionStart = fSelectionEnd = 0;
	view.SendText(BPrivate::B_DISPLAY_VIEW_TEXT, fText);
	if (!changed)
		return;
	if (BTextControl* control = dynamic_cast<BTextControl*>(Parent()))
		control->_TextChanged();
}


const char*
BTextView::Text() const
{
	return fText;
}


int32
BTextView::TextLength() const
{
	return (int32)strlen(fText);
}


void
BTextView::Select(int32 startOffset, int32 endOffset)
{
	BView::Private view(this);
	view.CheckLock();
	int32 length = TextLength();
	fSelectionStart = startOffset < 0 ? 0
		: (startOffset > length ? length : startOffset);
	fSelectionEnd = endOffset < fSelectionStart ? fSelectionStart
		: (endOffset > length ? length : endOffset);
	if (fSelectionStart == fSelectionEnd)
		fSelectionStart = fSelectionEnd = 0;
	_SendSelection();
}


void
BTextView::SelectAll()
{
	Select(0, TextLength());
}


void
BTextView::GetSelection(int32* startOffset, int32* endOffset) const
{
	if (startOffset != NULL)
		*startOffset = fSelectionStart;
	if (endOffset != NULL)
		*endOffset = fSelectionEnd;
}


void
BTextView::Private::ApplyCaret(int32 start, int32 end)
{
	if (!fView->fEditable)
		return;
	_SetCaret(start, end);
}


// Where the user's caret is, told back: kept by the kit (a screen reader
// reads it from there), and marked as the user's, so that the display,
// whose caret it is, does not apply it again behind later keys.
void
BTextView::Private::_SetCaret(int32 start, int32 end)
{
	int32 length = (int32)strlen(fView->fText);
	auto boundary = [&](int32 offset) {
		offset = std::max((int32)0, std::min(offset, length));
		while (offset > 0 && ((unsigned char)fView->fText[offset] & 0xc0)
				== 0x80)
			offset--;
		return offset;
	};
	fView->fSelectionStart = boundary(std::min(start, end));
	fView->fSelectionEnd = boundary(std::max(start, end));
	fView->_SendSelection(true);
}


void
BTextView::_SendSelection(bool fromUser) const
{
	BView::Private view(this);
	if (!view.IsAttached())
		return;
	BPrivate::DisplayCommand command
		= view.Command(BPrivate::B_DISPLAY_TEXT_SELECTION);
	command.index = fSelectionStart;
	command.value = fSelectionEnd;
	command.flags = fromUser ? BPrivate::B_DISPLAY_SELECTION_FROM_USER : 0;
	view.Send(command);
}


// A text longer than the new limit is cut, so that the limit always holds.
void
BTextView::SetMaxBytes(int32 max)
{
	BView::Private view(this);
	view.CheckLock();
	fMaxBytes = max < 0 ? 0 : max;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_MAX_BYTES, fMaxBytes);
	size_t fitting = Private::FittingBytes(fText, fMaxBytes);
	if (fitting < strlen(fText)) {
		fText[fitting] = '\0';
		fSelectionStart = fSelectionEnd = 0;
		view.SendText(BPrivate::B_DISPLAY_VIEW_TEXT, fText);
		if (BTextControl* control = dynamic_cast<BTextControl*>(Parent()))
			control->_TextChanged();
	}
}


void
BTextView::MakeEditable(bool editable)
{
	BView::Private view(this);
	view.CheckLock();
	fEditable = editable;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEditable ? 1 : 0);
}


void
BTextView::MouseDown(BPoint)
{
	MakeFocus(true);
}


void
BTextView::KeyDown(const char* bytes, int32 numBytes)
{
	BTextControl* control = dynamic_cast<BTextControl*>(Parent());
	if (numBytes == 1 && bytes[0] == B_ENTER && control != NULL
		&& control->IsEnabled()) {
		control->Invoke();
		return;
	}
	// Typing that reached the kit before the display's own field had the
	// focus: it lands at the end of the text, not nowhere.
	int32 modifiers = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("modifiers", &modifiers);
	unsigned char first = (unsigned char)bytes[0];
	if (numBytes > 0 && (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY)) == 0) {
		if (first >= B_SPACE && first != B_DELETE) {
			std::string text(fText);
			text.append(bytes, numBytes);
			Private(this).ApplyTyped(text.c_str());
			return;
		}
		if (numBytes == 1 && first == B_BACKSPACE) {
			size_t end = strlen(fText);
			while (end > 0 && ((unsigned char)fText[--end] & 0xc0) == 0x80)
				;
			Private(this).ApplyTyped(std::string(fText, end).c_str());
			return;
		}
	}
	BView::KeyDown(bytes, numBytes);
}


bool
BTextView::_SetText(const char* text)
{
	if (text == NULL)
		text = "";
	size_t length = Private::FittingBytes(text, fMaxBytes);
	if (strlen(fText) == length && memcmp(fText, text, length) == 0)
		return false;
	char* copy = (char*)malloc(length + 1);
	if (copy == NULL)
		return false;
	memcpy(copy, text, length);
	copy[length] = '\0';
	free(fText);
	fText = copy;
	return true;
}


void
BTextView::_SendState()
{
	BView::Private view(this);
	view.SendText(BPrivate::B_DISPLAY_VIEW_TEXT, fText);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_MAX_BYTES, fMaxBytes);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEditable ? 1 : 0);
	if (fSelectionStart != fSelectionEnd)
		_SendSelection();
}
