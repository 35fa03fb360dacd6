#include <Entry.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "private/ErrnoStatus.h"

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
	if (path == NULL || ref == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (strlen(path) >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	std::string text(path);
	while (text.size() > 1 && text.back() == '/')
		text.pop_back();

	std::string folder;
	std::string leaf;
	size_t slash = text.rfind('/');
	if (text == "/") {
		folder = "/";
		leaf = ".";
	} else if (slash == std::string::npos) {
		folder = ".";
		leaf = text;
	} else {
		folder = slash == 0 ? "/" : text.substr(0, slash);
		leaf = text.substr(slash + 1);
	}
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	struct stat st;
	if (stat(folder.c_str(), &st) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;

	ref->device = (int32)st.st_dev;
	ref->directory = (int64)st.st_ino;
	return ref->set_name(leaf.c_str());
}
