#include <FilePanel.h>

#include <Application.h>
#include <Button.h>
#include <Message.h>
#include <Path.h>

#include "display/DisplayServer.h"
#include "private/interface/WindowPrivate.h"
#include "private/tracker/PanelWindow.h"

namespace {

// Another window's lock is waited for only this long: one that is busy
// (its thread waiting on an alert) leaves the panel where it was.
const bigtime_t kLockTimeout = 100000;


// The window the panel is for: its target's, or else the application's
// first shown window of its own. Looked at while the panel is not locked,
// so that the two windows are never locked the other way round.
bool
OwnerFrame(const BMessenger& target, BWindow* panel, BRect* frame)
{
	BLooper* looper = NULL;
	if (target.IsValid())
		target.Target(&looper);
	BWindow* owner = dynamic_cast<BWindow*>(looper);
	BMessenger messenger;
	if (owner != NULL && owner != panel)
		messenger = BMessenger(owner);
	for (int32 i = 0; !messenger.IsValid() && be_app != NULL; i++) {
		BWindow* window = be_app->WindowAt(i);
		if (window == NULL)
			break;
		if (window == panel)
			continue;
		BMessenger candidate(window);
		if (candidate.LockTargetWithTimeout(kLockTimeout) != B_OK)
			continue;
		// Windows of the application's own, not panels, alerts or
		// floating ones, which stand beside a window.
		bool front = !window->IsHidden()
			&& window->Feel() == B_NORMAL_WINDOW_FEEL
			&& window->Look() != B_MODAL_WINDOW_LOOK;
		window->Unlock();
		if (front)
			messenger = candidate;
	}
	if (messenger.LockTargetWithTimeout(kLockTimeout) != B_OK)
		return false;
	BLooper* found = NULL;
	messenger.Target(&found);
	*frame = static_cast<BWindow*>(found)->Frame();
	found->Unlock();
	return true;
}

} // namespace


BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target,
	const entry_ref* directory, uint32 nodeFlavors,
	bool allowMultipleSelection, BMessage* message, BRefFilter* filter,
	bool modal,
	bool hideWhenDone)
	:
	fMode(mode),
	fFlavors(nodeFlavors != 0 ? nodeFlavors : (uint32)B_FILE_NODE),
	fWindow(NULL)
{
	fWindow = new PanelWindow(this, mode, fFlavors,
		mode == B_OPEN_PANEL && allowMultipleSelection, modal);
	if (target != NULL)
		fWindow->fTarget = *target;
	if (message != NULL)
		fWindow->fMessage = new BMessage(*message);
	fWindow->fHideWhenDone = hideWhenDone;
	if (filter != NULL)
		fWindow->SetRefFilter(filter);
	if (directory != NULL)
		SetPanelDirectory(directory);
	fMessenger = BMessenger(fWindow);
}


BFilePanel::~BFilePanel()
{
	// The application may have quit the window already.
	if (fMessenger.LockTarget())
		fWindow->Quit();
}


void
BFilePanel::Show()
{
	BMessenger target;
	if (!fMessenger.LockTarget())
		return;
	bool hidden = fWindow->IsHidden();
	target = fWindow->fTarget;
	fWindow->Unlock();
	BRect owner;
	bool centre = hidden && OwnerFrame(target, fWindow, &owner);

	if (!fMessenger.LockTarget())
		return;
	if (fWindow->IsHidden()) {
		// The folder as it is now, not as it was when last shown.
		fWindow->SetDirectory(fWindow->Directory());
		if (centre)
			fWindow->CenterOver(owner);
		fWindow->SelectName();
		fWindow->Show();
		BPrivate::DisplayCommand command
			= BWindow::Private(fWindow).Command(BPrivate::B_DISPLAY_PANEL_SHOWN);
		command.text = fWindow->Title();
		BPrivate::SendToDisplay(command);
	} else
		fWindow->Activate();
	fWindow->Unlock();
}


void
BFilePanel::Hide()
{
	if (!fMessenger.LockTarget())
		return;
	if (!fWindow->IsHidden())
		fWindow->Hide();
	fWindow->Unlock();
}


bool
BFilePanel::IsShowing() const
{
	if (!fMessenger.LockTarget())
		return false;
	bool showing = !fWindow->IsHidden();
	fWindow->Unlock();
	return showing;
}


BWindow*
BFilePanel::Window() const
{
	return fWindow;
}


void
BFilePanel::SetTarget(BMessenger target)
{
	if (!fMessenger.LockTarget())
		return;
	fWindow->fTarget = target;
	fWindow->Unlock();
}


void
BFilePanel::SetMessage(BMessage* message)
{
	if (!fMessenger.LockTarget())
		return;
	delete fWindow->fMessage;
	fWindow->fMessage = message != NULL ? new BMessage(*message) : NULL;
	fWindow->Unlock();
}


void
BFilePanel::SetRefFilter(BRefFilter* filter)
{
	if (!fMessenger.LockTarget())
		return;
	fWindow->SetRefFilter(filter);
	fWindow->Unlock();
}


BRefFilter*
BFilePanel::RefFilter() const
{
	if (!fMessenger.LockTarget())
		return NULL;
	BRefFilter* filter = fWindow->RefFilter();
	fWindow->Unlock();
	return filter;
}


void
BFilePanel::SetButtonLabel(file_panel_button button, const char* label)
{
	if (!fMessenger.LockTarget())
		return;
	if (button == B_DEFAULT_BUTTON)
		fWindow->fDefaultButton->SetLabel(label);
	else
		fWindow->fCancelButton->SetLabel(label);
	fWindow->Unlock();
}


void
BFilePanel::SetHideWhenDone(bool hideWhenDone)
{
	if (!fMessenger.LockTarget())
		return;
	fWindow->fHideWhenDone = hideWhenDone;
	fWindow->Unlock();
}


bool
BFilePanel::HidesWhenDone() const
{
	if (!fMessenger.LockTarget())
		return false;
	bool hides = fWindow->fHideWhenDone;
	fWindow->Unlock();
	return hides;
}


void
BFilePanel::SetSaveText(const char* text)
{
	if (!fMessenger.LockTarget())
		return;
	fWindow->SetName(text);
	fWindow->Unlock();
}


void
BFilePanel::SetPanelDirectory(const char* path)
{
	if (path == NULL || !fMessenger.LockTarget())
		return;
	fWindow->SetDirectory(path);
	fWindow->Unlock();
}


void
BFilePanel::SetPanelDirectory(const entry_ref* directory)
{
	BPath path(directory);
	if (path.InitCheck() == B_OK)
		SetPanelDirectory(path.Path());
}


void
BFilePanel::GetPanelDirectory(entry_ref* directory) const
{
	if (directory == NULL || !fMessenger.LockTarget())
		return;
	get_ref_for_path(fWindow->Directory().c_str(), directory);
	fWindow->Unlock();
}
