#include <OS.h>

#include <errno.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

bigtime_t
system_time()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}


status_t
snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	struct timespec delay;
	delay.tv_sec = microseconds / 1000000;
	delay.tv_nsec = (microseconds % 1000000) * 1000;
	while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
	}
	return B_OK;
}


thread_id
find_thread(const char* name)
{
	if (name != NULL)
		return B_NAME_NOT_FOUND;
	static thread_local thread_id sSelf = (thread_id)syscall(SYS_gettid);
	return sSelf;
}
