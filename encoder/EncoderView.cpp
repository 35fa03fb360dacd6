#include "EncoderView.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <Button.h>
#include <CheckBox.h>
#include <FilePanel.h>
#include <Entry.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <TextControl.h>
#include <Window.h>

#include "Commands.h"

namespace {

// Appends one element to a text of kOptionsTextSize bytes, one blank
// between elements. The blank goes before an element rather than after
// it, so that the longest text needs no room for a blank taken off at the
// end. The panel's limits make every text fit; should one not, it is cut
// rather than overrun.
void
AppendElement(char* out, const char* format, ...)
	__attribute__((format(printf, 2, 3)));


void
AppendElement(char* out, const char* format, ...)
{
	size_t length = strnlen(out, kOptionsTextSize - 1);
	if (length > 0 && length < kOptionsTextSize - 1) {
		out[length++] = ' ';
		out[length] = '\0';
	}
	va_list args;
	va_start(args, format);
	vsnprintf(out + length, kOptionsTextSize - length, format, args);
	va_end(args);
}


BMenu*
NewRadioMenu(const char* name)
{
	BMenu* menu = new BPopUpMenu(name);
	return menu;
}


// Item 0 marked, one marked at a time, no keyboard triggers, and the field
// shows the marked item.
void
SetUpRadioMenu(BMenu* menu)
{
	menu->ItemAt(0)->SetMarked(true);
	menu->SetRadioMode(true);
	menu->SetTriggersEnabled(false);
	menu->SetLabelFromMarked(true);
}

} // namespace


EncoderView::EncoderView(BRect frame)
	:
	BView(frame, "Opzioni di Gogo", B_FOLLOW_NONE, 0)
{
	SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	float width = Bounds().right;

	// Built once and kept for the application's life; with no target, its
	// reply reaches the application, which hands it to the main window.
	// The panel keeps a copy of its message.
	BMessage chosen(MSG_ENCODER_VIEW);
	chosen.AddInt32("encoder_what", MSG_OUTPUT_DIR_PANEL);
	fOutputDirPanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL,
		B_DIRECTORY_NODE, false, &chosen, NULL, true, true);
	fOutputDirPanel->Window()->SetTitle("Seleziona cartella di destinazione");
	fOutputDirPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Seleziona");
	fOutputDirPanel->SetButtonLabel(B_CANCEL_BUTTON, "Annulla");

	const int32 bitRates[14] = { 32, 40, 48, 56, 64, 80, 96, 112, 128, 160,
		192, 224, 256, 320 };
	memcpy(fBitRates, bitRates, sizeof(fBitRates));

	fBitRateMenu = NewRadioMenu("BitRate");
	fBitRateMenu->AddItem(new BMenuItem("Default", NULL));
	fBitRateMenu->AddSeparatorItem();
	for (int32 i = 0; i < 14; i++) {
		char label[32];
		snprintf(label, sizeof(label), "%d kbps", (int)fBitRates[i]);
		fBitRateMenu->AddItem(new BMenuItem(label, NULL));
	}
	SetUpRadioMenu(fBitRateMenu);

	fBitRateField = new BMenuField(BRect(0, 0, width, 20), "BitRateField",
		"Bit rate:", fBitRateMenu, B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fBitRateField->ResizeToPreferred();
	fBitRateField->SetDivider(117);
	AddChild(fBitRateField);

	fOutputModeMenu = NewRadioMenu("OutputMode");
	fOutputModeMenu->AddItem(new BMenuItem("Default", NULL));
	fOutputModeMenu->AddSeparatorItem();
	fOutputModeMenu->AddItem(new BMenuItem("Monofonico", NULL));
	fOutputModeMenu->AddItem(new BMenuItem("Stereo", NULL));
	fOutputModeMenu->AddItem(new BMenuItem("Joint stereo", NULL));
	SetUpRadioMenu(fOutputModeMenu);

	fOutputModeField = new BMenuField(BRect(0, 24, width, 44),
		"OutputModeField", "Modalità:", fOutputModeMenu,
		B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fOutputModeField->ResizeToPreferred();
	fOutputModeField->SetDivider(117);
	AddChild(fOutputModeField);

	float top = fOutputModeField->Frame().bottom + 6;
	fDisablePsycho = new BCheckBox(BRect(0, top, width, top + 20),
		"DisablePsycho", "Disabilita psico-acustica", NULL,
		B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fDisablePsycho->ResizeToPreferred();
	fDisablePsycho->SetValue(B_CONTROL_OFF);
	AddChild(fDisablePsycho);

	top = fDisablePsycho->Frame().bottom + 6;
	fDeleteWave = new BCheckBox(BRect(0, top, width, top + 20), "DeleteWave",
		"Elimina file wave dopo la codifica", NULL,
		B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fDeleteWave->ResizeToPreferred();
	fDeleteWave->SetValue(B_CONTROL_OFF);
	AddChild(fDeleteWave);

	BMessage* browse = new BMessage(MSG_ENCODER_VIEW);
	browse->AddInt32("encoder_what", MSG_BROWSE_OUTPUT_DIR);
	top = fDeleteWave->Frame().bottom + 4;
	fOutputDirButton = new BButton(BRect(width - 74, top, width, top + 20),
		"OutputDirButton", "Sfoglia...", browse,
		B_FOLLOW_TOP | B_FOLLOW_RIGHT);
	fOutputDirButton->ResizeToPreferred();
	float buttonWidth;
	fOutputDirButton->GetPreferredSize(&buttonWidth, NULL);
	fOutputDirButton->ResizeTo(buttonWidth, 20);
	AddChild(fOutputDirButton);

	top = fDeleteWave->Frame().bottom + 5;
	fOutputDirText = new BTextControl(BRect(0, top, width, top + 20),
		"OutputDirText", "Cartella di destinazione:", "", NULL,
		B_FOLLOW_TOP | B_FOLLOW_LEFT_RIGHT);
	fOutputDirText->ResizeToPreferred();
	fOutputDirText->SetDivider(115);
	fOutputDirText->ResizeTo(width - 79, fOutputDirText->Bounds().Height());
	BTextView* outputDirView = fOutputDirText->TextView();
	outputDirView->ResizeTo(width - 203, outputDirView->Bounds().Height());
	outputDirView->SetMaxBytes(kOutputDirMaxBytes);
	AddChild(fOutputDirText);

	top = fOutputDirText->Frame().bottom + 5;
	fExtraParam = new BTextControl(BRect(0, top, width, top + 20),
		"ExtraParam", "Altri parametri:", "", NULL,
		B_FOLLOW_TOP | B_FOLLOW_LEFT_RIGHT);
	fExtraParam->ResizeToPreferred();
	fExtraParam->SetDivider(115);
	fExtraParam->ResizeTo(width, fExtraParam->Bounds().Height());
	BTextView* extraView = fExtraParam->TextView();
	extraView->ResizeTo(width - 124, extraView->Bounds().Height());
	extraView->SetMaxBytes(kExtraParamMaxBytes);
	AddChild(fExtraParam);
}


// The view goes with the main window, when the application ends.
EncoderView::~EncoderView()
{
	delete fOutputDirPanel;
}


// Nothing that reaches the panel goes on to BView: what it does not know
// is dropped.
void
EncoderView::MessageReceived(BMessage* message)
{
	int32 what;
	if (message->FindInt32("encoder_what", &what) != B_OK)
		return;

	switch (what) {
		case MSG_BROWSE_OUTPUT_DIR:
			fOutputDirPanel->Show();
			break;

		case MSG_OUTPUT_DIR_PANEL:
		{
			entry_ref ref;
			if (message->FindRef("refs", &ref) != B_OK)
				return;
			BEntry entry(&ref, true);
			BPath path;
			if (entry.GetPath(&path) != B_OK || path.Path() == NULL)
				return;
			// The panel's reply arrives in the application's thread.
			BWindow* window = Window();
			if (window != NULL && !window->Lock())
				return;
			fOutputDirText->SetText(path.Path());
			if (window != NULL)
				window->Unlock();
			break;
		}
	}
}


void
EncoderView::OptionsBefore(char* out)
{
	out[0] = '\0';

	BMenuItem* marked = fBitRateMenu->FindMarked();
	int32 index = marked != NULL ? fBitRateMenu->IndexOf(marked) : 0;
	if (index >= 2 && index - 2 < 14)
		AppendElement(out, "-b %d", (int)fBitRates[index - 2]);

	marked = fOutputModeMenu->FindMarked();
	index = marked != NULL ? fOutputModeMenu->IndexOf(marked) : 0;
	if (index > 0) {
		char mode = index == 2 ? 'm' : index == 3 ? 's' : 'j';
		AppendElement(out, "-m %c", mode);
	}

	if (fDisablePsycho->Value() == B_CONTROL_ON)
		AppendElement(out, "-nopsy");
	if (fDeleteWave->Value() == B_CONTROL_ON)
		AppendElement(out, "-delete");

	// Only a blank makes the folder one quoted word: the launcher splits
	// at blanks alone.
	const char* folder = fOutputDirText->Text();
	if (folder[0] != '\0') {
		if (strchr(folder, ' ') != NULL)
			AppendElement(out, "-o \"%s\"", folder);
		else
			AppendElement(out, "-o %s", folder);
	}

	const char* extra = fExtraParam->Text();
	// As typed, trailing blanks included.
	if (extra[0] != '\0')
		AppendElement(out, "%s", extra);
}


void
EncoderView::OptionsAfter(char* out)
{
	out[0] = '\0';
}
