#include "TabView.h"

#include <Button.h>

#include "FilesView.h"
#include "EncoderView.h"
#include "MainWindow.h"
#include "OptionsView.h"

TabView::TabView(BRect frame, BButton* encodeButton, MainWindow* mainWindow)
	:
	BTabView(frame, "TabView", B_WIDTH_AS_USUAL, B_FOLLOW_ALL_SIDES,
		B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP
			| B_FRAME_EVENTS | B_NAVIGABLE)
{
	BRect panelFrame = Bounds();
	panelFrame.InsetBy(10, 10);
	panelFrame.right -= 2;
	panelFrame.bottom -= TabHeight() + 3;

	fFilesView = new FilesView(panelFrame, encodeButton, mainWindow);
	AddTab(fFilesView, new BTab());
	fEncoderView = new EncoderView(panelFrame);
	AddTab(fEncoderView, new BTab());
	fOptionsView = new OptionsView(panelFrame);
	AddTab(fOptionsView, new BTab());
}


TabView::~TabView()
{
}
