#include "private/storage/ErrnoStatus.h"

#include <errno.h>

namespace BPrivate {

status_t
StatusFromErrno(int error)
{
	switch (error) {
		case 0: return B_OK;
		case ENOENT: return B_ENTRY_NOT_FOUND;
		case ENAMETOOLONG: return B_NAME_TOO_LONG;
		case EEXIST: return B_FILE_EXISTS;
		case ENOTDIR: return B_NOT_A_DIRECTORY;
		case EISDIR: return B_IS_A_DIRECTORY;
		case ENOTEMPTY: return B_DIRECTORY_NOT_EMPTY;
		case ENOSPC: return B_DEVICE_FULL;
		case EROFS: return B_READ_ONLY_DEVICE;
		case EACCES: case EPERM: return B_PERMISSION_DENIED;
		case EMFILE: case ENFILE: return B_NO_MORE_FDS;
		case EXDEV: return B_CROSS_DEVICE_LINK;
		case ELOOP: return B_LINK_LIMIT;
		case EPIPE: return B_BUSTED_PIPE;
		case ENOTSUP: return B_UNSUPPORTED;
		case ENOMEM: return B_NO_MEMORY;
		case EINVAL: return B_BAD_VALUE;
		case EBUSY: case ETXTBSY: return B_BUSY;
		case ETIMEDOUT: return B_TIMED_OUT;
		case EINTR: return B_INTERRUPTED;
		case EAGAIN: return B_WOULD_BLOCK;
		case EBADF: return B_FILE_ERROR;
		case ENODATA: return B_ENTRY_NOT_FOUND;
		case E2BIG: case ERANGE: return B_BAD_VALUE;
		default: return B_IO_ERROR;
	}
}

} // namespace BPrivate
