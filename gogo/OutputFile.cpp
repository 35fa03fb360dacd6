#include "OutputFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <atomic>


// The temporary name that a signal handler must remove, if any, in its
// folder. A fixed buffer: the handler may use neither the heap nor
// std::string. Temporary names are never longer than NAME_MAX.
static char sPendingName[NAME_MAX + 1];
static volatile int sPendingFolder = -1;
static volatile sig_atomic_t sPending = 0;


static void
SetPending(int folder, const std::string& name)
{
	sPending = 0;
	if (name.size() >= sizeof(sPendingName))
		return;
	memcpy(sPendingName, name.c_str(), name.size() + 1);
	sPendingFolder = folder;
	// The name must be whole before a handler may act on it.
	std::atomic_signal_fence(std::memory_order_seq_cst);
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
		unlinkat(sPendingFolder, sPendingName, 0);
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
	fDirectoryFD(-1),
	fFD(-1),
	fUnnamedAllowed(unnamedAllowed),
	fUnnamed(false),
	fCommitted(false),
	fNameMax(NAME_MAX)
{
}


OutputFile::~OutputFile()
{
	Abandon();
	if (fDirectoryFD >= 0)
		close(fDirectoryFD);
}


bool
OutputFile::Open(const std::string& directory, const std::string& name)
{
	fDirectory = directory;
	fName = name;
	fFinalPath = directory + (directory.back() == '/' ? "" : "/") + name;

	fDirectoryFD = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
	if (fDirectoryFD < 0)
		return _Fail("output folder " + directory, errno);

	// A name the folder cannot take is refused now, not after encoding.
	long nameMax = fpathconf(fDirectoryFD, _PC_NAME_MAX);
	if (nameMax > 0)
		fNameMax = nameMax;
	if (name.size() > fNameMax)
		return _Fail("cannot name the output " + fFinalPath, ENAMETOOLONG);
	// The rename would replace a file the user may not write (as lame,
	// which opens it for writing, does not): refused before encoding.
	if (faccessat(fDirectoryFD, name.c_str(), W_OK, AT_EACCESS) != 0
		&& errno != ENOENT)
		return _Fail("cannot write " + fFinalPath, errno);

	if (fUnnamedAllowed) {
		// The mode any new file gets, as lame's output has it.
		fFD = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
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
	for (int attempt = 0; attempt < 100; attempt++) {
		std::string candidate = _TemporaryName(attempt);
		SetPending(fDirectoryFD, candidate);
		fFD = openat(fDirectoryFD, candidate.c_str(),
			O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
		if (fFD >= 0) {
			fTemporaryName = candidate;
			return true;
		}
		int error = errno;
		ClearPending();
		if (error != EEXIST)
			return _Fail("cannot write in the output folder " + directory, error);
	}
	return _Fail("cannot write in the output folder " + directory, EEXIST);
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
	if (renameat(fDirectoryFD, fTemporaryName.c_str(), fDirectoryFD,
			fName.c_str()) != 0)
		return _Fail("cannot name the output " + fFinalPath, errno);
	ClearPending();
	fTemporaryName.clear();
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
	if (!fTemporaryName.empty()) {
		unlinkat(fDirectoryFD, fTemporaryName.c_str(), 0);
		fTemporaryName.clear();
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


// A hidden name beside the final one, unique to this process: the final
// name cut short enough that the whole fits the folder's limit, cut
// between two characters.
std::string
OutputFile::_TemporaryName(int attempt) const
{
	std::string suffix = "." + std::to_string(getpid()) + "-"
		+ std::to_string(attempt);
	size_t limit = fNameMax < NAME_MAX ? fNameMax : NAME_MAX;
	size_t room = limit > suffix.size() + 2 ? limit - suffix.size() - 1 : 1;
	size_t cut = fName.size() < room ? fName.size() : room;
	while (cut > 0 && cut < fName.size() && (fName[cut] & 0xc0) == 0x80)
		cut--;
	return "." + fName.substr(0, cut) + suffix;
}


bool
OutputFile::_LinkUnnamed()
{
	char source[64];
	int length = snprintf(source, sizeof(source), "/proc/self/fd/%d", fFD);
	if (length < 0 || (size_t)length >= sizeof(source))
		return _Fail("cannot name the output " + fFinalPath, ENAMETOOLONG);

	// linkat does not replace, so try a few if another run picked the same.
	for (int attempt = 0; attempt < 100; attempt++) {
		std::string candidate = _TemporaryName(attempt);
		SetPending(fDirectoryFD, candidate);
		// Through /proc; without it, AT_EMPTY_PATH, which needs privilege.
		int result = linkat(AT_FDCWD, source, fDirectoryFD, candidate.c_str(),
			AT_SYMLINK_FOLLOW);
		if (result != 0 && errno == ENOENT) {
			result = linkat(fFD, "", fDirectoryFD, candidate.c_str(),
				AT_EMPTY_PATH);
		}
		if (result == 0) {
			fTemporaryName = candidate;
			return true;
		}
		int error = errno;
		ClearPending();
		if (error != EEXIST)
			return _Fail("cannot name the output " + fFinalPath, error);
	}
	return _Fail("cannot name the output " + fFinalPath, EEXIST);
}


bool
OutputFile::_SyncDirectory()
{
	int directory = openat(fDirectoryFD, ".", O_RDONLY | O_DIRECTORY
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
