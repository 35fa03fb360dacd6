#include "FilesView.h"

#include <Button.h>
#include <FilePanel.h>
#include <ScrollView.h>
#include <Window.h>

#include "Commands.h"
#include "FilesList.h"

FilesView::FilesView(BRect frame, BButton* encodeButton,
	MainWindow* mainWindow)
	:
	BView(frame, "File", B_FOLLOW_NONE, 0)
{
	SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));

	fAddPanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL, B_FILE_NODE, true,
		NULL, NULL, true, true);
	fAddPanel->Window()->SetTitle("Aggiungi file");
	fAddPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Aggiungi");

	BRect bounds = Bounds();
	BRect buttonFrame(bounds.right - 74, bounds.bottom - 24, bounds.right,
		bounds.bottom);
	fRemoveButton = new BButton(buttonFrame, "RemoveFiles", "Rimuovi",
		new BMessage(MSG_REMOVE_FILES), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_NAVIGABLE);
	fRemoveButton->ResizeToPreferred();
	fRemoveButton->SetEnabled(false);
	AddChild(fRemoveButton);

	buttonFrame.left -= 79;
	fAddButton = new BButton(buttonFrame, "AddFiles", "Aggiungi...",
		new BMessage(MSG_ADD_FILES), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_NAVIGABLE);
	fAddButton->ResizeToPreferred();
	AddChild(fAddButton);

	buttonFrame.left = -1;
	fMoveUpButton = new BButton(buttonFrame, "MoveUp", "Sposta su",
		new BMessage(MSG_MOVE_UP), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_NAVIGABLE);
	fMoveUpButton->ResizeToPreferred();
	fMoveUpButton->SetEnabled(false);
	AddChild(fMoveUpButton);

	buttonFrame.left = fMoveUpButton->Frame().right + 5;
	fMoveDownButton = new BButton(buttonFrame, "MoveDown", "Sposta giù",
		new BMessage(MSG_MOVE_DOWN), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_NAVIGABLE);
	fMoveDownButton->ResizeToPreferred();
	fMoveDownButton->SetEnabled(false);
	AddChild(fMoveDownButton);

	BRect listFrame = bounds;
	listFrame.InsetBy(2, 2);
	listFrame.right -= 14;
	listFrame.bottom -= 29;
	fFilesList = new FilesList(listFrame, mainWindow);
	fFilesList->fEncodeButton = encodeButton;
	fFilesList->fRemoveButton = fRemoveButton;
	fFilesList->fMoveUpButton = fMoveUpButton;
	fFilesList->fMoveDownButton = fMoveDownButton;

	fScrollView = new BScrollView("FilesScroll", fFilesList,
		B_FOLLOW_ALL_SIDES, B_WILL_DRAW, false, true, B_FANCY_BORDER);
	AddChild(fScrollView);
}


FilesView::~FilesView()
{
	delete fAddPanel;
}
