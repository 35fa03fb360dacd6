#include <FilePanel.h>

#include <Button.h>
#include <Message.h>
#include <Path.h>

#include "display/DisplayServer.h"
#include "private/interface/WindowPrivate.h"
#include "private/tracker/PanelWindow.h"

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
	if (!fMessenger.LockTarget())
		return;
	if (fWindow->IsHidden()) {
		// The folder as it is now, not as it was when last shown.
		fWindow->SetDirectory(fWindow->Directory());
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
