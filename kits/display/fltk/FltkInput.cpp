#include "display/fltk/FltkInput.h"

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>
#include <Messenger.h>

namespace BPrivate {

bool
PostToWindow(int32 window, BMessage* message)
{
	// A window's id is its looper's token; -1 for its preferred handler.
	BMessenger messenger;
	messenger._SetTo(window, -1);
	return messenger.SendMessage(message) == B_OK;
}


void
AskApplicationToQuit()
{
	be_app_messenger.SendMessage(B_QUIT_REQUESTED);
}

} // namespace BPrivate
