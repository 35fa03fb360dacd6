#include "ProgressWindow.h"

#include <Button.h>
#include <StringView.h>
#include <View.h>

#include "Commands.h"

ProgressWindow::ProgressWindow(BWindow* parent)
	:
	BWindow(BRect(0, 0, 1, 1), "Stato della codifica",
		B_FLOATING_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE
			| B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS,
		B_CURRENT_WORKSPACE)
{
	fBackView = new BView(Bounds(), "BackView", B_FOLLOW_ALL_SIDES, 0);
	fBackView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(fBackView);

	BStringView* caption = new BStringView(BRect(5, 5, 335, 6),
		"NowEncoding", "Codifica in corso del file:",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	caption->ResizeToPreferred();
	fBackView->AddChild(caption);
	BRect captionFrame = caption->Frame();

	fFileName = new BStringView(BRect(5, captionFrame.bottom + 6, 335,
		captionFrame.bottom + 21), "FileName", "#",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	fBackView->AddChild(fFileName);
	BRect nameFrame = fFileName->Frame();

	fFileNumber = new BStringView(BRect(5, nameFrame.bottom + 6, 335,
		nameFrame.bottom + 21), "FileNumber", "#",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	fBackView->AddChild(fFileNumber);
	BRect counterFrame = fFileNumber->Frame();

	fSkipButton = new BButton(BRect(5, counterFrame.bottom + 6, 80,
		counterFrame.bottom + 32), "SkipFile", "Salta file",
		new BMessage(MSG_SKIP_FILE), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	fSkipButton->ResizeToPreferred();
	fSkipButton->SetTarget(parent);
	fBackView->AddChild(fSkipButton);
	BRect skipFrame = fSkipButton->Frame();

	fStopButton = new BButton(BRect(skipFrame.right + 5,
		counterFrame.bottom + 6, skipFrame.right + 81,
		counterFrame.bottom + 32), "StopEncoding", "Ferma codifica",
		new BMessage(MSG_STOP_ENCODING), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	fStopButton->ResizeToPreferred();
	fStopButton->SetTarget(parent);
	fBackView->AddChild(fStopButton);

	ResizeTo(340, 3 * (captionFrame.bottom - captionFrame.top) + 28
		+ (skipFrame.bottom - skipFrame.top));
}


ProgressWindow::~ProgressWindow()
{
}
