#ifndef PROGRESS_WINDOW_H
#define PROGRESS_WINDOW_H

#include <Window.h>

class BButton;
class BStringView;
class BView;

// Shows which file of a run is being encoded; its buttons talk to the
// main window, and it has no behaviour of its own.
class ProgressWindow : public BWindow {
public:
								ProgressWindow(BWindow* parent);
	virtual						~ProgressWindow();

			BView*				fBackView;
			BStringView*		fFileName;
			BStringView*		fFileNumber;
			BButton*			fSkipButton;
			BButton*			fStopButton;
};

#endif // PROGRESS_WINDOW_H
