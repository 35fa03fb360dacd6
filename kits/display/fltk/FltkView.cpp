#include "display/fltk/FltkView.h"

#include <math.h>

#include <FL/Fl_Group.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <Message.h>

#include "display/fltk/FltkButton.h"
#include "display/fltk/FltkCheckBox.h"
#include "display/fltk/FltkIconView.h"
#include "display/MirrorInput.h"
#include "display/fltk/FltkListView.h"
#include "display/fltk/FltkMenuBar.h"
#include "display/fltk/FltkMenuField.h"
#include "display/fltk/FltkPlainView.h"
#include "display/fltk/FltkScrollView.h"
#include "display/fltk/FltkStringView.h"
#include "display/fltk/FltkTabView.h"
#include "display/fltk/FltkTextControl.h"
#include "display/fltk/FltkTextView.h"

namespace BPrivate {

float FltkView::sScale = 1;


FltkView::FltkView(int32 window, int32 view, int32 kind)
	:
	fWindow(window),
	fView(view),
	fKind(kind),
	fWidget(NULL)
{
}


FltkView::~FltkView()
{
	if (fWidget != NULL) {
		if (Fl_Group* parent = fWidget->parent())
			parent->remove(fWidget);
		delete fWidget;
	}
}


FltkView*
FltkView::Create(int32 kind, int32 window, int32 view)
{
	switch (kind) {
		case B_DISPLAY_BUTTON:
			return new FltkButton(window, view);
		case B_DISPLAY_STRING_VIEW:
			return new FltkStringView(window, view);
		case B_DISPLAY_MENU_BAR:
			return new FltkMenuBar(window, view);
		case B_DISPLAY_TAB_VIEW:
			return new FltkTabView(window, view);
		case B_DISPLAY_LIST_VIEW:
			return new FltkListView(window, view);
		case B_DISPLAY_SCROLL_VIEW:
			return new FltkScrollView(window, view);
		case B_DISPLAY_CHECK_BOX:
			return new FltkCheckBox(window, view);
		case B_DISPLAY_TEXT_CONTROL:
			return new FltkTextControl(window, view);
		case B_DISPLAY_TEXT_VIEW:
			return new FltkTextView(window, view);
		case B_DISPLAY_MENU_FIELD:
			return new FltkMenuField(window, view);
		case B_DISPLAY_ICON_VIEW:
			return new FltkIconView(window, view);
		default:
			return new FltkPlainView(window, view, kind);
	}
}


void
FltkView::Sync(const MirrorWindow& window, const MirrorView& view)
{
	// Inclusive coordinates: (0, 0, 9, 9) covers 10 by 10 pixels.
	BRect frame = window.FrameInWindow(view.id);
	int x = Scaled(frame.left);
	int y = Scaled(frame.top);
	int width = Scaled(frame.right + 1) - x;
	int height = Scaled(frame.bottom + 1) - y;
	if (width < 0)
		width = 0;
	if (height < 0)
		height = 0;
	if (x != fWidget->x() || y != fWidget->y() || width != fWidget->w()
		|| height != fWidget->h())
		fWidget->resize(x, y, width, height);

	Update(window, view);

	bool hidden = window.IsHidden(view.id);
	if (hidden && fWidget->visible())
		fWidget->hide();
	else if (!hidden && !fWidget->visible())
		fWidget->show();
}


int
FltkView::Scaled(float points)
{
	return (int)lroundf(points * sScale);
}


float
FltkView::Unscaled(int pixels)
{
	return pixels / sScale;
}


std::string
FltkView::Label(const std::string& text, bool shortcuts)
{
	std::string label;
	label.reserve(text.size() + 4);
	for (char c : text) {
		if (c == '@' || (shortcuts && c == '&'))
			label += c;
		label += c;
	}
	return label;
}


Fl_Menu_Item
FltkView::MenuEntry(const MirrorMenuItem& item,
	std::deque<std::string>& labels)
{
	labels.push_back(Label(item.label, true));
	Fl_Menu_Item entry = Fl_Menu_Item();
	entry.text = labels.back().c_str();
	entry.labelfont_ = kFont;
	entry.labelsize_ = FontSize();
	if (!item.enabled)
		entry.flags |= FL_MENU_INACTIVE;
	return entry;
}


Fl_Color
FltkView::Color(rgb_color color)
{
	return fl_rgb_color(color.red, color.green, color.blue);
}


void
FltkView::SetWidget(Fl_Widget* widget)
{
	fWidget = widget;
}


void
FltkView::Post(BMessage* message) const
{
	message->AddInt32("view", fView);
	MirrorInput::Post(fWindow, message);
}


float
FltkView::TextWidth(const char* text, size_t length)
{
	return (float)fl_width(text, (int)length);
}

} // namespace BPrivate
