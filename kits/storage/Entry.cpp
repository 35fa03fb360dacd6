#include <Entry.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <unistd.h>

#include <string>

#include <Path.h>

#include "private/storage/Attributes.h"
#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/FolderRegistry.h"

namespace {

// A node that loses its last name loses what the fallback store keeps for
// it, so that a node later given the same number does not inherit it.
// Only a node that had one name is taken for gone: another name keeps it.
bool
LastName(const struct stat& info)
{
	return S_ISDIR(info.st_mode) || info.st_nlink <= 1;
}


void
ForgetAttributes(const struct stat& info)
{
	std::string folder = BPrivate::AttributeFallbackFolder(info.st_dev,
		info.st_ino);
	int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW
		| O_CLOEXEC);
	if (fd < 0)
		return;
	DIR* dir = fdopendir(fd);
	if (dir == NULL) {
		close(fd);
		return;
	}
	while (struct dirent* entry = readdir(dir)) {
		if (strcmp(entry->d_name, ".") != 0
			&& strcmp(entry->d_name, "..") != 0)
			unlinkat(fd, entry->d_name, 0);
	}
	closedir(dir);
	rmdir(folder.c_str());
}

} // namespace

entry_ref::entry_ref()
	:
	device(-1),
	directory(-1),
	name(NULL)
{
}


entry_ref::entry_ref(int32 dev, int64 dir, const char* leaf)
	:
	device(dev),
	directory(dir),
	name(NULL)
{
	set_name(leaf);
}


entry_ref::entry_ref(const entry_ref& other)
	:
	device(other.device),
	directory(other.directory),
	name(NULL)
{
	set_name(other.name);
}


entry_ref::~entry_ref()
{
	free(name);
}


status_t
entry_ref::set_name(const char* leaf)
{
	char* copy = NULL;
	if (leaf != NULL) {
		copy = strdup(leaf);
		if (copy == NULL)
			return B_NO_MEMORY;
	}
	free(name);
	name = copy;
	return B_OK;
}


bool
entry_ref::operator==(const entry_ref& other) const
{
	if (device != other.device || directory != other.directory)
		return false;
	if (name == NULL || other.name == NULL)
		return name == other.name;
	return strcmp(name, other.name) == 0;
}


bool
entry_ref::operator!=(const entry_ref& other) const
{
	return !(*this == other);
}


entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	if (this != &other) {
		device = other.device;
		directory = other.directory;
		set_name(other.name);
	}
	return *this;
}


status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status != B_OK)
		return status;

	std::string folder;
	std::string leaf;
	BPrivate::SplitEntryPath(full, &folder, &leaf);
	struct stat st;
	if (stat(folder.c_str(), &st) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;

	// Remembered so that the ref can be turned back into a path.
	BPrivate::RememberFolder(st.st_dev, st.st_ino, folder);
	ref->device = (int32)st.st_dev;
	ref->directory = (int64)st.st_ino;
	return ref->set_name(leaf.c_str());
}


//	#pragma mark - BEntry


BEntry::BEntry()
	:
	fStatus(B_NO_INIT)
{
}


BEntry::BEntry(const char* path, bool traverse)
	:
	fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}


BEntry::BEntry(const entry_ref* ref, bool traverse)
	:
	fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}


status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status != B_OK)
		return fStatus = status;
	return _SetPath(full, traverse);
}


status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	if (ref == NULL)
		return fStatus = B_BAD_VALUE;
	std::string full;
	status_t status = BPrivate::PathForRef(ref->device, ref->directory,
		ref->name, &full);
	if (status != B_OK)
		return fStatus = status;
	return _SetPath(full, traverse);
}


void
BEntry::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}


status_t
BEntry::InitCheck() const
{
	return fStatus;
}


bool
BEntry::Exists() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.c_str(), &st) == 0;
}


bool
BEntry::IsFile() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.c_str(), &st) == 0
		&& S_ISREG(st.st_mode);
}


bool
BEntry::IsDirectory() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.c_str(), &st) == 0
		&& S_ISDIR(st.st_mode);
}


bool
BEntry::IsSymLink() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.c_str(), &st) == 0
		&& S_ISLNK(st.st_mode);
}


status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (fStatus != B_OK)
		return fStatus;
	return get_ref_for_path(fPath.c_str(), ref);
}


status_t
BEntry::GetPath(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return path->SetTo(fPath.c_str());
}


status_t
BEntry::GetParent(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	std::string folder;
	std::string leaf;
	BPrivate::SplitEntryPath(fPath, &folder, &leaf);
	return entry->SetTo(folder.c_str());
}


status_t
BEntry::GetName(char* name) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	std::string folder;
	std::string leaf;
	BPrivate::SplitEntryPath(fPath, &folder, &leaf);
	if (fPath == "/")
		leaf = "/";
	// EntryPath keeps every leaf shorter than this.
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	memcpy(name, leaf.c_str(), leaf.size() + 1);
	return B_OK;
}


status_t
BEntry::GetStat(struct stat* stat) const
{
	if (stat == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (lstat(fPath.c_str(), stat) != 0)
		return BPrivate::StatusFromErrno(errno);
	return B_OK;
}


status_t
BEntry::set_stat(struct stat& stat, uint32 what)
{
	if (fStatus != B_OK)
		return fStatus;
	int result;
	if (what == BStatable::B_STAT_OWNER)
		result = lchown(fPath.c_str(), stat.st_uid, (gid_t)-1);
	else if (what == BStatable::B_STAT_GROUP)
		result = lchown(fPath.c_str(), (uid_t)-1, stat.st_gid);
	else if (what == BStatable::B_STAT_PERMISSIONS) {
		// Linux gives a link no permissions of its own.
		if (IsSymLink())
			return B_NOT_ALLOWED;
		result = chmod(fPath.c_str(), stat.st_mode & 07777);
	} else
		return B_BAD_VALUE;
	return result == 0 ? B_OK : BPrivate::StatusFromErrno(errno);
}


status_t
BEntry::Remove()
{
	if (fStatus != B_OK)
		return fStatus;
	struct stat info;
	bool known = lstat(fPath.c_str(), &info) == 0;
	int result = IsDirectory() ? rmdir(fPath.c_str()) : unlink(fPath.c_str());
	if (result != 0)
		return BPrivate::StatusFromErrno(errno);
	if (known && LastName(info))
		ForgetAttributes(info);
	return B_OK;
}


status_t
BEntry::Rename(const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	std::string target = path;
	if (path[0] != '/') {
		size_t slash = fPath.rfind('/');
		target = (slash == 0 ? std::string("/") : fPath.substr(0, slash + 1))
			+ path;
	}
	if (target.size() >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	struct stat st;
	bool exists = lstat(target.c_str(), &st) == 0;
	if (!clobber && exists)
		return B_FILE_EXISTS;
	// The file renamed over goes, unless it is this one under another name.
	struct stat source;
	bool replaces = exists && LastName(st)
		&& lstat(fPath.c_str(), &source) == 0
		&& (source.st_dev != st.st_dev || source.st_ino != st.st_ino);
	if (rename(fPath.c_str(), target.c_str()) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (replaces)
		ForgetAttributes(st);
	return _SetPath(target, false);
}


status_t
BEntry::_SetPath(const std::string& path, bool traverse)
{
	std::string full = path;
	struct stat st;
	if (traverse && lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
		char* real = realpath(full.c_str(), NULL);
		if (real == NULL) {
			// A link that leads nowhere cannot be traversed.
			return fStatus = errno == ENOENT
				? B_ENTRY_NOT_FOUND : BPrivate::StatusFromErrno(errno);
		}
		full = real;
		free(real);
		if (full.size() >= B_PATH_NAME_LENGTH)
			return fStatus = B_NAME_TOO_LONG;
	}
	fPath = full;
	return fStatus = B_OK;
}
