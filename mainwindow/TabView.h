#ifndef TOLVEX_TAB_VIEW_H
#define TOLVEX_TAB_VIEW_H

#include <TabView.h>

class BButton;
class FilesView;
class EncoderView;
class MainWindow;
class OptionsView;

// The main window's three tabs: files, encoder options, program options.
class TabView : public BTabView {
public:
								TabView(BRect frame, BButton* encodeButton,
									MainWindow* mainWindow);
	virtual						~TabView();

			FilesView*			fFilesView;
			EncoderView*		fEncoderView;
			OptionsView*		fOptionsView;
};

#endif // TOLVEX_TAB_VIEW_H
