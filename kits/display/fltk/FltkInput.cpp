#include "display/fltk/FltkInput.h"

#include "private/interface/OutsideQuit.h"

namespace BPrivate {

void
AskApplicationToQuit()
{
	// Alerts showing are dismissed: nobody is there to answer them.
	QuitFromOutside();
}

} // namespace BPrivate
