#include "display/fltk/FltkIconView.h"

#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <InterfaceDefs.h>

namespace BPrivate {

namespace {

void
Polygon(const double (*points)[2], int count)
{
	fl_begin_complex_polygon();
	for (int i = 0; i < count; i++)
		fl_vertex(points[i][0], points[i][1]);
	fl_end_complex_polygon();
	fl_color(FL_BLACK);
	fl_begin_loop();
	for (int i = 0; i < count; i++)
		fl_vertex(points[i][0], points[i][1]);
	fl_end_loop();
}


void
Disc(double x, double y, double radius, Fl_Color fill)
{
	fl_color(fill);
	fl_begin_polygon();
	fl_circle(x, y, radius);
	fl_end_polygon();
	fl_color(FL_BLACK);
	fl_begin_loop();
	fl_circle(x, y, radius);
	fl_end_loop();
}


void
Rectangle(double left, double top, double right, double bottom)
{
	fl_begin_polygon();
	fl_vertex(left, top);
	fl_vertex(right, top);
	fl_vertex(right, bottom);
	fl_vertex(left, bottom);
	fl_end_polygon();
}


// An exclamation mark in the colour set, centred on x.
void
Exclamation(double x, double top, double bottom)
{
	Rectangle(x - 1.5, top, x + 1.5, bottom - 5);
	fl_begin_polygon();
	fl_circle(x, bottom - 1.5, 1.8);
	fl_end_polygon();
}

} // namespace


class FltkIconView::IconWidget : public Fl_Widget {
public:
	IconWidget()
		:
		Fl_Widget(0, 0, 0, 0),
		fType(B_EMPTY_ALERT)
	{
		box(FL_NO_BOX);
	}

	void SetType(int32 type)
	{
		if (type != fType) {
			fType = type;
			redraw();
		}
	}

protected:
	void draw()
	{
		fl_push_clip(x(), y(), w(), h());
		fl_push_matrix();
		fl_translate(x(), y());
		fl_scale(w() / 32.0, h() / 32.0);
		switch (fType) {
			case B_INFO_ALERT:
				// A blue disc with a white "i".
				Disc(16, 16, 14, fl_rgb_color(51, 102, 203));
				fl_color(FL_WHITE);
				fl_begin_polygon();
				fl_circle(16, 8.5, 2.2);
				fl_end_polygon();
				Rectangle(14, 13, 18, 25);
				Rectangle(12, 13, 16, 15);
				Rectangle(12, 23, 20, 25);
				break;
			case B_IDEA_ALERT:
				// A light bulb.
				Disc(16, 12, 10, fl_rgb_color(255, 227, 70));
				fl_color(fl_rgb_color(152, 152, 152));
				Rectangle(11.5, 21, 20.5, 29);
				fl_color(FL_BLACK);
				fl_begin_loop();
				fl_vertex(11.5, 21);
				fl_vertex(20.5, 21);
				fl_vertex(20.5, 29);
				fl_vertex(11.5, 29);
				fl_end_loop();
				fl_begin_line();
				fl_vertex(11.5, 24);
				fl_vertex(20.5, 24);
				fl_end_line();
				fl_begin_line();
				fl_vertex(11.5, 26.5);
				fl_vertex(20.5, 26.5);
				fl_end_line();
				fl_color(FL_WHITE);
				fl_begin_polygon();
				fl_circle(12.5, 9, 2.5);
				fl_end_polygon();
				break;
			case B_WARNING_ALERT:
			{
				// A yellow triangle with a black "!".
				static const double kTriangle[][2] = {
					{ 16, 2 }, { 30.5, 29 }, { 1.5, 29 }
				};
				fl_color(fl_rgb_color(255, 203, 0));
				Polygon(kTriangle, 3);
				fl_color(FL_BLACK);
				Exclamation(16, 10, 26.5);
				break;
			}
			case B_STOP_ALERT:
			{
				// A red octagon with a white "!".
				static const double kOctagon[][2] = {
					{ 10, 1.5 }, { 22, 1.5 }, { 30.5, 10 }, { 30.5, 22 },
					{ 22, 30.5 }, { 10, 30.5 }, { 1.5, 22 }, { 1.5, 10 }
				};
				fl_color(fl_rgb_color(203, 0, 0));
				Polygon(kOctagon, 8);
				fl_color(FL_WHITE);
				Exclamation(16, 6, 26);
				break;
			}
			default:
				break;
		}
		fl_pop_matrix();
		fl_pop_clip();
	}

private:
	int32 fType;
};


FltkIconView::FltkIconView(int32 window, int32 view)
	:
	FltkView(window, view, B_DISPLAY_ICON_VIEW)
{
	SetWidget(new IconWidget);
}


void
FltkIconView::Update(const MirrorWindow&, const MirrorView& view)
{
	static_cast<IconWidget*>(Widget())->SetType(view.value);
}

} // namespace BPrivate
