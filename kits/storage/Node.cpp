#include <Node.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "private/storage/Attributes.h"
#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"

BNode::BNode()
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fLocked(false),
	fAttrIndex(0),
	fAttrsRead(false)
{
}


BNode::BNode(const char* path)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fLocked(false),
	fAttrIndex(0),
	fAttrsRead(false)
{
	SetTo(path);
}


BNode::BNode(const entry_ref* ref)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fLocked(false),
	fAttrIndex(0),
	fAttrsRead(false)
{
	SetTo(ref);
}


BNode::~BNode()
{
	Unset();
}


status_t
BNode::SetTo(const char* path)
{
	// Non-blocking, so that a FIFO does not hang the open.
	return _Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}


status_t
BNode::SetTo(const entry_ref* ref)
{
	std::string full;
	status_t status = _PathForRef(ref, &full);
	if (status != B_OK)
		return status;
	return SetTo(full.c_str());
}


status_t
BNode::_PathForRef(const entry_ref* ref, std::string* path)
{
	Unset();
	status_t status = ref == NULL ? B_BAD_VALUE
		: BPrivate::PathForRef(ref->device, ref->directory, ref->name, path);
	if (status != B_OK)
		_SetDescriptor(-1, status);
	return status;
}


void
BNode::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fStatus = B_NO_INIT;
	fLocked = false;
	RewindAttrs();
}


status_t
BNode::InitCheck() const
{
	return fStatus;
}


ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset,
	void* buffer, size_t size)
{
	// As on BeOS, the type asked for is not checked against the stored one.
	if (fFd < 0)
		return B_FILE_ERROR;
	if (offset < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	std::string data;
	uint64 wanted = (uint64)offset + size;
	status_t status = BPrivate::GetAttribute(fFd, name, NULL, &data,
		wanted < BPrivate::kMaxAttributeSize
			? (size_t)wanted : BPrivate::kMaxAttributeSize);
	if (status != B_OK)
		return status;
	if ((uint64)offset >= data.size())
		return 0;
	size_t count = data.size() - (size_t)offset;
	if (count > size)
		count = size;
	if (count > (size_t)SSIZE_MAX)
		count = SSIZE_MAX;
	memcpy(buffer, data.data() + offset, count);
	return (ssize_t)count;
}


ssize_t
BNode::WriteAttr(const char* name, type_code type, off_t offset,
	const void* buffer, size_t size)
{
	if (fFd < 0)
		return B_FILE_ERROR;
	if (size > (size_t)SSIZE_MAX)
		return B_BAD_VALUE;
	status_t status = BPrivate::WriteAttribute(fFd, name, type, offset,
		buffer, size);
	if (status != B_OK)
		return status;
	return (ssize_t)size;
}


status_t
BNode::RemoveAttr(const char* name)
{
	if (fFd < 0)
		return B_FILE_ERROR;
	return BPrivate::RemoveAttribute(fFd, name);
}


status_t
BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fFd < 0)
		return B_FILE_ERROR;
	if (info == NULL)
		return B_BAD_VALUE;
	type_code type;
	std::string data;
	status_t status = BPrivate::GetAttribute(fFd, name, &type, &data);
	if (status != B_OK)
		return status;
	info->type = type;
	info->size = (off_t)data.size();
	return B_OK;
}


status_t
BNode::_Open(const char* path, int flags)
{
	Unset();
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status != B_OK) {
		_SetDescriptor(-1, status);
		return status;
	}
	int fd = open(full.c_str(), flags);
	_SetDescriptor(fd, fd < 0 ? BPrivate::StatusFromErrno(errno) : B_OK);
	return fStatus;
}


void
BNode::_SetDescriptor(int fd, status_t status)
{
	if (fFd >= 0 && fFd != fd)
		close(fFd);
	fFd = fd;
	fStatus = status;
	fLocked = false;
	RewindAttrs();
}


status_t
BNode::Sync()
{
	if (fStatus != B_OK)
		return fStatus;
	if (fsync(fFd) != 0)
		return BPrivate::StatusFromErrno(errno);
	return B_OK;
}


status_t
BNode::GetStat(struct stat* stat) const
{
	if (stat == NULL)
		return B_BAD_VALUE;
	if (fFd < 0)
		return B_NO_INIT;
	if (fstat(fFd, stat) != 0)
		return BPrivate::StatusFromErrno(errno);
	return B_OK;
}


status_t
BNode::set_stat(struct stat& stat, uint32 what)
{
	if (fFd < 0)
		return B_NO_INIT;
	int result = 0;
	if (what == BStatable::B_STAT_OWNER)
		result = fchown(fFd, stat.st_uid, (gid_t)-1);
	else if (what == BStatable::B_STAT_GROUP)
		result = fchown(fFd, (uid_t)-1, stat.st_gid);
	else if (what == BStatable::B_STAT_PERMISSIONS)
		result = fchmod(fFd, stat.st_mode & 07777);
	else
		return B_BAD_VALUE;
	return result == 0 ? B_OK : BPrivate::StatusFromErrno(errno);
}


// An open-file-description lock: it belongs to this BNode's descriptor,
// so a second BNode on the same file, in this process or another, is
// refused as on BeOS, and a process that dies lets it go.
status_t
BNode::Lock()
{
	if (fFd < 0)
		return B_FILE_ERROR;
	if (fLocked)
		return B_BUSY;
	while (flock(fFd, LOCK_EX | LOCK_NB) != 0) {
		if (errno == EINTR)
			continue;
		return errno == EWOULDBLOCK ? B_BUSY
			: BPrivate::StatusFromErrno(errno);
	}
	fLocked = true;
	return B_OK;
}


status_t
BNode::Unlock()
{
	if (fFd < 0)
		return B_FILE_ERROR;
	if (!fLocked)
		return B_BAD_VALUE;
	if (flock(fFd, LOCK_UN) != 0)
		return BPrivate::StatusFromErrno(errno);
	fLocked = false;
	return B_OK;
}


status_t
BNode::GetNextAttrName(char* buffer)
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fFd < 0)
		return B_FILE_ERROR;
	if (!fAttrsRead) {
		status_t status = BPrivate::ListAttributes(fFd, &fAttrNames);
		if (status != B_OK)
			return status;
		fAttrsRead = true;
		fAttrIndex = 0;
	}
	// A name too long for the caller's buffer is passed over, never cut.
	while (fAttrIndex < fAttrNames.size()
		&& fAttrNames[fAttrIndex].size() >= B_ATTR_NAME_LENGTH)
		fAttrIndex++;
	if (fAttrIndex >= fAttrNames.size())
		return B_ENTRY_NOT_FOUND;
	const std::string& name = fAttrNames[fAttrIndex++];
	memcpy(buffer, name.c_str(), name.size() + 1);
	return B_OK;
}


status_t
BNode::RewindAttrs()
{
	fAttrNames.clear();
	fAttrIndex = 0;
	fAttrsRead = false;
	return fFd < 0 ? B_FILE_ERROR : B_OK;
}
