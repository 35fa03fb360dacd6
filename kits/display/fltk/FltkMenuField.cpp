#include "display/fltk/FltkMenuField.h"

#include <stdint.h>

#include <FL/Fl.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/fl_draw.H>

#include <Message.h>

namespace BPrivate {

// Draws the label and the button itself, so that the two parts meet at
// the divider; a press anywhere on the button pops the menu up under it.
class FltkMenuField::FieldWidget : public Fl_Menu_Button {
public:
	FieldWidget()
		:
		Fl_Menu_Button(0, 0, 0, 0),
		fDivider(0),
		fOpen(false)
	{
		box(FL_FLAT_BOX);
		textfont(kFont);
		textsize(FontSize());
	}

	bool Set(const std::string& label, const std::string& text, int divider)
	{
		if (label == fLabel && text == fText && divider == fDivider)
			return false;
		fLabel = label;
		fText = text;
		fDivider = divider;
		redraw();
		return true;
	}

protected:
	int handle(int event)
	{
		if (event == FL_PUSH && Fl::event_x() < x() + fDivider)
			return 0;
		if (event == FL_PUSH && active_r()) {
			// The menu runs its own loop, in which commands still arrive:
			// the items stay as they are until it closes.
			fOpen = true;
			const Fl_Menu_Item* chosen = menu() != NULL
				? menu()->pulldown(x() + fDivider, y(), w() - fDivider, h(),
					mvalue(), this) : NULL;
			fOpen = false;
			if (chosen != NULL && chosen->callback_ != NULL)
				chosen->do_callback(this, chosen->user_data_);
			return 1;
		}
		return Fl_Menu_Button::handle(event);
	}

	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_color(color());
		fl_rectf(x(), y(), w(), h());
		fl_font(kFont, FontSize());
		Fl_Color ink = active_r() ? FL_BLACK : FL_DARK3;
		int baseline = y() + (h() - fl_height()) / 2 + fl_height()
			- fl_descent();
		fl_color(ink);
		fl_push_clip(x(), y(), fDivider, h());
		fl_draw(fLabel.c_str(), (int)fLabel.size(), x(), baseline);
		fl_pop_clip();
		int left = x() + fDivider;
		int width = w() - fDivider;
		if (width > 0) {
			fl_draw_box(FL_UP_BOX, left, y(), width, h(), FL_BACKGROUND_COLOR);
			fl_color(ink);
			fl_push_clip(left + Scaled(4), y(), width - Scaled(18), h());
			fl_draw(fText.c_str(), (int)fText.size(), left + Scaled(6),
				baseline);
			fl_pop_clip();
			// The pop-up mark: a small triangle pointing down.
			int cx = left + width - Scaled(10);
			int cy = y() + h() / 2;
			fl_polygon(cx - Scaled(4), cy - Scaled(2), cx + Scaled(4),
				cy - Scaled(2), cx, cy + Scaled(2));
		}
		fl_pop_clip();
	}

public:
	bool IsOpen() const { return fOpen; }

private:
	std::string fLabel;
	std::string fText;
	int fDivider;
	bool fOpen;
};


FltkMenuField::FltkMenuField(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_MENU_FIELD)
{
	FieldWidget* field = new FieldWidget;
	field->user_data(this);
	SetWidget(field);
}


void
FltkMenuField::Update(const MirrorWindow& window, const MirrorView& view)
{
	FieldWidget* field = static_cast<FieldWidget*>(Widget());
	Fl_Color color = Color(view.color);
	if (field->color() != color) {
		field->color(color);
		field->redraw();
	}
	field->Set(view.label, view.text, Scaled(view.divider));

	std::string shape;
	for (int32 id : view.items) {
		auto found = window.items.find(id);
		if (found == window.items.end())
			continue;
		const MirrorMenuItem& item = found->second;
		shape += std::to_string(item.id) + ',' + std::to_string(item.flags)
			+ ',' + (item.enabled ? '1' : '0') + ','
			+ std::to_string(item.label.size()) + ':' + item.label + ';';
	}
	if (shape != fShape && !field->IsOpen()) {
		fShape = shape;
		field->menu(NULL);
		fMenu.clear();
		fLabels.clear();
		// FLTK marks a separator on the item above it.
		int32 last = -1;
		for (int32 id : view.items) {
			auto found = window.items.find(id);
			if (found == window.items.end())
				continue;
			const MirrorMenuItem& item = found->second;
			if ((item.flags & B_DISPLAY_ITEM_SEPARATOR) != 0) {
				if (last >= 0)
					fMenu[last].flags |= FL_MENU_DIVIDER;
				continue;
			}
			Fl_Menu_Item entry = MenuEntry(item, fLabels);
			entry.flags |= FL_MENU_RADIO;
			if ((item.flags & B_DISPLAY_ITEM_MARKED) != 0)
				entry.flags |= FL_MENU_VALUE;
			entry.callback_ = _Chosen;
			entry.user_data_ = (void*)(intptr_t)item.id;
			last = (int32)fMenu.size();
			fMenu.push_back(entry);
		}
		fMenu.push_back(Fl_Menu_Item());
		field->menu(fMenu.data());
		field->redraw();
	}
	if (view.enabled && !field->active())
		field->activate();
	else if (!view.enabled && field->active())
		field->deactivate();
}


void
FltkMenuField::_Chosen(Fl_Widget* widget, void* data)
{
	FltkMenuField* field = static_cast<FltkMenuField*>(widget->user_data());
	BMessage chosen(B_INPUT_MENU_ITEM);
	chosen.AddInt32("item", (int32)(intptr_t)data);
	field->Post(&chosen);
}

} // namespace BPrivate
