#include <File.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/UserAttributeStore.h"

namespace {

int
OpenFlags(uint32 openMode)
{
	// Non-blocking, so that a FIFO or a device in a file's place cannot
	// hang the open; such a node is refused once it is open.
	int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
	switch (openMode & 0x3) {
		case B_WRITE_ONLY: flags |= O_WRONLY; break;
		case B_READ_WRITE: flags |= O_RDWR; break;
		default: flags |= O_RDONLY; break;
	}
	if ((openMode & B_CREATE_FILE) != 0)
		flags |= O_CREAT;
	if ((openMode & B_FAIL_IF_EXISTS) != 0)
		flags |= O_CREAT | O_EXCL;
	if ((openMode & B_ERASE_FILE) != 0)
		flags |= O_TRUNC;
	if ((openMode & B_OPEN_AT_END) != 0)
		flags |= O_APPEND;
	if ((openMode & O_NOFOLLOW) != 0)
		flags |= O_NOFOLLOW;
	return flags;
}

} // namespace


BFile::BFile()
	:
	fMode(0),
	fDataWriteRefused(false)
{
}


BFile::BFile(const char* path, uint32 openMode)
	:
	fMode(0),
	fDataWriteRefused(false)
{
	SetTo(path, openMode);
}


BFile::BFile(const entry_ref* ref, uint32 openMode)
	:
	fMode(0),
	fDataWriteRefused(false)
{
	SetTo(ref, openMode);
}


BFile::~BFile()
{
}


status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	std::string full;
	status_t status = BPrivate::EntryPath(path, &full);
	if (status != B_OK) {
		_SetDescriptor(-1, status);
		return status;
	}

	int flags = OpenFlags(openMode);
	int fd = open(full.c_str(), flags, 0666);
	if (fd < 0) {
		int refused = errno;
		// Linux will not let a running executable be written to, and a
		// shared one is not this user's to write. Its attributes are
		// another matter (fsetxattr needs no write access to the
		// descriptor; the user's own store stands in for a shared one), so
		// open it for reading and refuse only writes to its data.
		if ((flags & O_TRUNC) == 0 && (refused == ETXTBSY
				|| ((refused == EACCES || refused == EPERM
						|| refused == EROFS)
					&& BPrivate::UserAttributeStore::IsExecutable(
						full.c_str())))) {
			fd = open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK
				| O_NOCTTY | (flags & O_NOFOLLOW));
			if (fd >= 0)
				fDataWriteRefused = true;
		}
		if (fd < 0)
			errno = refused;
	}
	if (fd < 0) {
		status = BPrivate::StatusFromErrno(errno);
		_SetDescriptor(-1, status);
		return status;
	}
	struct stat st;
	if (fstat(fd, &st) != 0)
		status = BPrivate::StatusFromErrno(errno);
	else if (S_ISDIR(st.st_mode))
		status = B_IS_A_DIRECTORY;
	else if (!S_ISREG(st.st_mode))
		status = B_NOT_ALLOWED;
	if (status != B_OK) {
		close(fd);
		_SetDescriptor(-1, status);
		return status;
	}
	// A regular file's reads and writes are as they always were.
	fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
	fMode = openMode;
	_SetDescriptor(fd, B_OK);
	return B_OK;
}


status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	std::string full;
	status_t status = _PathForRef(ref, &full);
	if (status != B_OK)
		return status;
	return SetTo(full.c_str(), openMode);
}


void
BFile::Unset()
{
	BNode::Unset();
	fMode = 0;
	fDataWriteRefused = false;
}


bool
BFile::IsReadable() const
{
	uint32 access = fMode & 0x3;
	return InitCheck() == B_OK
		&& (access == B_READ_ONLY || access == B_READ_WRITE);
}


bool
BFile::IsWritable() const
{
	uint32 access = fMode & 0x3;
	return InitCheck() == B_OK && !fDataWriteRefused
		&& (access == B_WRITE_ONLY || access == B_READ_WRITE);
}


ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	if (!IsReadable())
		return B_NOT_ALLOWED;
	ssize_t result;
	do
		result = read(_Descriptor(), buffer, size);
	while (result < 0 && errno == EINTR);
	return result < 0 ? BPrivate::StatusFromErrno(errno) : result;
}


ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	if (fDataWriteRefused)
		return B_BUSY;
	if (!IsWritable())
		return B_NOT_ALLOWED;
	// Short writes are continued, so a count below size means the device
	// stopped taking data.
	size_t done = 0;
	while (done < size) {
		ssize_t written = write(_Descriptor(), (const char*)buffer + done,
			size - done);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			if (done == 0)
				return BPrivate::StatusFromErrno(errno);
			break;
		}
		done += written;
	}
	return (ssize_t)done;
}


off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	off_t result = lseek(_Descriptor(), position, (int)seekMode);
	return result < 0 ? BPrivate::StatusFromErrno(errno) : result;
}


off_t
BFile::Position() const
{
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	off_t result = lseek(_Descriptor(), 0, SEEK_CUR);
	return result < 0 ? BPrivate::StatusFromErrno(errno) : result;
}


status_t
BFile::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	struct stat st;
	if (fstat(_Descriptor(), &st) != 0)
		return BPrivate::StatusFromErrno(errno);
	*size = st.st_size;
	return B_OK;
}


status_t
BFile::SetSize(off_t size)
{
	if (InitCheck() != B_OK)
		return B_FILE_ERROR;
	if (size < 0)
		return B_BAD_VALUE;
	if (fDataWriteRefused)
		return B_BUSY;
	if (!IsWritable())
		return B_NOT_ALLOWED;
	if (ftruncate(_Descriptor(), size) != 0)
		return BPrivate::StatusFromErrno(errno);
	return B_OK;
}
