#ifndef _KITS_PRIVATE_ROSTER_STATE_H
#define _KITS_PRIVATE_ROSTER_STATE_H

namespace BPrivate {

// No launch under way, and every launched process that has ended reaped
// with its quit notice posted.
bool RosterIsQuiet();

} // namespace BPrivate

#endif
