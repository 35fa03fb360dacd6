#ifndef _KITS_PRIVATE_INTERFACE_OUTSIDE_QUIT_H
#define _KITS_PRIVATE_INTERFACE_OUTSIDE_QUIT_H

namespace BPrivate {

// A quit request from outside the program (a signal, the end of a script,
// the display gone): alerts showing are closed without an answer (Go
// returns -1), alerts shown later return -1 at once, and the application
// is asked to quit the normal way, so that nothing waits for a user who
// is not there.
void QuitFromOutside();
bool IsQuittingFromOutside();

} // namespace BPrivate

#endif
