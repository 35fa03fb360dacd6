#include "private/storage/UserAttributeStore.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "private/storage/BootPaths.h"
#include "private/storage/ErrnoStatus.h"

namespace BPrivate {

namespace {

const char* kStoreFolder = "/beos_app_attributes";
// What a user who finds the file reads; the settings are its attributes.
const char* kStoreNote = "Attributes of the executable named by this file's"
	" path, kept for this user (getfattr -d shows them).\n";
const char* kDeleted = " (deleted)";

std::mutex sTestExecutableLock;
std::string sTestExecutable;


std::string
ReadLink(const char* path)
{
	char buffer[PATH_MAX];
	ssize_t length = readlink(path, buffer, sizeof(buffer));
	if (length <= 0 || (size_t)length >= sizeof(buffer))
		return std::string();
	return std::string(buffer, length);
}


// The path the program was started from, also once an upgrade has
// replaced the file there: the new file at that path is the executable.
std::string
ExecutablePath()
{
	{
		std::lock_guard<std::mutex> lock(sTestExecutableLock);
		if (!sTestExecutable.empty())
			return sTestExecutable;
	}
	std::string path = ReadLink("/proc/self/exe");
	size_t tail = strlen(kDeleted);
	if (path.size() > tail
		&& path.compare(path.size() - tail, tail, kDeleted) == 0)
		path.erase(path.size() - tail);
	return path;
}


// Whether this user may keep attributes on the node itself: it must be
// theirs and writable (a read-only volume answers EROFS, root included).
// Anything else is shared.
bool
UserMayKeepAttributesOn(int fd, const char* procPath)
{
	struct stat info;
	if (fstat(fd, &info) != 0 || info.st_uid != geteuid())
		return false;
	return faccessat(AT_FDCWD, procPath, W_OK, AT_EACCESS) == 0;
}

} // namespace


UserAttributeStore::UserAttributeStore(int nodeFd)
	:
	fFd(-1)
{
	if (nodeFd < 0)
		return;
	char procPath[64];
	snprintf(procPath, sizeof(procPath), "/proc/self/fd/%d", nodeFd);
	std::string nodePath = ReadLink(procPath);
	if (nodePath.empty() || nodePath[0] != '/'
		|| nodePath != ExecutablePath()
		|| UserMayKeepAttributesOn(nodeFd, procPath))
		return;
	fPath = ConfigFolder() + kStoreFolder + nodePath;
}


UserAttributeStore::~UserAttributeStore()
{
	if (fFd >= 0)
		close(fFd);
}


status_t
UserAttributeStore::Open(bool create)
{
	if (fPath.empty())
		return B_NO_INIT;
	if (create) {
		status_t status = CreateFolders(fPath.substr(0, fPath.rfind('/')));
		if (status != B_OK)
			return status;
	}
	// The user's own folder, but a link or a FIFO in the file's place is
	// neither followed nor waited on.
	int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
	if (create)
		flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY
			| O_CLOEXEC;
	int fd = open(fPath.c_str(), flags, 0600);
	if (fd < 0) {
		return errno == ELOOP || errno == EISDIR
			? B_BAD_DATA : StatusFromErrno(errno);
	}
	struct stat info;
	if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
		close(fd);
		return B_BAD_DATA;
	}
	if (create && info.st_size == 0) {
		// At offset 0, so that two starts writing it at once agree.
		ssize_t written = pwrite(fd, kStoreNote, strlen(kStoreNote), 0);
		(void)written;
	}
	fFd = fd;
	return B_OK;
}


bool
UserAttributeStore::IsExecutable(const char* path)
{
	if (path == NULL)
		return false;
	char resolved[PATH_MAX];
	if (realpath(path, resolved) == NULL)
		return false;
	return ExecutablePath() == resolved;
}


void
UserAttributeStore::SetExecutableForTests(const char* path)
{
	std::lock_guard<std::mutex> lock(sTestExecutableLock);
	sTestExecutable = path != NULL ? path : "";
}

} // namespace BPrivate
