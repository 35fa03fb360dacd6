#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

typedef int32 thread_id;
typedef int32 team_id;
typedef int32 sem_id;

#define B_OS_NAME_LENGTH 32
#define B_INFINITE_TIMEOUT (9223372036854775807LL)

enum {
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20
};

// Microseconds since an arbitrary fixed point (monotonic).
bigtime_t system_time();
status_t snooze(bigtime_t microseconds);

// With NULL, the calling thread.
thread_id find_thread(const char* name);

// A team is a process launched through the roster together with its
// process group; SIGTERM goes to all of them, and SIGKILL about 2 s later
// to what of them still runs.
status_t kill_team(team_id team);

#endif // _OS_H
