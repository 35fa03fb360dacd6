#include "private/storage/AtomicFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

#include "private/storage/ErrnoStatus.h"

namespace BPrivate {

namespace {

const char* kTemporaryMarker = ".tmp-";


bool
ProcessIsGone(pid_t pid)
{
	return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace


std::vector<std::string>
LeftoversOfGoneWriters(const std::string& folder, const char* marker)
{
	std::vector<std::string> leftovers;
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return leftovers;
	size_t markerLength = strlen(marker);
	while (struct dirent* entry = readdir(dir)) {
		std::string name(entry->d_name);
		size_t at = name.rfind(marker);
		if (at == std::string::npos)
			continue;
		const char* digits = name.c_str() + at + markerLength;
		char* end;
		errno = 0;
		long pid = strtol(digits, &end, 10);
		if (end == digits || *end != '-' || errno != 0 || pid <= 0
			|| pid > 0x7fffffff)
			continue;
		if (ProcessIsGone((pid_t)pid))
			leftovers.push_back(folder + "/" + name);
	}
	closedir(dir);
	return leftovers;
}


status_t
WriteFileAtomically(const std::string& path, const std::string& contents,
	mode_t mode)
{
	static std::atomic<uint32> sCounter(0);
	char suffix[48];
	snprintf(suffix, sizeof(suffix), "%s%d-%u", kTemporaryMarker, (int)getpid(),
		(unsigned)sCounter.fetch_add(1));
	std::string temp = path + suffix;

	// A writer killed between its write and its rename leaves its file.
	std::string folder = path.find('/') == std::string::npos
		? std::string(".") : path.substr(0, path.rfind('/'));
	if (folder.empty())
		folder = "/";
	for (const std::string& leftover
			: LeftoversOfGoneWriters(folder, kTemporaryMarker))
		unlink(leftover.c_str());

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
