#include "display/MirrorInput.h"

#include <Message.h>
#include <Messenger.h>

#include "display/DisplayMirror.h"
#include "display/DisplayProtocol.h"
#include "private/app/MessengerPrivate.h"

namespace BPrivate {

MirrorInput::MirrorInput(DisplayMirror& mirror)
	:
	fMirror(mirror)
{
}


std::vector<MirrorWindow*>
MirrorInput::Reachable(MirrorWindow** blocker) const
{
	std::vector<MirrorWindow*> shown;
	if (blocker != NULL)
		*blocker = NULL;
	for (int32 id : fMirror.FrontToBack()) {
		MirrorWindow* window = fMirror.FindWindow(id);
		if (window == NULL)
			continue;
		if (window->isAlert || window->IsModal()) {
			if (blocker != NULL)
				*blocker = window;
			return std::vector<MirrorWindow*>(1, window);
		}
		shown.push_back(window);
	}
	return shown;
}


bool
MirrorInput::CanReach(int32 window) const
{
	for (MirrorWindow* reachable : Reachable()) {
		if (reachable->id == window)
			return true;
	}
	return false;
}


bool
MirrorInput::CanBeDisabled(int32 kind)
{
	return kind == B_DISPLAY_BUTTON || kind == B_DISPLAY_CHECK_BOX
		|| kind == B_DISPLAY_TEXT_CONTROL || kind == B_DISPLAY_TEXT_VIEW
		|| kind == B_DISPLAY_MENU_FIELD;
}


bool
MirrorInput::IsUsable(const MirrorWindow& window, const MirrorView& view)
{
	if (!window.shown || window.IsHidden(view.id))
		return false;
	return view.enabled || !CanBeDisabled(view.kind);
}


bool
MirrorInput::Post(int32 window, BMessage* input)
{
	// A window's id is its looper's token; -1 for its preferred handler.
	BMessenger messenger;
	BMessenger::Private(&messenger).SetTo(window, -1);
	return messenger.SendMessage(input) == B_OK;
}

} // namespace BPrivate
