/*
 * Preloaded into a program under test: read() on the file named by
 * TOLVEX_FAIL_READ_PATH hands out TOLVEX_FAIL_READ_AFTER bytes, then fails
 * with EIO, as a disk going bad part-way through would. Every other read
 * goes through untouched.
 *
 * fsync() and fdatasync() fail with EIO on the file named by
 * TOLVEX_FAIL_FSYNC_PATH, or on every file in it when it ends with '/':
 * data written but never made safe on the disk.
 *
 * On the file named by TOLVEX_KILL_PATH, each ftruncate(), write() and
 * fsync() is a step; the process is SIGKILLed right after step
 * TOLVEX_KILL_AFTER, as a crash in the middle of a save would be, or
 * SIGSTOPped after step TOLVEX_STOP_AFTER, a save caught alive. The
 * TOLVEX_FAIL_WRITE_AT-th write() on the file named by
 * TOLVEX_FAIL_WRITE_PATH fails with EIO, and only that one.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static ssize_t (*sRealRead)(int, void*, size_t);
/* Bytes handed out so far from the file, per descriptor. */
static size_t sGiven[1024];


static int
IsFileOf(int fd, const char* variable)
{
	const char* wanted = getenv(variable);
	if (wanted == NULL || fd < 0 || fd >= 1024)
		return 0;
	char link[64];
	char path[PATH_MAX];
	snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
	ssize_t length = readlink(link, path, sizeof(path) - 1);
	if (length < 0)
		return 0;
	path[length] = '\0';
	size_t wantedLength = strlen(wanted);
	if (wantedLength > 0 && wanted[wantedLength - 1] == '/')
		return strncmp(path, wanted, wantedLength) == 0;
	return strcmp(path, wanted) == 0;
}


static int
IsTheFile(int fd)
{
	return IsFileOf(fd, "TOLVEX_FAIL_READ_PATH");
}


/* One more step on the file to be killed in; dies after the chosen one. */
static void
Step(int fd)
{
	static unsigned long sSteps;
	const char* kill = getenv("TOLVEX_KILL_AFTER");
	const char* stop = getenv("TOLVEX_STOP_AFTER");
	if ((kill == NULL && stop == NULL) || !IsFileOf(fd, "TOLVEX_KILL_PATH"))
		return;
	sSteps++;
	if (kill != NULL && sSteps == strtoul(kill, NULL, 10))
		raise(SIGKILL);
	if (stop != NULL && sSteps == strtoul(stop, NULL, 10))
		raise(SIGSTOP);
}


ssize_t
write(int fd, const void* buffer, size_t size)
{
	static ssize_t (*realWrite)(int, const void*, size_t);
	static unsigned long sWrites;
	if (realWrite == NULL)
		realWrite = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT,
			"write");
	if (IsFileOf(fd, "TOLVEX_FAIL_WRITE_PATH")) {
		const char* at = getenv("TOLVEX_FAIL_WRITE_AT");
		if (at != NULL && ++sWrites == strtoul(at, NULL, 10)) {
			errno = EIO;
			return -1;
		}
	}
	ssize_t written = realWrite(fd, buffer, size);
	Step(fd);
	return written;
}


int
ftruncate(int fd, off_t length)
{
	static int (*realFtruncate)(int, off_t);
	if (realFtruncate == NULL)
		realFtruncate = (int (*)(int, off_t))dlsym(RTLD_NEXT, "ftruncate");
	int result = realFtruncate(fd, length);
	Step(fd);
	return result;
}


int
fsync(int fd)
{
	static int (*realFsync)(int);
	if (realFsync == NULL)
		realFsync = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
	if (IsFileOf(fd, "TOLVEX_FAIL_FSYNC_PATH")) {
		errno = EIO;
		return -1;
	}
	int result = realFsync(fd);
	Step(fd);
	return result;
}


int
fdatasync(int fd)
{
	static int (*realFdatasync)(int);
	if (realFdatasync == NULL)
		realFdatasync = (int (*)(int))dlsym(RTLD_NEXT, "fdatasync");
	if (IsFileOf(fd, "TOLVEX_FAIL_FSYNC_PATH")) {
		errno = EIO;
		return -1;
	}
	return realFdatasync(fd);
}


ssize_t
read(int fd, void* buffer, size_t size)
{
	if (sRealRead == NULL)
		sRealRead = (ssize_t (*)(int, void*, size_t))dlsym(RTLD_NEXT, "read");
	if (!IsTheFile(fd))
		return sRealRead(fd, buffer, size);
	const char* after = getenv("TOLVEX_FAIL_READ_AFTER");
	size_t limit = after != NULL ? (size_t)strtoul(after, NULL, 10) : 0;
	if (sGiven[fd] >= limit) {
		errno = EIO;
		return -1;
	}
	if (size > limit - sGiven[fd])
		size = limit - sGiven[fd];
	ssize_t got = sRealRead(fd, buffer, size);
	if (got > 0)
		sGiven[fd] += (size_t)got;
	return got;
}
