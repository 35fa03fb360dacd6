#include <SymLink.h>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Entry.h>
#include <Path.h>

#include "private/storage/ErrnoStatus.h"

BSymLink::BSymLink()
{
}


BSymLink::BSymLink(const char* path)
{
	SetTo(path);
}


BSymLink::BSymLink(const BEntry* entry)
{
	SetTo(entry);
}


BSymLink::~BSymLink()
{
}


status_t
BSymLink::SetTo(const char* path)
{
	// The link's own node: a path descriptor that is not followed.
	status_t status = _Open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
	struct stat info;
	if (status == B_OK && (fstat(_Descriptor(), &info) != 0
			|| !S_ISLNK(info.st_mode))) {
		_SetDescriptor(-1, B_BAD_VALUE);
		return B_BAD_VALUE;
	}
	return status;
}


status_t
BSymLink::SetTo(const BEntry* entry)
{
	BPath path;
	status_t status = entry == NULL ? B_BAD_VALUE : entry->GetPath(&path);
	if (status != B_OK) {
		Unset();
		_SetDescriptor(-1, status);
		return status;
	}
	return SetTo(path.Path());
}


ssize_t
BSymLink::ReadLink(char* buffer, size_t size)
{
	if (buffer == NULL || size == 0)
		return B_BAD_VALUE;
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	ssize_t length = readlinkat(_Descriptor(), "", buffer, size);
	if (length < 0)
		return BPrivate::StatusFromErrno(errno);
	if ((size_t)length >= size)
		return B_NAME_TOO_LONG;
	buffer[length] = '\0';
	return length;
}


ssize_t
BSymLink::MakeLinkedPath(const char* dirPath, BPath* path)
{
	if (dirPath == NULL || path == NULL)
		return B_BAD_VALUE;
	char link[B_PATH_NAME_LENGTH];
	ssize_t length = ReadLink(link, sizeof(link));
	if (length < 0)
		return length;
	status_t status = link[0] == '/' ? path->SetTo(link)
		: path->SetTo(dirPath, link);
	if (status != B_OK)
		return status;
	return (ssize_t)strlen(path->Path());
}

