// The reference for the start-up benchmark: the least an FLTK program does
// to show a window of the size of Tolvex's main window.

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

int
main()
{
	Fl_Window window(441, 281, EMPTY_WINDOW_TITLE);
	window.show();
	return Fl::run();
}
