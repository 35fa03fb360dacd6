#include "private/storage/AtomicFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>

#include "private/storage/ErrnoStatus.h"

namespace BPrivate {

status_t
WriteFileAtomically(const std::string& path, const std::string& contents,
	mode_t mode)
{
	static std::atomic<uint32> sCounter(0);
	char suffix[48];
	snprintf(suffix, sizeof(suffix), ".tmp-%d-%u", (int)getpid(),
		(unsigned)sCounter.fetch_add(1));
	std::string temp = path + suffix;
	int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
	if (fd < 0)
		return StatusFromErrno(errno);
	status_t status = B_OK;
	size_t done = 0;
	while (done < contents.size()) {
		ssize_t written = write(fd, contents.data() + done,
			contents.size() - done);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			status = StatusFromErrno(errno);
			break;
		}
		done += written;
	}
	if (status == B_OK && fsync(fd) != 0)
		status = StatusFromErrno(errno);
	if (close(fd) != 0 && status == B_OK)
		status = StatusFromErrno(errno);
	if (status == B_OK && rename(temp.c_str(), path.c_str()) != 0)
		status = StatusFromErrno(errno);
	if (status != B_OK)
		unlink(temp.c_str());
	return status;
}

} // namespace BPrivate
