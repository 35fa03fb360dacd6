#include <Directory.h>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>

#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"

BDirectory::BDirectory()
	:
	fDir(NULL)
{
}


BDirectory::BDirectory(const char* path)
	:
	fDir(NULL)
{
	SetTo(path);
}


BDirectory::~BDirectory()
{
	Unset();
}


status_t
BDirectory::SetTo(const char* path)
{
	Unset();
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status == B_OK)
		status = BNode::SetTo(full.c_str());
	struct stat info;
	if (status == B_OK && (status = GetStat(&info)) == B_OK
		&& !S_ISDIR(info.st_mode))
		status = B_NOT_A_DIRECTORY;
	if (status != B_OK) {
		Unset();
		_SetDescriptor(-1, status);
		return status;
	}
	// The node's own descriptor stays for its stat, its attributes and
	// Sync; the listing reads a copy of it.
	int copy = fcntl(_Descriptor(), F_DUPFD_CLOEXEC, 0);
	fDir = copy >= 0 ? fdopendir(copy) : NULL;
	if (fDir == NULL) {
		status = BPrivate::StatusFromErrno(errno);
		if (copy >= 0)
			close(copy);
		Unset();
		_SetDescriptor(-1, status);
		return status;
	}
	fPath = full;
	return B_OK;
}


void
BDirectory::Unset()
{
	if (fDir != NULL)
		closedir(fDir);
	fDir = NULL;
	fPath.clear();
	BNode::Unset();
}


status_t
BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fDir == NULL)
		return B_FILE_ERROR;
	while (true) {
		errno = 0;
		struct dirent* next = readdir(fDir);
		if (next == NULL) {
			entry->Unset();
			return errno != 0 ? BPrivate::StatusFromErrno(errno)
				: B_ENTRY_NOT_FOUND;
		}
		if (strcmp(next->d_name, ".") == 0 || strcmp(next->d_name, "..") == 0)
			continue;
		std::string path = fPath == "/" ? "/" + std::string(next->d_name)
			: fPath + "/" + next->d_name;
		return entry->SetTo(path.c_str(), traverse);
	}
}


status_t
BDirectory::Rewind()
{
	if (fDir == NULL)
		return B_FILE_ERROR;
	rewinddir(fDir);
	return B_OK;
}


status_t
create_directory(const char* path, mode_t mode)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status != B_OK) {
		// Its folder is missing too: made first.
		std::string folder;
		std::string leaf;
		BPrivate::SplitEntryPath(path, &folder, &leaf);
		if (status != B_ENTRY_NOT_FOUND || folder == path)
			return status;
		status = create_directory(folder.c_str(), mode);
		if (status == B_OK)
			status = BPrivate::EntryPath(path, &full);
		if (status != B_OK)
			return status;
	}
	if (mkdir(full.c_str(), mode) == 0)
		return B_OK;
	struct stat info;
	if (errno == EEXIST && stat(full.c_str(), &info) == 0
		&& S_ISDIR(info.st_mode))
		return B_OK;
	return BPrivate::StatusFromErrno(errno);
}
