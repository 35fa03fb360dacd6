#include "OptionsView.h"

#include <Application.h>
#include <Button.h>
#include <CheckBox.h>
#include <FilePanel.h>
#include <TextControl.h>
#include <Window.h>

#include "Commands.h"
#include "TolvexApp.h"

OptionsView::OptionsView(BRect frame)
	:
	BView(frame, "Opzioni del programma", B_FOLLOW_NONE, 0)
{
	SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	float width = Bounds().right;

	// Built once and kept for the application's life; with no target, its
	// reply reaches the application, which hands it to the main window. A
	// link may be chosen: the encoder may be reached through one.
	BMessage chosen(MSG_ENCODER_PANEL);
	fEncoderPanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL,
		B_FILE_NODE | B_SYMLINK_NODE, false, &chosen, NULL, true, true);
	fEncoderPanel->Window()->SetTitle("Posizione di Gogo");
	fEncoderPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Seleziona");
	fEncoderPanel->SetButtonLabel(B_CANCEL_BUTTON, "Annulla");

	fSetEncoderLocation = new BButton(BRect(width - 74, 0, width, 20),
		"SetEncoderLocation", "Sfoglia...", new BMessage(MSG_BROWSE_ENCODER),
		B_FOLLOW_TOP | B_FOLLOW_RIGHT);
	fSetEncoderLocation->ResizeToPreferred();
	float buttonWidth;
	fSetEncoderLocation->GetPreferredSize(&buttonWidth, NULL);
	fSetEncoderLocation->ResizeTo(buttonWidth, 20);
	AddChild(fSetEncoderLocation);

	fEncoderLocation = new BTextControl(BRect(0, 1, width, 21),
		"EncoderLocation", "Posizione di Gogo:", "", NULL,
		B_FOLLOW_TOP | B_FOLLOW_LEFT_RIGHT);
	// Typed or set by the program, every change of the text reaches the
	// setting this way.
	fEncoderLocation->SetModificationMessage(
		new BMessage(MSG_ENCODER_LOCATION));
	fEncoderLocation->ResizeToPreferred();
	fEncoderLocation->SetDivider(115);
	fEncoderLocation->ResizeTo(width - 79,
		fEncoderLocation->Bounds().Height());
	BTextView* locationView = fEncoderLocation->TextView();
	locationView->ResizeTo(width - 203, locationView->Bounds().Height());
	locationView->SetMaxBytes(kEncoderLocationMaxBytes);
	AddChild(fEncoderLocation);

	float top = fEncoderLocation->Frame().bottom + 5;
	fDontCloseOnAdd = new BCheckBox(BRect(0, top, width, top + 20),
		"DontCloseOnAdd",
		"Non chiudere la finestra \"Aggiungi file\" quando si aggiunge un file",
		new BMessage(MSG_DONT_CLOSE_ON_ADD), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fDontCloseOnAdd->ResizeToPreferred();
	AddChild(fDontCloseOnAdd);

	top = fDontCloseOnAdd->Frame().bottom + 5;
	fDontClearOnOpen = new BCheckBox(BRect(0, top, width, top + 20),
		"DontClearOnOpen",
		"Non cancellare la lista attuale quando se ne apre un'altra",
		new BMessage(MSG_DONT_CLEAR_ON_OPEN), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fDontClearOnOpen->ResizeToPreferred();
	AddChild(fDontClearOnOpen);

	top = fDontClearOnOpen->Frame().bottom + 5;
	fSelfRegisterMIMEType = new BCheckBox(BRect(0, top, width, top + 20),
		"SelfRegisterMIMEType", "Auto installa tipo MIME all'avvio",
		new BMessage(MSG_SELF_REGISTER_MIME), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fSelfRegisterMIMEType->ResizeToPreferred();
	AddChild(fSelfRegisterMIMEType);

	top = fSelfRegisterMIMEType->Frame().bottom + 5;
	BButton* registerNow = new BButton(BRect(19, top, 119, top + 20),
		"RegisterMIMETypeNow", "Installa tipo MIME ora",
		new BMessage(MSG_REGISTER_MIME_NOW), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	registerNow->ResizeToPreferred();
	AddChild(registerNow);

	float left = registerNow->Frame().right + 4;
	BButton* unregisterNow = new BButton(BRect(left, top, left + 100,
			top + 20),
		"UnregisterMIMETypeNow", "Cancella tipo MIME ora",
		new BMessage(MSG_UNREGISTER_MIME_NOW), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	unregisterNow->ResizeToPreferred();
	AddChild(unregisterNow);

	// Not attached to a window yet: setting the controls sends nothing.
	TolvexApp* app = static_cast<TolvexApp*>(be_app);
	char location[kEncoderLocationSize];
	app->GetEncoderLocation(location, sizeof(location));
	fEncoderLocation->SetText(location);
	fDontCloseOnAdd->SetValue(app->dont_close_on_add
		? B_CONTROL_ON : B_CONTROL_OFF);
	fDontClearOnOpen->SetValue(app->dont_clear_on_open
		? B_CONTROL_ON : B_CONTROL_OFF);
	fSelfRegisterMIMEType->SetValue(app->self_register_mime_type
		? B_CONTROL_ON : B_CONTROL_OFF);
}


// The view goes with the main window, when the application ends.
OptionsView::~OptionsView()
{
	delete fEncoderPanel;
}
