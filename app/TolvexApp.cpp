#include "TolvexApp.h"

#include <stdio.h>
#include <string.h>

#include <Alert.h>
#include <Roster.h>

#include "Commands.h"
#include "MainWindow.h"

const char* kTolvexSignature = "application/x-vnd.Tolvex";
const char* kTolvexWebAddress = "https://tolvex.example.org/";

static const char* kRightsHolder = "Copyright (C) 2026 gli sviluppatori di "
	"Tolvex";
static const char* kEMailAddress = "tolvex@example.org";


TolvexApp::TolvexApp()
	:
	BApplication(kTolvexSignature),
	fMainWindow(NULL),
	fHasLaunchRef(false)
{
}


TolvexApp::~TolvexApp()
{
}


void
TolvexApp::ReadyToRun()
{
	fMainWindow = new MainWindow(fHasLaunchRef ? &fLaunchRef : NULL);
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
			MainWindow* window = _LockMainWindow();
			if (window == NULL)
				break;
			entry_ref ref;
			if (window->fEncoding
				&& message->FindRef("be:ref", &ref) == B_OK
				&& ref == window->fEncoderRef)
				window->EncodeNext();
			window->Unlock();
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
		if (message->FindRef("refs", 0, &ref) == B_OK) {
			fLaunchRef = ref;
			fHasLaunchRef = true;
		}
		return;
	}

	MainWindow* window = _LockMainWindow();
	if (window != NULL) {
		window->RefsReceived(message);
		window->Unlock();
	}
}


void
TolvexApp::GetAboutText(char* buffer, size_t size)
{
	snprintf(buffer, size,
		"Tolvex 1.2a (Italiano)\n"
		"%s\n\n"
		"Per le istruzioni e la licenza vedi il file leggimi.\n\n"
		"E-Mail: : %s\n"
		"Web: : %s\n\n"
		"Compilato il %s %s",
		kRightsHolder, kEMailAddress, kTolvexWebAddress, __DATE__, __TIME__);
}


void
TolvexApp::AboutRequested()
{
	char text[1024];
	GetAboutText(text, sizeof(text));
	BAlert* alert = new BAlert("AboutDialog", text, "Apri sito", "Chiudi",
		NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	if (alert->Go() == 0) {
		const char* arguments[] = { kTolvexWebAddress };
		be_roster->Launch("text/html", 1, arguments);
	}
}
