#include "display/fltk/FltkCheckBox.h"

#include <FL/Fl_Check_Button.H>

#include <Message.h>

namespace BPrivate {

FltkCheckBox::FltkCheckBox(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_CHECK_BOX),
	fValue(-1)
{
	Fl_Check_Button* box = new Fl_Check_Button(0, 0, 0, 0);
	box->labelfont(kFont);
	box->labelsize(FontSize());
	box->callback(_Clicked, this);
	SetWidget(box);
}


void
FltkCheckBox::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Check_Button* box = static_cast<Fl_Check_Button*>(Widget());
	Fl_Color color = Color(view.color);
	if (box->color() != color) {
		box->color(color);
		box->redraw();
	}
	if (view.label != fLabel) {
		fLabel = view.label;
		box->copy_label(Label(fLabel, true).c_str());
	}
	// FLTK turned its own value over on the click; the kit's is the one
	// that counts, so it is shown whenever they differ.
	int value = view.value != 0 ? 1 : 0;
	if (box->value() != value || view.value != fValue) {
		fValue = view.value;
		box->value(value);
	}
	if (view.enabled && !box->active())
		box->activate();
	else if (!view.enabled && box->active())
		box->deactivate();
}


void
FltkCheckBox::_Clicked(Fl_Widget*, void* data)
{
	FltkCheckBox* self = static_cast<FltkCheckBox*>(data);
	// Shown as the kit has it until the kit answers.
	static_cast<Fl_Check_Button*>(self->Widget())->value(
		self->fValue != 0 ? 1 : 0);
	BMessage click(B_INPUT_CLICK);
	self->Post(&click);
}

} // namespace BPrivate
