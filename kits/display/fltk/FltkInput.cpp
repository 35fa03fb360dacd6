#include "display/fltk/FltkInput.h"

#include <Message.h>
#include <Messenger.h>

#include "private/app/MessengerPrivate.h"
#include "private/interface/OutsideQuit.h"

namespace BPrivate {

bool
PostToWindow(int32 window, BMessage* message)
{
	// A window's id is its looper's token; -1 for its preferred handler.
	BMessenger messenger;
	BMessenger::Private(&messenger).SetTo(window, -1);
	return messenger.SendMessage(message) == B_OK;
}


void
AskApplicationToQuit()
{
	// Alerts showing are dismissed: nobody is there to answer them.
	QuitFromOutside();
}

} // namespace BPrivate
