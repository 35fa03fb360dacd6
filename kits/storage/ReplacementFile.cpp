#include <ReplacementFile.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "private/storage/Attributes.h"
#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"

namespace {

// The new contents, and a copy of the old ones kept while a file with
// other links is rewritten in place. Short names, so that any name the
// file system takes can be saved beside them.
const char* kNewMarker = ".~save-";
const char* kKeptMarker = ".~keep-";
// Links followed before a path is taken for a loop.
const int kMaxLinks = 40;


// "<marker><pid>-<hex>" of a process that no longer runs: what a save
// killed half-way left behind.
bool
IsLeftover(const char* name, const char* marker)
{
	size_t markerLength = strlen(marker);
	if (strncmp(name, marker, markerLength) != 0)
		return false;
	const char* digits = name + markerLength;
	char* end;
	errno = 0;
	long pid = strtol(digits, &end, 10);
	if (end == digits || *end != '-' || errno != 0 || pid <= 0
		|| pid > 0x7fffffff || end[1] == '\0'
		|| strspn(end + 1, "0123456789abcdef") != strlen(end + 1))
		return false;
	return kill((pid_t)pid, 0) != 0 && errno == ESRCH;
}


void
RemoveLeftovers(const std::string& folder)
{
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return;
	int dirFd = dirfd(dir);
	while (struct dirent* entry = readdir(dir)) {
		if (IsLeftover(entry->d_name, kNewMarker)
			|| IsLeftover(entry->d_name, kKeptMarker))
			unlinkat(dirFd, entry->d_name, 0);
	}
	closedir(dir);
}


// The whole of one file's data into another, which is cut to its length
// and flushed to the disk.
status_t
CopyData(int from, int to)
{
	if (lseek(from, 0, SEEK_SET) < 0 || lseek(to, 0, SEEK_SET) < 0)
		return BPrivate::StatusFromErrno(errno);
	char buffer[64 * 1024];
	off_t total = 0;
	while (true) {
		ssize_t got = read(from, buffer, sizeof(buffer));
		if (got < 0) {
			if (errno == EINTR)
				continue;
			return BPrivate::StatusFromErrno(errno);
		}
		if (got == 0)
			break;
		ssize_t done = 0;
		while (done < got) {
			ssize_t written = write(to, buffer + done, got - done);
			if (written < 0) {
				if (errno == EINTR)
					continue;
				return BPrivate::StatusFromErrno(errno);
			}
			done += written;
		}
		total += got;
	}
	if (ftruncate(to, total) != 0 || fsync(to) != 0)
		return BPrivate::StatusFromErrno(errno);
	return B_OK;
}


// A name no other save uses: the marker, this process and a random number.
std::string
UniqueName(const char* marker)
{
	uint64 random = 0;
	if (getrandom(&random, sizeof(random), 0) != sizeof(random))
		random ^= ((uint64)rand() << 32) ^ (uint64)rand();
	char name[64];
	snprintf(name, sizeof(name), "%s%d-%llx", marker, (int)getpid(),
		(unsigned long long)random);
	return name;
}


void
SyncFolder(const std::string& folder)
{
	int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0) {
		fsync(fd);
		close(fd);
	}
}


std::string
FolderOf(const std::string& path)
{
	std::string folder;
	std::string leaf;
	BPrivate::SplitEntryPath(path, &folder, &leaf);
	return folder;
}

} // namespace


BReplacementFile::BReplacementFile()
	:
	fExisted(false)
{
}


BReplacementFile::~BReplacementFile()
{
	Unset();
}


status_t
BReplacementFile::SetTo(const char* path)
{
	Unset();
	if (path == NULL)
		return B_BAD_VALUE;

	// The file the path finally leads to: a link's target is replaced, and
	// a dangling link has its target created.
	std::string target;
	status_t status = BPrivate::EntryPath(path, &target);
	struct stat info;
	bool exists = false;
	for (int links = 0; status == B_OK; links++) {
		if (lstat(target.c_str(), &info) != 0) {
			if (errno != ENOENT)
				status = BPrivate::StatusFromErrno(errno);
			break;
		}
		if (!S_ISLNK(info.st_mode)) {
			exists = true;
			break;
		}
		if (links == kMaxLinks) {
			status = B_LINK_LIMIT;
			break;
		}
		char link[B_PATH_NAME_LENGTH + 1];
		ssize_t length = readlink(target.c_str(), link, sizeof(link));
		if (length < 0 || (size_t)length >= sizeof(link)) {
			status = length < 0 ? BPrivate::StatusFromErrno(errno)
				: B_NAME_TOO_LONG;
			break;
		}
		link[length] = '\0';
		std::string next = link[0] == '/' ? std::string(link)
			: FolderOf(target) + "/" + link;
		status = BPrivate::EntryPath(next.c_str(), &target);
	}
	if (status != B_OK)
		return status;

	if (exists) {
		if (!S_ISREG(info.st_mode))
			return S_ISDIR(info.st_mode) ? B_IS_A_DIRECTORY : B_NOT_ALLOWED;
		// The old file must be one the user may write: the new one only
		// takes its place.
		int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
		if (fd < 0)
			return BPrivate::StatusFromErrno(errno);
		close(fd);
	}

	std::string folder = FolderOf(target);
	RemoveLeftovers(folder);
	status = _Create(folder, kNewMarker, B_READ_WRITE, &fTemporary);
	if (status != B_OK)
		return status;
	// The old file's permissions are given at Commit; until then nobody
	// else reads the new contents.
	if (exists)
		fchmod(_Descriptor(), 0600);
	fTarget = target;
	fExisted = exists;
	return B_OK;
}


status_t
BReplacementFile::Commit()
{
	if (InitCheck() != B_OK || fTemporary.empty())
		return B_NO_INIT;
	status_t status = Sync();
	if (status != B_OK) {
		Unset();
		return status;
	}

	if (!fExisted) {
		if (rename(fTemporary.c_str(), fTarget.c_str()) != 0) {
			status = BPrivate::StatusFromErrno(errno);
			Unset();
			return status;
		}
		fTemporary.clear();
		SyncFolder(FolderOf(fTarget));
		Unset();
		return B_OK;
	}

	int oldFile = open(fTarget.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
	if (oldFile < 0) {
		status = BPrivate::StatusFromErrno(errno);
		Unset();
		return status;
	}
	bool renamed = false;
	status = _Rename(oldFile, &renamed);
	if (status == B_OK && !renamed)
		status = _RewriteInPlace(oldFile);
	close(oldFile);
	Unset();
	return status;
}


void
BReplacementFile::Unset()
{
	BFile::Unset();
	if (!fTemporary.empty())
		unlink(fTemporary.c_str());
	fTemporary.clear();
	fTarget.clear();
	fExisted = false;
}


// A file of a new name beside the old one; names are tried until one is
// free, whatever else the folder holds.
status_t
BReplacementFile::_Create(const std::string& folder, const char* marker,
	int mode, std::string* path)
{
	while (true) {
		*path = folder + "/" + UniqueName(marker);
		status_t status = BFile::SetTo(path->c_str(),
			mode | B_CREATE_FILE | B_FAIL_IF_EXISTS);
		if (status != B_FILE_EXISTS) {
			if (status != B_OK)
				path->clear();
			return status;
		}
	}
}


// The new file takes the old one's name, once it carries everything the
// old one had. Where it cannot (another link, an owner or group this
// process may not give, attributes that do not copy) renamed stays false
// and nothing has changed.
status_t
BReplacementFile::_Rename(int oldFile, bool* renamed)
{
	*renamed = false;
	int newFile = _Descriptor();
	struct stat oldInfo;
	struct stat newInfo;
	if (fstat(oldFile, &oldInfo) != 0 || fstat(newFile, &newInfo) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (oldInfo.st_nlink > 1)
		return B_OK;
	if ((oldInfo.st_uid != newInfo.st_uid || oldInfo.st_gid != newInfo.st_gid)
		&& fchown(newFile, oldInfo.st_uid, oldInfo.st_gid) != 0)
		return B_OK;
	if (BPrivate::CopyAttributes(oldFile, newFile, true) != B_OK)
		return B_OK;
	// After the owner: a change of owner clears the set-id bits.
	if (fchmod(newFile, oldInfo.st_mode & 07777) != 0)
		return B_OK;
	if (rename(fTemporary.c_str(), fTarget.c_str()) != 0)
		return BPrivate::StatusFromErrno(errno);
	fTemporary.clear();
	*renamed = true;
	SyncFolder(FolderOf(fTarget));
	// The old node is gone: what the attribute store kept for it too.
	struct stat gone;
	if (fstat(oldFile, &gone) == 0 && gone.st_nlink == 0)
		BPrivate::RemoveFallbackAttributes(oldFile);
	return B_OK;
}


// The old file keeps its node, and so its links, owner and permissions:
// the new contents are written into it. A copy of the old contents is on
// the disk first, and is written back if the rewrite fails.
status_t
BReplacementFile::_RewriteInPlace(int oldFile)
{
	std::string keptPath;
	int kept = -1;
	while (kept < 0) {
		keptPath = FolderOf(fTarget) + "/" + UniqueName(kKeptMarker);
		kept = open(keptPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
			0600);
		if (kept < 0 && errno != EEXIST)
			return BPrivate::StatusFromErrno(errno);
	}
	status_t status = CopyData(oldFile, kept);
	if (status == B_OK) {
		status = CopyData(_Descriptor(), oldFile);
		if (status != B_OK)
			CopyData(kept, oldFile);
	}
	close(kept);
	unlink(keptPath.c_str());
	// Ours, as written on the new file, replace the old file's.
	if (status == B_OK)
		BPrivate::CopyAttributes(_Descriptor(), oldFile, false);
	return status;
}
