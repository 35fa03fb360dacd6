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
#include <set>
#include <vector>

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


// The path with its links resolved as far as it exists, the rest as
// given: a home reached through a link is still the user's home.
std::string
Resolved(const std::string& path)
{
	std::string existing = path;
	std::string rest;
	while (!existing.empty()) {
		char resolved[PATH_MAX];
		if (realpath(existing.c_str(), resolved) != NULL) {
			std::string head = strcmp(resolved, "/") == 0 ? "" : resolved;
			return head + rest;
		}
		size_t slash = existing.rfind('/');
		if (slash == std::string::npos)
			return path;
		rest = existing.substr(slash) + rest;
		existing.erase(slash);
	}
	return rest;
}


// Above the folder a store starts from, nobody else may rename what lies
// below: each folder is root's or the user's, and one that others may
// write in is sticky (/tmp). From that folder down, everything is the
// user's own (or, for the administrator's files, root's) and writable by
// nobody else.
bool
Trusted(const struct stat& info, bool above, bool rootMayOwn)
{
	uid_t user = geteuid();
	bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
	if (above) {
		return (info.st_uid == 0 || info.st_uid == user)
			&& (!othersWrite || (info.st_mode & S_ISVTX) != 0);
	}
	return (info.st_uid == user || (rootMayOwn && info.st_uid == 0))
		&& !othersWrite;
}


// Opens base + rest, walking from "/" one folder at a time without
// following a link, so that what was checked is what gets opened. Missing
// folders are made (0700) only when creating, and only inside a folder
// already found trustworthy. B_NOT_ALLOWED names the culprit in refused.
status_t
OpenTrusted(const std::string& base, const std::string& rest, bool create,
	bool rootMayOwn, int* result, std::string* refused)
{
	std::string resolvedBase = Resolved(base);
	std::vector<std::string> parts;
	size_t baseParts = 0;
	std::string full = resolvedBase + rest;
	for (size_t start = 0; start < full.size();) {
		size_t end = full.find('/', start);
		if (end == std::string::npos)
			end = full.size();
		if (end > start)
			parts.push_back(full.substr(start, end - start));
		if (end >= resolvedBase.size() && baseParts == 0)
			baseParts = parts.size();
		start = end + 1;
	}
	if (resolvedBase.empty() || resolvedBase[0] != '/' || parts.empty())
		return B_BAD_VALUE;
	for (const std::string& part : parts) {
		if (part == "." || part == "..")
			return B_BAD_VALUE;
	}

	int folder = open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (folder < 0)
		return StatusFromErrno(errno);
	struct stat info;
	std::string walked;
	if (fstat(folder, &info) != 0 || !Trusted(info, true, rootMayOwn)) {
		close(folder);
		*refused = "/";
		return B_NOT_ALLOWED;
	}
	for (size_t i = 0; i + 1 < parts.size(); i++) {
		const char* name = parts[i].c_str();
		walked += "/" + parts[i];
		int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
		int next = openat(folder, name, flags);
		if (next < 0 && errno == ENOENT && create) {
			if (mkdirat(folder, name, 0700) == 0 || errno == EEXIST)
				next = openat(folder, name, flags);
		}
		int error = errno;
		close(folder);
		if (next < 0) {
			if (error == ELOOP || error == ENOTDIR) {
				*refused = walked;
				return B_NOT_ALLOWED;
			}
			return StatusFromErrno(error);
		}
		folder = next;
		if (fstat(folder, &info) != 0
			|| !Trusted(info, i + 1 < baseParts, rootMayOwn)) {
			close(folder);
			*refused = walked;
			return B_NOT_ALLOWED;
		}
	}

	// A link or a FIFO in the file's place is neither followed nor waited
	// on.
	int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
	if (create)
		flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY
			| O_CLOEXEC;
	int fd = openat(folder, parts.back().c_str(), flags, 0600);
	int error = errno;
	close(folder);
	if (fd < 0) {
		return error == ELOOP || error == EISDIR
			? B_BAD_DATA : StatusFromErrno(error);
	}
	if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
		close(fd);
		return B_BAD_DATA;
	}
	if (!Trusted(info, false, rootMayOwn)) {
		close(fd);
		*refused = full;
		return B_NOT_ALLOWED;
	}
	*result = fd;
	return B_OK;
}


// One line for each store ignored, however often it is asked for.
void
ReportIgnored(const std::string& store, const std::string& culprit)
{
	static std::mutex sLock;
	static std::set<std::string> sReported;
	std::lock_guard<std::mutex> lock(sLock);
	if (!sReported.insert(store).second)
		return;
	fprintf(stderr, "%s: impostazioni in %s ignorate: %s non è vostro o "
		"altri possono scriverci.\n", program_invocation_short_name,
		store.c_str(), culprit.c_str());
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
		|| nodePath != ExecutablePath())
		return;
	if (!IsInPackageTree(nodePath)
		&& UserMayKeepAttributesOn(nodeFd, procPath))
		return;
	fExecutablePath = nodePath;
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
	if (fFd >= 0)
		return B_OK;
	int fd = -1;
	std::string refused;
	status_t status = OpenTrusted(ConfigFolder(),
		kStoreFolder + fExecutablePath, create, false, &fd, &refused);
	if (status == B_NOT_ALLOWED)
		ReportIgnored(fPath, refused);
	if (status != B_OK)
		return status;
	struct stat info;
	if (create && fstat(fd, &info) == 0 && info.st_size == 0) {
		// At offset 0, so that two starts writing it at once agree.
		ssize_t written = pwrite(fd, kStoreNote, strlen(kStoreNote), 0);
		(void)written;
	}
	fFd = fd;
	return B_OK;
}


std::vector<int>
UserAttributeStore::OpenMachineDefaults() const
{
	std::vector<int> files;
	if (fPath.empty())
		return files;
	for (const std::string& folder : ConfigDirectories()) {
		int fd = -1;
		std::string refused;
		status_t status = OpenTrusted(folder, kStoreFolder + fExecutablePath,
			false, true, &fd, &refused);
		if (status == B_OK)
			files.push_back(fd);
		else if (status == B_NOT_ALLOWED)
			ReportIgnored(folder + kStoreFolder + fExecutablePath, refused);
	}
	return files;
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


// /usr is the distribution's, written by its package manager alone (even
// root's changes there are lost at the next upgrade); /usr/local is the
// administrator's own, like a home install.
bool
UserAttributeStore::IsInPackageTree(const std::string& path)
{
	return path.compare(0, 5, "/usr/") == 0
		&& path.compare(0, 11, "/usr/local/") != 0;
}


void
UserAttributeStore::SetExecutableForTests(const char* path)
{
	std::lock_guard<std::mutex> lock(sTestExecutableLock);
	sTestExecutable = path != NULL ? path : "";
}

} // namespace BPrivate
