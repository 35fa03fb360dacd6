#ifndef FILES_VIEW_H
#define FILES_VIEW_H

#include <View.h>

class BButton;
class BFilePanel;
class BScrollView;
class FilesList;
class MainWindow;

// The Files tab: the batch list in its scroll view, the buttons that act
// on it, and the panel that adds files.
class FilesView : public BView {
public:
								FilesView(BRect frame, BButton* encodeButton,
									MainWindow* mainWindow);
	virtual						~FilesView();

			BButton*			fAddButton;
			BButton*			fRemoveButton;
			BButton*			fMoveUpButton;
			BButton*			fMoveDownButton;
			BScrollView*		fScrollView;
			FilesList*			fFilesList;
			BFilePanel*			fAddPanel;
};

#endif // FILES_VIEW_H
