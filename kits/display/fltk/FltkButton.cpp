#include "display/fltk/FltkButton.h"

#include <FL/Fl_Button.H>

#include <Message.h>

namespace BPrivate {

FltkButton::FltkButton(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_BUTTON)
{
	Fl_Button* button = new Fl_Button(0, 0, 0, 0);
	button->labelfont(kFont);
	button->labelsize(FontSize());
	button->callback(_Clicked, this);
	SetWidget(button);
}


void
FltkButton::Update(const MirrorWindow&, const MirrorView& view)
{
	Fl_Widget* button = Widget();
	if (view.label != fLabel) {
		fLabel = view.label;
		button->copy_label(Label(fLabel, true).c_str());
	}
	if (view.enabled && !button->active())
		button->activate();
	else if (!view.enabled && button->active())
		button->deactivate();
}


void
FltkButton::_Clicked(Fl_Widget*, void* data)
{
	BMessage click(B_INPUT_CLICK);
	static_cast<FltkButton*>(data)->Post(&click);
}

} // namespace BPrivate
