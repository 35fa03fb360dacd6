#include "OutputFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>


// The temporary name that a signal handler must remove, if any. A fixed
// buffer: the handler may use neither the heap nor std::string.
static char sPendingPath[PATH_MAX];
static volatile sig_atomic_t sPending = 0;


static void
SetPending(const std::string& path)
{
	sPending = 0;
	if (path.size() >= sizeof(sPendingPath))
		return;
	memcpy(sPendingPath, path.c_str(), path.size() + 1);
	sPending = 1;
}


static void
ClearPending()
{
	sPending = 0;
}


static void
RemovePendingAndDie(int signalNumber)
{
	if (sPending)
		unlink(sPendingPath);
	signal(signalNumber, SIG_DFL);
	raise(signalNumber);
}


/*static*/ void
OutputFile::InstallSignalHandlers()
{
	struct sigaction action;
	memset(&action, 0, sizeof(action));
	action.sa_handler = RemovePendingAndDie;
	sigemptyset(&action.sa_mask);
	sigaddset(&action.sa_mask, SIGTERM);
	sigaddset(&action.sa_mask, SIGINT);
	sigaddset(&action.sa_mask, SIGHUP);
	sigaction(SIGTERM, &action, NULL);
	sigaction(SIGINT, &action, NULL);
	sigaction(SIGHUP, &action, NULL);
}


OutputFile::OutputFile(bool unnamedAllowed)
	:
	fFD(-1),
	fUnnamedAllowed(unnamedAllowed),
	fUnnamed(false),
	fCommitted(false)
{
}


OutputFile::~OutputFile()
{
	Abandon();
}


bool
OutputFile::Open(const std::string& directory, const std::string& name)
{
	fDirectory = directory;
	fFinalPath = directory + (directory.back() == '/' ? "" : "/") + name;

	struct stat info;
	if (stat(directory.c_str(), &info) != 0)
		return _Fail("output folder " + directory, errno);
	if (!S_ISDIR(info.st_mode))
		return _Fail("output folder " + directory, ENOTDIR);

	if (fUnnamedAllowed) {
		fFD = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
		if (fFD >= 0) {
			fUnnamed = true;
			return true;
		}
		if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
			return _Fail("cannot write in the output folder " + directory,
				errno);
		}
	}

	// No unnamed files here: write a hidden temporary name instead.
	std::string pattern = fFinalPath.substr(0, fFinalPath.size()
		- name.size()) + "." + name + ".XXXXXX";
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	fFD = mkostemp(buffer.data(), O_CLOEXEC);
	if (fFD < 0)
		return _Fail("cannot write in the output folder " + directory, errno);
	fTemporaryPath = buffer.data();
	SetPending(fTemporaryPath);
	// mkostemp makes the file private; give it the mode a new file gets.
	mode_t mask = umask(0);
	umask(mask);
	fchmod(fFD, 0644 & ~mask);
	return true;
}


bool
OutputFile::Write(const void* data, size_t size)
{
	const char* bytes = (const char*)data;
	while (size > 0) {
		ssize_t written = write(fFD, bytes, size);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return _Fail("cannot write " + fFinalPath, errno);
		}
		bytes += written;
		size -= written;
	}
	return true;
}


bool
OutputFile::WriteAt(const void* data, size_t size, off_t offset)
{
	const char* bytes = (const char*)data;
	while (size > 0) {
		ssize_t written = pwrite(fFD, bytes, size, offset);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return _Fail("cannot write " + fFinalPath, errno);
		}
		bytes += written;
		size -= written;
		offset += written;
	}
	return true;
}


bool
OutputFile::Commit()
{
	// A full disk may show only here, on delayed allocation.
	if (fsync(fFD) != 0)
		return _Fail("cannot write " + fFinalPath, errno);
	if (fUnnamed && !_LinkUnnamed())
		return false;
	if (close(fFD) != 0) {
		fFD = -1;
		return _Fail("cannot write " + fFinalPath, errno);
	}
	fFD = -1;
	if (rename(fTemporaryPath.c_str(), fFinalPath.c_str()) != 0)
		return _Fail("cannot name the output " + fFinalPath, errno);
	ClearPending();
	fTemporaryPath.clear();
	fCommitted = true;
	// The new name must be on disk before the caller may delete the input.
	return _SyncDirectory();
}


void
OutputFile::Abandon()
{
	if (fFD >= 0) {
		close(fFD);
		fFD = -1;
	}
	if (!fTemporaryPath.empty()) {
		unlink(fTemporaryPath.c_str());
		fTemporaryPath.clear();
	}
	ClearPending();
}


bool
OutputFile::_Fail(const std::string& what, int error)
{
	fError = what + ": " + strerror(error);
	Abandon();
	return false;
}


bool
OutputFile::_LinkUnnamed()
{
	char source[64];
	int length = snprintf(source, sizeof(source), "/proc/self/fd/%d", fFD);
	if (length < 0 || (size_t)length >= sizeof(source))
		return _Fail("cannot name the output " + fFinalPath, ENAMETOOLONG);

	// A fresh name next to the final one; linkat does not replace, so try
	// a few if another run picked the same.
	size_t slash = fFinalPath.rfind('/');
	std::string base = fFinalPath.substr(0, slash + 1) + "."
		+ fFinalPath.substr(slash + 1) + ".";
	for (int attempt = 0; attempt < 100; attempt++) {
		std::string candidate = base + std::to_string(getpid()) + "-"
			+ std::to_string(attempt);
		SetPending(candidate);
		// Through /proc; without it, AT_EMPTY_PATH, which needs privilege.
		int result = linkat(AT_FDCWD, source, AT_FDCWD, candidate.c_str(),
			AT_SYMLINK_FOLLOW);
		if (result != 0 && errno == ENOENT)
			result = linkat(fFD, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
		if (result == 0) {
			fTemporaryPath = candidate;
			return true;
		}
		ClearPending();
		if (errno != EEXIST)
			return _Fail("cannot name the output " + fFinalPath, errno);
	}
	return _Fail("cannot name the output " + fFinalPath, EEXIST);
}


bool
OutputFile::_SyncDirectory()
{
	int directory = open(fDirectory.c_str(), O_RDONLY | O_DIRECTORY
		| O_CLOEXEC);
	if (directory < 0)
		return _Fail("cannot flush the output folder " + fDirectory, errno);
	int result = fsync(directory);
	int error = errno;
	close(directory);
	if (result != 0 && error != EINVAL)
		return _Fail("cannot flush the output folder " + fDirectory, error);
	return true;
}
