#include "MainWindow.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <CheckBox.h>
#include <Entry.h>
#include <File.h>
#include <FilePanel.h>
#include <ListItem.h>
#include <NodeInfo.h>
#include <Notification.h>
#include <Path.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Roster.h>
#include <StringView.h>
#include <TextControl.h>
#include <View.h>

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <map>
#include <utility>

#include "Commands.h"
#include "FilesList.h"
#include "FilesView.h"
#include "EncoderView.h"
#include "OptionsView.h"
#include "ProgressWindow.h"
#include "TabView.h"
#include "TolvexApp.h"
#include "TolvexLaunch.h"

// The progress window's place, from the main window's left-top corner.
static const float kProgressOffset = 50;

// Room for the longest command text: both option texts whole, a path of
// the longest length between quotes, the two blanks and the NUL. The
// launch splits it without cutting.
static const size_t kCommandTextSize = 2 * (kOptionsTextSize - 1)
	+ (B_PATH_NAME_LENGTH - 1 + 2) + 2 + 1;
static_assert(kCommandTextSize <= kLaunchTextSize,
	"the launch holds every command text");

// The end-of-run report names this many entries, and counts the rest.
static const int32 kMaxReportedFailures = 10;
// The bytes of the encoder's own message that the report shows.
static const size_t kMaxReasonBytes = 200;

static const char* kQuoteInPathText = "Il nome del file contiene il "
	"carattere \" e non può essere passato a Gogo.";


// The first line of the end-of-run report.
static void
FailureHead(char* head, size_t size, int32 failures, int32 count)
{
	if (failures == 1) {
		snprintf(head, size, "Codifica terminata: 1 file su %d non è stato "
			"codificato.", (int)count);
	} else {
		snprintf(head, size, "Codifica terminata: %d file su %d non sono "
			"stati codificati.", (int)failures, (int)count);
	}
}


// One notification for a run that went through its list, with what the
// report's first line says, or how many files became MP3s.
static void
NotifyRunEnd(int32 failures, int32 count)
{
	char text[128];
	if (failures > 0)
		FailureHead(text, sizeof(text), failures, count);
	else {
		snprintf(text, sizeof(text), "Codifica terminata: %d file codificati.",
			(int)count);
	}
	BNotification notification(failures > 0 ? B_ERROR_NOTIFICATION
		: B_INFORMATION_NOTIFICATION);
	notification.SetTitle("Tolvex");
	notification.SetContent(text);
	notification.Send();
}

MainWindow::MainWindow(const std::vector<BMessage>* launchRefs)
	:
	BWindow(BRect(100, 100, 540, 380), "Tolvex 1.2a", B_TITLED_WINDOW,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS,
		B_CURRENT_WORKSPACE)
{
	fEncoderRef = entry_ref();
	fFileIndex = 0;
	fEncoderTeam = -1;
	fOptionsBefore[0] = '\0';
	fOptionsAfter[0] = '\0';
	fEncoding = false;
	fFilesList = NULL;
	fFailureCount = 0;
	fSkipped = false;

	fProgressWindow = new ProgressWindow(this);
	fProgressWindow->Run();

	fMenuBar = new BMenuBar(BRect(0, 0, 10, 10), "MenuBar",
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
	BMenu* listMenu = new BMenu("Lista", B_ITEMS_IN_COLUMN);
	listMenu->AddItem(new BMenuItem("Nuova", new BMessage(MSG_NEW_LIST)));
	listMenu->AddItem(new BMenuItem("Salva...", new BMessage(MSG_SAVE_LIST)));
	listMenu->AddItem(new BMenuItem("Apri...", new BMessage(MSG_OPEN_LIST)));
	listMenu->AddSeparatorItem();
	listMenu->AddItem(new BMenuItem("Esci", new BMessage(MSG_CLOSE)));
	fMenuBar->AddItem(listMenu);

	BMenu* helpMenu = new BMenu("?", B_ITEMS_IN_COLUMN);
	helpMenu->AddItem(new BMenuItem("Leggimi", new BMessage(MSG_README)));
	helpMenu->AddSeparatorItem();
	BMenuItem* about = new BMenuItem("Informazioni su...",
		new BMessage(B_ABOUT_REQUESTED));
	about->SetTarget(be_app);
	helpMenu->AddItem(about);
	fMenuBar->AddItem(helpMenu);
	AddChild(fMenuBar);

	BRect backFrame = Bounds();
	backFrame.top = fMenuBar->Frame().bottom + 1;
	fBackView = new BView(backFrame, "BackView", B_FOLLOW_ALL_SIDES, 0);
	fBackView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(fBackView);
	BRect bounds = fBackView->Bounds();

	BRect buttonFrame(1, 1, 75, 25);
	fCloseButton = new BButton(buttonFrame.OffsetByCopy(bounds.right - 80,
		bounds.bottom - 30), "CloseButton", "Esci", new BMessage(MSG_CLOSE),
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW | B_NAVIGABLE);
	fCloseButton->ResizeToPreferred();
	fBackView->AddChild(fCloseButton);

	float closeWidth = fCloseButton->Bounds().right
		- fCloseButton->Bounds().left;
	fEncodeButton = new BButton(buttonFrame.OffsetByCopy(
		bounds.right - 74 - closeWidth - 10, bounds.bottom - 30),
		"EncodeButton", "Codifica!", new BMessage(MSG_ENCODE),
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW | B_NAVIGABLE);
	fEncodeButton->ResizeToPreferred();
	fEncodeButton->SetEnabled(false);
	fBackView->AddChild(fEncodeButton);

	BRect tabFrame = bounds;
	tabFrame.InsetBy(5, 5);
	tabFrame.bottom -= 29;
	fTabView = new TabView(tabFrame, fEncodeButton, this);
	fBackView->AddChild(fTabView);
	fTabView->SetTabWidth(B_WIDTH_FROM_WIDEST);
	fFilesList = fTabView->fFilesView->fFilesList;

	// Files handed over at launch: as if handed to the running program.
	if (launchRefs != NULL) {
		for (const BMessage& refs : *launchRefs)
			RefsReceived(const_cast<BMessage*>(&refs));
	}
}


MainWindow::~MainWindow()
{
}


void
MainWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case MSG_CLOSE:
			be_app->PostMessage(B_QUIT_REQUESTED);
			break;

		case MSG_NEW_LIST:
			fFilesList->Clear();
			break;
		case MSG_OPEN_LIST:
			fFilesList->ShowOpen();
			break;
		case MSG_SAVE_LIST:
			fFilesList->ShowSave();
			break;
		case MSG_OPEN_LIST_PANEL:
		{
			entry_ref ref;
			BPath path;
			if (message->FindRef("refs", 0, &ref) == B_OK
				&& FilesList::PathOf(&ref, &path))
				fFilesList->Open(path.Path());
			break;
		}
		case MSG_SAVE_LIST_PANEL:
		{
			entry_ref directory;
			const char* name;
			BPath folder;
			if (message->FindRef("directory", &directory) != B_OK
				|| message->FindString("name", &name) != B_OK
				|| !FilesList::PathOf(&directory, &folder))
				break;
			char path[2048];
			int length = snprintf(path, sizeof(path), "%s/%s", folder.Path(),
				name);
			// A name that does not fit is refused, not saved cut; the
			// user is told as for any file that cannot be made.
			if (length > 0 && (size_t)length < sizeof(path))
				fFilesList->Save(path);
			else
				fFilesList->RefuseSave();
			break;
		}
		case MSG_ADD_FILES:
		{
			TolvexApp* app = static_cast<TolvexApp*>(be_app);
			bool dontClose = app->dont_close_on_add;
			BFilePanel* panel = fTabView->fFilesView->fAddPanel;
			panel->SetHideWhenDone(!dontClose);
			panel->SetButtonLabel(B_CANCEL_BUTTON,
				dontClose ? "Chiudi" : "Annulla");
			panel->Show();
			break;
		}
		case MSG_REMOVE_FILES:
			fFilesList->RemoveFiles();
			break;
		case MSG_MOVE_UP:
			fFilesList->MoveUp();
			break;
		case MSG_MOVE_DOWN:
			fFilesList->MoveDown();
			break;
		case MSG_ENCODER_VIEW:
			fTabView->fEncoderView->MessageReceived(message);
			break;

		case MSG_ENCODE:
			_StartRun();
			break;
		case MSG_SKIP_FILE:
			_SkipFile();
			break;
		case MSG_STOP_ENCODING:
			_StopRun();
			break;
		case B_SOME_APP_QUIT:
			_QuitNoticeReceived(message);
			break;
		case MSG_README:
			_OpenReadme();
			break;
		case MSG_BROWSE_ENCODER:
			fTabView->fOptionsView->fEncoderPanel->Show();
			break;
		case MSG_ENCODER_LOCATION:
			_StoreEncoderLocation();
			break;
		case MSG_ENCODER_PANEL:
		{
			// Not followed: a link chosen stays the link, so the location
			// may name the encoder or a link to it.
			entry_ref ref;
			if (message->FindRef("refs", 0, &ref) != B_OK)
				break;
			BEntry entry(&ref, false);
			BPath path;
			if (entry.GetPath(&path) != B_OK || path.Path() == NULL)
				break;
			// The panel's reply arrives in the application's thread; the
			// text's modification message stores the setting.
			if (!Lock())
				break;
			fTabView->fOptionsView->fEncoderLocation->SetText(path.Path());
			Unlock();
			break;
		}
		case MSG_DONT_CLOSE_ON_ADD:
			static_cast<TolvexApp*>(be_app)->dont_close_on_add
				= fTabView->fOptionsView->fDontCloseOnAdd->Value()
					== B_CONTROL_ON;
			break;
		case MSG_DONT_CLEAR_ON_OPEN:
			static_cast<TolvexApp*>(be_app)->dont_clear_on_open
				= fTabView->fOptionsView->fDontClearOnOpen->Value()
					== B_CONTROL_ON;
			break;
		case MSG_SELF_REGISTER_MIME:
			static_cast<TolvexApp*>(be_app)->self_register_mime_type
				= fTabView->fOptionsView->fSelfRegisterMIMEType->Value()
					== B_CONTROL_ON;
			break;
		case MSG_REGISTER_MIME_NOW:
			static_cast<TolvexApp*>(be_app)->RegisterMIMEType(true);
			break;
		case MSG_UNREGISTER_MIME_NOW:
			static_cast<TolvexApp*>(be_app)->UnregisterMIMEType();
			break;

		default:
			BWindow::MessageReceived(message);
			break;
	}
}


bool
MainWindow::QuitRequested()
{
	static_cast<TolvexApp*>(be_app)->WriteOptions();
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}


// A list file among the refs is opened and ends the message; everything
// else, folders included, joins the list. The same for the refs handed
// over at launch, before the window shows. During a run a list is not
// opened: it would replace the batch under the encoder, which would go on
// through the new list (and delete WAVs nobody meant to encode). Other
// files join the run at its end, as drops do.
void
MainWindow::RefsReceived(BMessage* message)
{
	entry_ref ref;
	for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
		BPath path;
		if (!FilesList::PathOf(&ref, &path))
			continue;
		if (FilesList::IsListFile(path.Path())) {
			if (fEncoding) {
				BAlert* alert = new BAlert("BusyEncoding", "Non è possibile "
					"aprire una lista durante la codifica.", "OK", NULL, NULL,
					B_WIDTH_AS_USUAL, B_STOP_ALERT);
				alert->Go();
			} else
				fFilesList->Open(path.Path());
			return;
		}
		fFilesList->AddFile(path.Path());
	}
}


// Starts the next entry of the run, or ends the run when none is left.
// Always with this window locked: in its own thread for the first entry,
// in the application's, which takes the lock, for the quit notices.
void
MainWindow::EncodeNext()
{
	int32 count;
	const char* path;
	while (true) {
		count = fFilesList->CountItems();
		if (fFileIndex >= count) {
			// The run went through the list: the desktop tells a user who
			// is in another program.
			NotifyRunEnd(fFailureCount, count);
			_EndRun();
			return;
		}
		path = static_cast<BStringItem*>(fFilesList->ItemAt(fFileIndex))
			->Text();
		// Quotes are the splitter's: a path holding one would reach the
		// encoder as other words than the entry's path (with "-delete",
		// another file could be encoded and deleted), so it is passed over
		// and told at the end.
		if (strchr(path, '"') == NULL)
			break;
		_AddFailure(path, kQuoteInPathText);
		fFileIndex++;
	}

	bool launchable = true;
	char fileText[B_PATH_NAME_LENGTH + 2];
	bool quoted = strchr(path, ' ') != NULL;
	int length = snprintf(fileText, sizeof(fileText), quoted ? "\"%s\"" : "%s",
		path);
	if (length < 0 || (size_t)length >= sizeof(fileText))
		launchable = false;

	char counter[32];
	snprintf(counter, sizeof(counter), "File %d di %d", (int)fFileIndex + 1,
		(int)count);

	char command[kCommandTextSize];
	length = snprintf(command, sizeof(command), "%s%s%s%s%s", fOptionsBefore,
		fOptionsBefore[0] != '\0' ? " " : "", fileText,
		fOptionsAfter[0] != '\0' ? " " : "", fOptionsAfter);
	if (length < 0 || (size_t)length >= sizeof(command))
		launchable = false;

	if (fProgressWindow->Lock()) {
		fProgressWindow->fFileName->SetText(fileText);
		fProgressWindow->fFileNumber->SetText(counter);
		fProgressWindow->fSkipButton->SetEnabled(true);
		fProgressWindow->fStopButton->SetEnabled(true);
		fProgressWindow->Unlock();
	}

	fCurrentPath = path;
	fSkipped = false;
	status_t status = B_BAD_VALUE;
	if (launchable)
		status = TolvexLaunch(&fEncoderRef, command, &fEncoderTeam);
	if (status != B_OK) {
		char text[256];
		snprintf(text, sizeof(text), "È avvenuto un errore cercando di "
			"lanciare %s. Assicuratevi che %s si trovi dove dovrebbe essere "
			"e non sia in uso e riprovate.", "Gogo", "Gogo");
		BAlert* alert = new BAlert("LaunchFailed", text, "OK", NULL, NULL,
			B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
		_EndRun();
		return;
	}
	fFileIndex++;
}


void
MainWindow::_StartRun()
{
	// A second "Codifica!" that came before the progress window took the
	// input would start a second encoder beside the first.
	if (fEncoding)
		return;

	char location[kEncoderLocationSize];
	static_cast<TolvexApp*>(be_app)->GetEncoderLocation(location,
		sizeof(location));
	BEntry entry(location, true);
	if (!entry.Exists() || entry.GetRef(&fEncoderRef) != B_OK) {
		char text[2048];
		snprintf(text, sizeof(text), "%s non trovato. Assicuratevi che il "
			"campo \"%s\" nel pannello \"Opzioni programma\" punti "
			"direttamente a %s o ad un suo symlink (non alla cartella in cui "
			"si trova).", location, "Posizione di Gogo:", "Gogo");
		BAlert* alert = new BAlert("EncodeFailed", text, "OK", NULL, NULL,
			B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
		return;
	}

	fFileIndex = 0;
	fTabView->fEncoderView->OptionsBefore(fOptionsBefore);
	fTabView->fEncoderView->OptionsAfter(fOptionsAfter);
	if (!_OptionsArePassable() || !_OutputFolderExists())
		return;
	std::string first;
	std::string second;
	std::string output;
	if (_FindOutputClash(&first, &second, &output)) {
		std::string text = "Due file verrebbero codificati nello stesso file "
			"MP3:\n" + first + "\n" + second + "\n" + output;
		BAlert* alert = new BAlert("OutputClash", text.c_str(), "OK", NULL,
			NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
		return;
	}

	fFailureCount = 0;
	fFailureLines.clear();
	fEncoding = true;
	fProgressWindow->Show();
	BRect frame = Frame();
	fProgressWindow->MoveTo(frame.left + kProgressOffset,
		frame.top + kProgressOffset);
	be_roster->StartWatching(be_app_messenger, B_REQUEST_QUIT);
	EncodeNext();
}


void
MainWindow::_SkipFile()
{
	if (!fEncoding)
		return;
	if (fProgressWindow->Lock()) {
		fProgressWindow->fSkipButton->SetEnabled(false);
		fProgressWindow->fStopButton->SetEnabled(false);
		fProgressWindow->Unlock();
	}
	// However it ends now, the user chose it.
	fSkipped = true;
	kill_team(fEncoderTeam);
}


void
MainWindow::_StopRun()
{
	if (!fEncoding)
		return;
	be_roster->StopWatching(be_app_messenger);
	kill_team(fEncoderTeam);
	fEncoding = false;
	fFileIndex = 0;
	fProgressWindow->Hide();
	_ReportFailures();
}


// Only the end of the encoder this run launched last leads on: a late
// notice of an earlier run's encoder must not advance a new run while its
// own encoder still works.
void
MainWindow::_QuitNoticeReceived(BMessage* message)
{
	entry_ref ref;
	int32 team;
	if (fEncoding && message->FindRef("be:ref", &ref) == B_OK
		&& ref == fEncoderRef
		&& message->FindInt32("be:team", &team) == B_OK
		&& team == fEncoderTeam) {
		// The roster tells how the encoder ended, where it can: a signal
		// the user did not send, or an exit status other than 0, with the
		// last line the encoder wrote on its error stream.
		int32 signal;
		int32 status;
		char reason[256];
		reason[0] = '\0';
		if (fSkipped) {
			// Not a failure: the user chose to leave the entry out.
		} else if (message->FindInt32("linux:signal", &signal) == B_OK) {
			snprintf(reason, sizeof(reason), "Gogo è stato interrotto dal "
				"segnale %d.", (int)signal);
		} else if (message->FindInt32("linux:exit_status", &status) == B_OK
			&& status != 0) {
			const char* line;
			if (message->FindString("linux:error_line", &line) == B_OK
				&& line[0] != '\0') {
				// "Gogo: PATH: why" would show the path twice.
				std::string prefix = "Gogo: " + fCurrentPath + ": ";
				if (strncmp(line, prefix.c_str(), prefix.size()) == 0
					&& line[prefix.size()] != '\0')
					line += prefix.size();
				// Cut before a character that would not fit whole.
				size_t length = strnlen(line, kMaxReasonBytes + 1);
				if (length > kMaxReasonBytes) {
					length = kMaxReasonBytes;
					while (length > 0
						&& ((uint8)line[length] & 0xc0) == 0x80)
						length--;
				}
				memcpy(reason, line, length);
				reason[length] = '\0';
			} else {
				snprintf(reason, sizeof(reason), "Gogo è terminato con il "
					"codice %d.", (int)status);
			}
		}
		if (reason[0] != '\0')
			_AddFailure(fCurrentPath.c_str(), reason);
		EncodeNext();
	}
}


// The field takes one byte more than the setting holds with its NUL: a
// text that long is cut before the character that would not fit whole.
void
MainWindow::_StoreEncoderLocation()
{
	char location[kEncoderLocationSize];
	const char* text = fTabView->fOptionsView->fEncoderLocation->Text();
	size_t length = strnlen(text, sizeof(location));
	if (length >= sizeof(location)) {
		length = sizeof(location) - 1;
		while (length > 0 && ((uint8)text[length] & 0xc0) == 0x80)
			length--;
	}
	memcpy(location, text, length);
	location[length] = '\0';
	static_cast<TolvexApp*>(be_app)->SetEncoderLocation(location);
}


// The read-me beside the running executable (not beside what a link to it
// names), opened with the preferred application of its type.
void
MainWindow::_OpenReadme()
{
	app_info info;
	BEntry executable;
	BEntry folder;
	BPath folderPath;
	bool found = false;
	if (be_app->GetAppInfo(&info) == B_OK
		&& executable.SetTo(&info.ref, false) == B_OK
		&& executable.GetParent(&folder) == B_OK
		&& folder.GetPath(&folderPath) == B_OK
		&& folderPath.Path() != NULL) {
		char path[1024];
		int length = snprintf(path, sizeof(path), "%s/leggimi",
			folderPath.Path());
		// A path that does not fit would name another file: not found.
		if (length > 0 && (size_t)length < sizeof(path)) {
			BEntry readme(path, true);
			entry_ref ref;
			if (readme.Exists() && readme.GetRef(&ref) == B_OK) {
				found = true;
				be_roster->Launch(&ref);
			}
		}
	}
	if (!found) {
		BAlert* alert = new BAlert("ReadmeDialog", "File leggimi non trovato!",
			"OK", NULL, NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
	}
}


void
MainWindow::_EndRun()
{
	be_roster->StopWatching(be_app_messenger);
	fEncoding = false;
	fFileIndex = 0;
	if (!fProgressWindow->IsHidden())
		fProgressWindow->Hide();
	_ReportFailures();
}


// Paths and the encoder's words may hold anything: terminal escapes and
// bytes that are no text are shown as escapes, never raw.
void
MainWindow::_AddFailure(const char* path, const char* reason)
{
	if (fFailureCount++ < kMaxReportedFailures) {
		fFailureLines += "\n" + _Printable(path) + ": "
			+ _Printable(reason);
	}
}


// The text as an alert may show it: control characters (C1 ones too) as
// \n, \r, \t or \xNN, and each byte that is not part of a well-formed
// UTF-8 character as \xNN.
/*static*/ std::string
MainWindow::_Printable(const char* text)
{
	std::string shown;
	const uint8* bytes = (const uint8*)text;
	size_t length = strlen(text);
	for (size_t i = 0; i < length;) {
		uint8 byte = bytes[i];
		size_t size = 1;
		uint32 code = byte;
		if (byte >= 0x80) {
			size = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 0;
			uint32 minimum = size == 4 ? 0x10000 : size == 3 ? 0x800 : 0x80;
			bool whole = size > 0 && byte < 0xf5 && i + size <= length;
			code = size == 4 ? byte & 0x07 : size == 3 ? byte & 0x0f
				: byte & 0x1f;
			for (size_t k = 1; whole && k < size; k++) {
				whole = (bytes[i + k] & 0xc0) == 0x80;
				code = (code << 6) | (bytes[i + k] & 0x3f);
			}
			if (!whole || code < minimum || code > 0x10ffff
				|| (code >= 0xd800 && code <= 0xdfff)) {
				size = 1;
				code = 0x80;
			}
			if (size == 1) {
				char escape[8];
				snprintf(escape, sizeof(escape), "\\x%02x", byte);
				shown += escape;
				i++;
				continue;
			}
		}
		if (code == '\n')
			shown += "\\n";
		else if (code == '\r')
			shown += "\\r";
		else if (code == '\t')
			shown += "\\t";
		else if (code < 0x20 || (code >= 0x7f && code < 0xa0)) {
			for (size_t k = 0; k < size; k++) {
				char escape[8];
				snprintf(escape, sizeof(escape), "\\x%02x", bytes[i + k]);
				shown += escape;
			}
		} else
			shown.append(text + i, size);
		i += size;
	}
	return shown;
}


// One alert at the end of a run in which an entry did not become an MP3,
// so that a failure never looks like success; none after a good run.
void
MainWindow::_ReportFailures()
{
	if (fFailureCount == 0)
		return;
	char head[128];
	FailureHead(head, sizeof(head), fFailureCount,
		fFilesList->CountItems());
	std::string text = head + fFailureLines;
	if (fFailureCount > kMaxReportedFailures) {
		char more[64];
		snprintf(more, sizeof(more), "\n... e altri %d.",
			(int)(fFailureCount - kMaxReportedFailures));
		text += more;
	}
	fFailureCount = 0;
	fFailureLines.clear();
	BAlert* alert = new BAlert("EncodeErrors", text.c_str(), "OK", NULL, NULL,
		B_WIDTH_AS_USUAL, B_STOP_ALERT);
	alert->Go();
}


// The folder is the one word of the panel's own that can hold a double
// quote; the splitter would take it for a quoting mark, and the encoder
// would get other words than the panel meant (an "-delete" nobody
// ticked, or the WAV's path swallowed). Quotes typed among the extra
// parameters are the user's own and keep the splitter's meaning.
bool
MainWindow::_OptionsArePassable()
{
	const char* folder = fTabView->fEncoderView->fOutputDirText->Text();
	if (strchr(folder, '"') == NULL)
		return true;
	std::string text = std::string("La cartella di destinazione \"")
		+ folder + "\" contiene il carattere \" e non può essere passata a "
		"Gogo.";
	BAlert* alert = new BAlert("BadOptions", text.c_str(), "OK", NULL, NULL,
		B_WIDTH_AS_USUAL, B_STOP_ALERT);
	alert->Go();
	return false;
}


// Where Gogo will write each entry's MP3, from the words it will get: the
// last "-o" folder, else the entry's own folder; a final ".wav" in any case
// made ".mp3", else ".mp3" added. Folders are taken with their links
// resolved, so two ways to one folder are one folder. An entry that Gogo
// cannot encode anyway (a folder that is not there, a name too long, a
// quote) writes nothing and clashes with nothing.
bool
MainWindow::_FindOutputClash(std::string* first, std::string* second,
	std::string* output)
{
	char words[kLaunchTextSize];
	const char* args[kMaxLaunchArgs];
	int32 wordCount = 0;
	if (TolvexSplitText(fOptionsBefore, words, args, &wordCount) != B_OK)
		return false;
	std::vector<const char*> options;
	for (int32 i = 0; i < wordCount; i++) {
		// Gogo passes over empty words.
		if (args[i][0] != '\0')
			options.push_back(args[i]);
	}
	const char* folderOption = NULL;
	for (size_t i = 0; i + 1 < options.size(); i++) {
		if (strcmp(options[i], "-o") == 0)
			folderOption = options[++i];
		else if (strcmp(options[i], "-b") == 0
			|| strcmp(options[i], "-v") == 0 || strcmp(options[i], "-m") == 0)
			i++;
	}
	std::string folder;
	if (folderOption != NULL) {
		BEntry entry(folderOption, true);
		BPath path;
		if (!entry.Exists() || entry.GetPath(&path) != B_OK
			|| path.Path() == NULL)
			return false;
		folder = path.Path();
	}

	// Each output path, with the entry (links of its folder resolved) and
	// its text in the list; and each entry's file, by its node, as an
	// output may be another entry's input. Entries that are no regular
	// file (a folder among them) are not encoded, and write nothing.
	std::map<std::string, std::pair<std::string, const char*> > outputs;
	std::map<std::pair<dev_t, ino_t>, int32> inputs;
	std::vector<std::pair<int32, std::string> > written;
	int32 count = fFilesList->CountItems();
	for (int32 i = 0; i < count; i++) {
		const char* text = static_cast<BStringItem*>(
			fFilesList->ItemAt(i))->Text();
		if (strchr(text, '"') != NULL)
			continue;
		BEntry file(text, true);
		struct stat info;
		if (!file.IsFile() || file.GetStat(&info) != B_OK)
			continue;
		inputs.insert(std::make_pair(std::make_pair(info.st_dev,
			info.st_ino), i));
		BPath path(text, NULL, true);
		if (path.InitCheck() != B_OK || path.Path() == NULL)
			continue;
		std::string resolved = path.Path();
		size_t slash = resolved.rfind('/');
		std::string name = resolved.substr(slash + 1);
		if (name.size() >= 4
			&& strcasecmp(name.c_str() + name.size() - 4, ".wav") == 0)
			name.erase(name.size() - 4);
		name += ".mp3";
		if (name.size() >= B_FILE_NAME_LENGTH)
			continue;
		std::string where = folder;
		if (where.empty())
			where = slash == 0 ? "/" : resolved.substr(0, slash);
		std::string mp3 = where + (where == "/" ? "" : "/") + name;
		written.push_back(std::make_pair(i, mp3));
		auto found = outputs.find(mp3);
		if (found == outputs.end()) {
			outputs[mp3] = std::make_pair(resolved, text);
			continue;
		}
		// The same file listed twice writes the same MP3 twice.
		if (found->second.first == resolved)
			continue;
		*first = found->second.second;
		*second = text;
		*output = mp3;
		return true;
	}

	// "x" then "x.mp3": the first entry's MP3 would replace the second
	// before it is read, and with "-delete" both would be gone.
	for (const std::pair<int32, std::string>& entry : written) {
		struct stat info;
		if (BEntry(entry.second.c_str(), true).GetStat(&info) != B_OK)
			continue;
		auto found = inputs.find(std::make_pair(info.st_dev, info.st_ino));
		if (found == inputs.end() || found->second == entry.first)
			continue;
		int32 one = std::min(entry.first, found->second);
		int32 other = std::max(entry.first, found->second);
		*first = static_cast<BStringItem*>(fFilesList->ItemAt(one))->Text();
		*second = static_cast<BStringItem*>(fFilesList->ItemAt(other))
			->Text();
		*output = entry.second;
		return true;
	}
	return false;
}


// Gogo takes the folder as it is written (no "~"), relative to the folder
// we were started in, as it is too. One that is not there would fail
// every entry of the list, one launch after the other.
bool
MainWindow::_OutputFolderExists()
{
	const char* folder = fTabView->fEncoderView->fOutputDirText->Text();
	if (folder[0] == '\0' || BEntry(folder, true).IsDirectory())
		return true;
	std::string text = "La cartella di destinazione \"" + _Printable(folder)
		+ "\" non esiste.";
	BAlert* alert = new BAlert("BadOutputFolder", text.c_str(), "OK", NULL,
		NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
	alert->Go();
	return false;
}
