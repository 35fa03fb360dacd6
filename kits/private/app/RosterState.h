#ifndef _KITS_PRIVATE_ROSTER_STATE_H
#define _KITS_PRIVATE_ROSTER_STATE_H

namespace BPrivate {

// No launch under way, and every launched process that has ended reaped
// with its quit notice posted.
bool RosterIsQuiet();

// As the application quits: teams being killed are killed at once, and
// the error streams of those left to finish go on reaching our standard
// error through a relay process of their own.
void ShutDownRoster();

} // namespace BPrivate

#endif
