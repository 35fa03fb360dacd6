#include "private/storage/EntryPath.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <StorageDefs.h>

#include "private/storage/BootPaths.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/FolderRegistry.h"

namespace BPrivate {

namespace {

status_t
CheckLengths(const std::string& path)
{
	if (path.size() >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	std::string folder;
	std::string leaf;
	SplitEntryPath(path, &folder, &leaf);
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	return B_OK;
}


status_t
RealPath(const std::string& path, std::string* result)
{
	char* real = realpath(path.c_str(), NULL);
	if (real == NULL)
		return StatusFromErrno(errno);
	*result = real;
	free(real);
	return B_OK;
}

} // namespace


void
SplitEntryPath(const std::string& path, std::string* folder,
	std::string* leaf)
{
	size_t slash = path.rfind('/');
	if (path == "/" || slash == std::string::npos) {
		*folder = path == "/" ? "/" : ".";
		*leaf = path == "/" ? "." : path;
		return;
	}
	*folder = slash == 0 ? "/" : path.substr(0, slash);
	*leaf = path.substr(slash + 1);
}


status_t
EntryPath(const char* path, std::string* result)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	// Refused before anything else, so that a long name is never cut.
	if (strlen(path) >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	std::string text = TranslateBootPath(path);
	while (text.size() > 1 && text.back() == '/')
		text.pop_back();
	if (text[0] != '/') {
		char* cwd = getcwd(NULL, 0);
		if (cwd == NULL)
			return StatusFromErrno(errno);
		text = std::string(cwd) + (strcmp(cwd, "/") == 0 ? "" : "/") + text;
		free(cwd);
	}

	std::string folder;
	std::string leaf;
	SplitEntryPath(text, &folder, &leaf);
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	status_t status;
	if (leaf == "." || leaf == "..") {
		// These name a folder by a relation; the folder itself is meant.
		status = RealPath(text, &text);
		if (status != B_OK)
			return status;
		*result = text;
		return CheckLengths(*result);
	}

	std::string realFolder;
	status = RealPath(folder, &realFolder);
	if (status != B_OK)
		return status;
	struct stat st;
	if (stat(realFolder.c_str(), &st) != 0)
		return StatusFromErrno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;
	*result = realFolder + (realFolder == "/" ? "" : "/") + leaf;
	return CheckLengths(*result);
}


status_t
PathForRef(int32 device, int64 directory, const char* name,
	std::string* result)
{
	if (name == NULL || name[0] == '\0' || strchr(name, '/') != NULL)
		return B_BAD_VALUE;
	if (strlen(name) >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	std::string folder;
	status_t status = FolderPath((dev_t)(uint32)device, (ino_t)directory,
		&folder);
	if (status != B_OK)
		return status;
	if (strcmp(name, ".") == 0)
		*result = folder;
	else if (strcmp(name, "..") == 0)
		return EntryPath((folder + "/..").c_str(), result);
	else
		*result = folder + (folder == "/" ? "" : "/") + name;
	return CheckLengths(*result);
}

} // namespace BPrivate
