#ifndef _KITS_PRIVATE_APP_QUIET_H
#define _KITS_PRIVATE_APP_QUIET_H

#include <atomic>

#include <OS.h>

namespace BPrivate {

// The application is quiet when every looper is idle (its queue empty and
// nothing being handled, or its thread parked in a synchronous alert or
// waiting for a lock whose owner is parked), no launch through the roster
// is under way, every launched process that ended has been reaped with its
// quit notice posted, and every registered source is at rest.
//
// Waiters sleep on a count of activity and never wake on a timer: every
// transition that can change the answer (a post, the end of a message, an
// unlock, an alert wait entered or left, a looper's thread ending, a child
// reaped, a launch begun or finished) calls NotifyActivity.

// Another source of work, such as a display's queue of commands. isBusy
// may take the source's own locks; the source calls NotifyActivity after
// every change that may bring it to rest. RemoveQuietSource returns once
// no check of the source is running, so its data may then go; neither may
// be called with a lock that isBusy takes.
void AddQuietSource(bool (*isBusy)(void*), void* data);
void RemoveQuietSource(bool (*isBusy)(void*), void* data);

bool IsQuiet();

// True once the application is quiet with no activity while it looked;
// false at the deadline (in system_time(); B_INFINITE_TIMEOUT for none) or
// once *cancel is true. Whoever sets *cancel calls NotifyActivity.
bool WaitForQuiet(bigtime_t deadline,
	const std::atomic<bool>* cancel = NULL);

void NotifyActivity();
uint64 ActivityCount();
// Blocks until the count differs from seen (true) or until the deadline
// (false).
bool WaitForActivity(uint64 seen, bigtime_t deadline);

} // namespace BPrivate

#endif // _KITS_PRIVATE_APP_QUIET_H
