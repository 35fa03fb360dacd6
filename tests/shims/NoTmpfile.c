/*
 * Preloaded into a program under test: opening with O_TMPFILE fails with
 * EOPNOTSUPP, as on file systems without unnamed files (FUSE mounts, some
 * network file systems). Every other open goes through untouched.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stddef.h>
#include <sys/types.h>

typedef int (*OpenFunction)(const char*, int, ...);
typedef int (*OpenAtFunction)(int, const char*, int, ...);


static int
Refused(int flags)
{
	if ((flags & O_TMPFILE) != O_TMPFILE)
		return 0;
	errno = EOPNOTSUPP;
	return 1;
}


static mode_t
ModeOf(int flags, va_list arguments)
{
	if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE)
		return (mode_t)va_arg(arguments, int);
	return 0;
}


#define OPEN_SHIM(name) \
int \
name(const char* path, int flags, ...) \
{ \
	static OpenFunction sReal; \
	va_list arguments; \
	va_start(arguments, flags); \
	mode_t mode = ModeOf(flags, arguments); \
	va_end(arguments); \
	if (Refused(flags)) \
		return -1; \
	if (sReal == NULL) \
		sReal = (OpenFunction)dlsym(RTLD_NEXT, #name); \
	return sReal(path, flags, mode); \
}

#define OPENAT_SHIM(name) \
int \
name(int folder, const char* path, int flags, ...) \
{ \
	static OpenAtFunction sReal; \
	va_list arguments; \
	va_start(arguments, flags); \
	mode_t mode = ModeOf(flags, arguments); \
	va_end(arguments); \
	if (Refused(flags)) \
		return -1; \
	if (sReal == NULL) \
		sReal = (OpenAtFunction)dlsym(RTLD_NEXT, #name); \
	return sReal(folder, path, flags, mode); \
}

OPEN_SHIM(open)
OPEN_SHIM(open64)
OPENAT_SHIM(openat)
OPENAT_SHIM(openat64)
