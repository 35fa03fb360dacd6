#include "display/fltk/FltkTextView.h"

#include <algorithm>

#include <FL/Fl_Input.H>

#include <Message.h>

namespace BPrivate {

namespace {

// A click in the field tells the kit, which moves its focus there.
class ClickedInput : public Fl_Input {
public:
	ClickedInput(FltkTextView* owner)
		:
		Fl_Input(0, 0, 0, 0),
		fOwner(owner)
	{
	}

	int handle(int event) override
	{
		if (event == FL_PUSH && active_r()) {
			BMessage click(B_INPUT_CLICK);
			fOwner->PostClick(&click);
		}
		int handled = Fl_Input::handle(event);
		// Home, End, the arrows, a click or a drag: the caret a screen
		// reader follows is the kit's.
		switch (event) {
			case FL_KEYBOARD:
			case FL_SHORTCUT:
			case FL_PUSH:
			case FL_DRAG:
			case FL_RELEASE:
				fOwner->CaretMaybeMoved();
				break;
		}
		return handled;
	}

private:
	FltkTextView* fOwner;
};

} // namespace


FltkTextView::FltkTextView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_TEXT_VIEW),
	fSelections(0),
	fCaret(0),
	fAnchor(0)
{
	Fl_Input* input = new ClickedInput(this);
	// The text control draws the border round it: all of the frame is for
	// the text.
	input->box(FL_FLAT_BOX);
	input->color(FL_WHITE);
	input->textfont(kFont);
	input->textsize(FontSize());
	input->when(FL_WHEN_CHANGED);
	input->callback(_Changed, this);
	SetWidget(input);
}


void
FltkTextView::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Input* input = static_cast<Fl_Input*>(Widget());
	// FLTK counts its limit in bytes too; the kit's is the one that holds.
	if (view.maxBytes > 0 && input->maximum_size() != view.maxBytes)
		input->maximum_size(view.maxBytes);
	if (view.enabled && !input->active())
		input->activate();
	else if (!view.enabled && input->active())
		input->deactivate();

	if (view.text != fShown) {
		fShown = view.text;
		auto echo = std::find(fPosted.begin(), fPosted.end(), view.text);
		bool typedSince = false;
		if (echo != fPosted.end()) {
			// The kit took a text typed here; later ones are on their way.
			fPosted.erase(fPosted.begin(), echo + 1);
			typedSince = !fPosted.empty();
		} else
			fPosted.clear();
		if (!typedSince && view.text != input->value())
			input->value(view.text.c_str(), (int)view.text.size());
	}

	// Each selection the kit makes once, on the text it was made in; the
	// caret is the user's otherwise.
	if (view.selections != fSelections) {
		fSelections = view.selections;
		if (view.text == input->value()
			&& view.selectionEnd <= input->size()) {
			input->position(view.selectionEnd, view.selectionStart);
			fCaret = input->position();
			fAnchor = input->mark();
		}
	}
}


void
FltkTextView::CaretMaybeMoved()
{
	Fl_Input* input = static_cast<Fl_Input*>(Widget());
	if (input->position() == fCaret && input->mark() == fAnchor)
		return;
	fCaret = input->position();
	fAnchor = input->mark();
	BMessage moved(B_INPUT_CARET);
	moved.AddInt32("caret", fCaret);
	moved.AddInt32("anchor", fAnchor);
	Post(&moved);
}


void
FltkTextView::_Changed(Fl_Widget* widget, void* data)
{
	FltkTextView* self = static_cast<FltkTextView*>(data);
	Fl_Input* input = static_cast<Fl_Input*>(widget);
	std::string text(input->value(), (size_t)input->size());
	self->fPosted.push_back(text);
	BMessage changed(B_INPUT_TEXT);
	changed.AddString("text", text.c_str());
	self->fCaret = input->position();
	self->fAnchor = input->mark();
	changed.AddInt32("caret", self->fCaret);
	changed.AddInt32("anchor", self->fAnchor);
	self->Post(&changed);
}

} // namespace BPrivate
