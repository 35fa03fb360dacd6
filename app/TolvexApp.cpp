#include "TolvexApp.h"

#include <stdio.h>
#include <string.h>

#include <Alert.h>
#include <AppFileInfo.h>
#include <Autolock.h>
#include <Bitmap.h>
#include <File.h>
#include <MimeType.h>
#include <Path.h>
#include <Roster.h>

#include "Commands.h"
#include "MainWindow.h"

const char* kTolvexSignature = "application/x-vnd.Tolvex";
// The page "Apri sito" opens and the About box names. Empty: the manual
// installed with Tolvex (docs/about-box.md says how to change it).
const char* kTolvexWebAddress = "";
// Where the manual lies from the prefix the executable is installed in
// (PREFIX/lib/tolvex/Tolvex).
static const char* kInstalledManual = "share/doc/tolvex/leggimi.html";
const char* kListMimeType = "text/x-Tolvex-list";
const char* kDefaultEncoderLocation = "/boot/home/config/bin/Gogo";
const char* kTolvexVersion = "1.2a";

static const char* kRightsHolder = "Copyright (C) 2026 gli sviluppatori di "
	"Tolvex";
static const char* kEMailAddress = "tolvex@example.org";


TolvexApp::TolvexApp(status_t* error)
	:
	BApplication(kTolvexSignature, error),
	fMainWindow(NULL),
	encoder_location(new char[kEncoderLocationSize]),
	fHasExecutableRef(false)
{
	encoder_location[0] = '\0';
	fLocationAtStart[0] = '\0';
	fSwitchesAtStart[0] = fSwitchesAtStart[1] = fSwitchesAtStart[2] = false;
}


TolvexApp::~TolvexApp()
{
	delete[] encoder_location;
}


void
TolvexApp::ReadyToRun()
{
	ReadOptions();
	if (self_register_mime_type)
		RegisterMIMEType(false);
	fMainWindow = new MainWindow(&fLaunchRefs);
	fLaunchRefs.clear();
	fMainWindowMessenger = BMessenger(fMainWindow);
	fMainWindow->Show();
}


MainWindow*
TolvexApp::_LockMainWindow()
{
	if (fMainWindow == NULL)
		return NULL;
	if (!fMainWindowMessenger.LockTarget()) {
		fMainWindow = NULL;
		be_roster->StopWatching(be_app_messenger);
		return NULL;
	}
	return fMainWindow;
}


void
TolvexApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case MSG_ENCODER_PANEL:
		case MSG_ENCODER_VIEW:
		case MSG_OPEN_LIST_PANEL:
		case MSG_SAVE_LIST_PANEL:
		{
			// File panels have no target; what concerns the main window is
			// handed on to it directly, on this thread.
			MainWindow* window = _LockMainWindow();
			if (window != NULL) {
				window->MessageReceived(message);
				window->Unlock();
			}
			break;
		}

		case B_SOME_APP_QUIT:
		{
			// The run is touched only with the main window locked: by its
			// own thread, or here, where the next file starts at once
			// instead of a thread later. Once the window is gone, nobody
			// listens.
			MainWindow* window = _LockMainWindow();
			if (window != NULL) {
				window->MessageReceived(message);
				window->Unlock();
			}
			break;
		}

		default:
			BApplication::MessageReceived(message);
			break;
	}
}


void
TolvexApp::RefsReceived(BMessage* message)
{
	if (IsLaunching()) {
		entry_ref ref;
		if (message->FindRef("refs", 0, &ref) == B_OK)
			fLaunchRefs.push_back(*message);
		return;
	}

	MainWindow* window = _LockMainWindow();
	if (window != NULL) {
		window->RefsReceived(message);
		window->Unlock();
	}
}


// A file URL of the installed manual: bytes that a URL does not carry as
// they are are written as %XX, so a prefix with blanks or accents works.
static void
ManualAddress(char* buffer, size_t size)
{
	snprintf(buffer, size, "file://");
	app_info info;
	BEntry executable;
	BEntry folder;
	BEntry lib;
	BEntry root;
	BPath prefix;
	if (be_app == NULL || be_app->GetAppInfo(&info) != B_OK
		|| executable.SetTo(&info.ref, false) != B_OK
		|| executable.GetParent(&folder) != B_OK
		|| folder.GetParent(&lib) != B_OK
		|| lib.GetParent(&root) != B_OK
		|| root.GetPath(&prefix) != B_OK || prefix.Path() == NULL)
		return;

	char path[B_PATH_NAME_LENGTH + 64];
	snprintf(path, sizeof(path), "%s/%s",
		strcmp(prefix.Path(), "/") == 0 ? "" : prefix.Path(),
		kInstalledManual);
	size_t length = strlen(buffer);
	static const char* kHex = "0123456789ABCDEF";
	for (const char* byte = path; *byte != '\0'; byte++) {
		unsigned char c = (unsigned char)*byte;
		bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
			|| (c >= '0' && c <= '9') || strchr("/-._~", c) != NULL;
		size_t needed = plain ? 1 : 3;
		// A byte that does not fit whole ends the address.
		if (length + needed >= size)
			break;
		if (plain)
			buffer[length++] = c;
		else {
			buffer[length++] = '%';
			buffer[length++] = kHex[c >> 4];
			buffer[length++] = kHex[c & 0xf];
		}
	}
	buffer[length] = '\0';
}


void
TolvexApp::GetWebAddress(char* buffer, size_t size)
{
	if (buffer == NULL || size == 0)
		return;
	if (kTolvexWebAddress[0] != '\0')
		snprintf(buffer, size, "%s", kTolvexWebAddress);
	else
		ManualAddress(buffer, size);
}


void
TolvexApp::GetAboutText(char* buffer, size_t size)
{
	char address[kWebAddressSize];
	GetWebAddress(address, sizeof(address));
	snprintf(buffer, size,
		"Tolvex %s (Italiano)\n"
		"%s\n\n"
		"Per le istruzioni e la licenza vedi il file leggimi.\n\n"
		"E-Mail: : %s\n"
		"Web: : %s\n\n"
		"Compilato il %s %s",
		kTolvexVersion, kRightsHolder, kEMailAddress, address, __DATE__,
		__TIME__);
}


void
TolvexApp::AboutRequested()
{
	// Room for the text around the longest address, so that it shows whole.
	char text[kWebAddressSize + 512];
	GetAboutText(text, sizeof(text));
	char address[kWebAddressSize];
	GetWebAddress(address, sizeof(address));
	BAlert* alert = new BAlert("AboutDialog", text, "Apri sito", "Chiudi",
		NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->SetShortcut(1, B_ESCAPE);
	if (alert->Go() == 0) {
		const char* arguments[] = { address };
		be_roster->Launch("text/html", 1, arguments);
	}
}


// #pragma mark - settings


void
TolvexApp::GetEncoderLocation(char* buffer, size_t size) const
{
	if (buffer == NULL || size == 0)
		return;
	BAutolock lock(fSettingsLock);
	snprintf(buffer, size, "%s", encoder_location);
}


void
TolvexApp::SetEncoderLocation(const char* location)
{
	BAutolock lock(fSettingsLock);
	snprintf(encoder_location, kEncoderLocationSize, "%s",
		location != NULL ? location : "");
}


// A read that failed for another reason than a missing attribute or an
// executable that could not be opened: the value is there, but unknown.
static bool
IsUnreadable(ssize_t result)
{
	return result < 0 && result != B_ENTRY_NOT_FOUND && result != B_FILE_ERROR;
}


// Reads a one-byte switch; a missing attribute or an unreadable file
// gives the default, as does any failed read, and any byte but 0 is true.
static bool
ReadSwitch(BFile& file, const char* name, bool defaultValue,
	bool* unreadable)
{
	uint8 value = defaultValue ? 1 : 0;
	ssize_t result = file.ReadAttr(name, B_BOOL_TYPE, 0, &value,
		sizeof(value));
	*unreadable = IsUnreadable(result);
	if (result < 0)
		value = defaultValue ? 1 : 0;
	return value != 0;
}


void
TolvexApp::ReadOptions()
{
	app_info info;
	GetAppInfo(&info);
	// The path it was started from: an upgrade that replaces the file
	// meanwhile gets this session's settings at quit, not the old file.
	fExecutableRef = info.ref;
	fHasExecutableRef = true;
	BFile file(&info.ref, B_READ_ONLY);

	{
		BAutolock lock(fSettingsLock);
		// The default first, so that whatever the read does the buffer
		// holds a defined, terminated text; what was read is cut to it.
		const size_t defaultSize = strlen(kDefaultEncoderLocation) + 1;
		memcpy(encoder_location, kDefaultEncoderLocation, defaultSize);
		ssize_t length = file.ReadAttr("encoder_location", B_STRING_TYPE, 0,
			encoder_location, kEncoderLocationSize);
		if (length >= 0) {
			encoder_location[(size_t)length < kEncoderLocationSize
				? (size_t)length : kEncoderLocationSize - 1] = '\0';
		} else
			memcpy(encoder_location, kDefaultEncoderLocation, defaultSize);
		fUnreadable.location = IsUnreadable(length);
		memcpy(fLocationAtStart, encoder_location, kEncoderLocationSize);
	}

	dont_close_on_add = ReadSwitch(file, "dont_close_on_add", false,
		&fUnreadable.closeOnAdd);
	dont_clear_on_open = ReadSwitch(file, "dont_clear_on_open", false,
		&fUnreadable.clearOnOpen);
	self_register_mime_type = ReadSwitch(file, "self_register_mime_type",
		true, &fUnreadable.selfRegister);
	fSwitchesAtStart[0] = dont_close_on_add;
	fSwitchesAtStart[1] = dont_clear_on_open;
	fSwitchesAtStart[2] = self_register_mime_type;
}


void
TolvexApp::WriteOptions()
{
	entry_ref ref;
	if (fHasExecutableRef)
		ref = fExecutableRef;
	else {
		app_info info;
		GetAppInfo(&info);
		ref = info.ref;
	}
	BFile file(&ref, B_WRITE_ONLY);
	if (file.InitCheck() != B_OK)
		return;

	// A stored value that could not be read stays as it is, unless the
	// user has set this one: the default stood in for it only for now.
	char location[kEncoderLocationSize];
	GetEncoderLocation(location, sizeof(location));
	if (!fUnreadable.location || strcmp(location, fLocationAtStart) != 0) {
		file.WriteAttr("encoder_location", B_STRING_TYPE, 0, location,
			strlen(location) + 1);
	}
	const char* names[] = { "dont_close_on_add", "dont_clear_on_open",
		"self_register_mime_type" };
	bool values[] = { dont_close_on_add, dont_clear_on_open,
		self_register_mime_type };
	bool unreadable[] = { fUnreadable.closeOnAdd, fUnreadable.clearOnOpen,
		fUnreadable.selfRegister };
	for (int i = 0; i < 3; i++) {
		if (unreadable[i] && values[i] == fSwitchesAtStart[i])
			continue;
		uint8 value = values[i] ? 1 : 0;
		file.WriteAttr(names[i], B_BOOL_TYPE, 0, &value, 1);
	}
}


// #pragma mark - the list MIME type


void
TolvexApp::RegisterMIMEType(bool verbose)
{
	BMimeType type(kListMimeType);
	const char* outcome;
	if (type.IsInstalled()) {
		// A type installed already is the user's: it stays as it is.
		outcome = "Il tipo MIME è già installato.";
	} else {
		type.SetShortDescription("Tolvex list");
		type.SetLongDescription("Tolvex list");
		type.SetPreferredApp(kTolvexSignature, B_OPEN);
		BMessage* extensions = new BMessage();
		extensions->AddString("extensions", "tvx");
		type.SetFileExtensions(extensions);
		delete extensions;
		// A list saved without .tvx is still known by its header.
		type.SetSnifferRule("0.80 (\"# Generated by Tolvex\")");

		BBitmap largeIcon(BRect(0, 0, 31, 31), B_CMAP8);
		BBitmap miniIcon(BRect(0, 0, 15, 15), B_CMAP8);
		app_info info;
		GetAppInfo(&info);
		BFile executable(&info.ref, B_READ_ONLY);
		BAppFileInfo appInfo(&executable);
		appInfo.GetIcon(&largeIcon, B_LARGE_ICON);
		appInfo.GetIcon(&miniIcon, B_MINI_ICON);
		type.SetIcon(&largeIcon, B_LARGE_ICON);
		type.SetIcon(&miniIcon, B_MINI_ICON);

		if (type.Install() == B_OK)
			outcome = "Tipo MIME installato.";
		else
			outcome = "Errore durante l'installazione del tipo MIME.";
	}

	if (verbose) {
		BAlert* alert = new BAlert("MimeInstalled", outcome, "OK", NULL, NULL,
			B_WIDTH_AS_USUAL, B_INFO_ALERT);
		alert->Go();
	}
}


void
TolvexApp::UnregisterMIMEType()
{
	BMimeType type(kListMimeType);
	// Delete tells a missing type from a database that cannot be looked
	// at, which IsInstalled alone would take for a missing type.
	const char* outcome;
	status_t status = type.Delete();
	if (status == B_OK)
		outcome = "Tipo MIME cancellato.";
	else if (status == B_ENTRY_NOT_FOUND)
		outcome = "Impossibile cancellare il tipo MIME; non è installato.";
	else
		outcome = "Errore durante la cancellazione del tipo MIME.";

	BAlert* alert = new BAlert("MimeDeleted", outcome, "OK", NULL, NULL,
		B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->Go();
}
