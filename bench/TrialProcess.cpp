#include "TrialProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace {

int
RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
	remove(path);
	return 0;
}


bool
CopyFile(const std::string& from, const std::string& to, std::string* error)
{
	int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
	if (in < 0) {
		*error = "cannot read " + from + ": " + strerror(errno);
		return false;
	}
	int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
	if (out < 0) {
		*error = "cannot write " + to + ": " + strerror(errno);
		close(in);
		return false;
	}
	char buffer[65536];
	bool ok = true;
	for (;;) {
		ssize_t got = read(in, buffer, sizeof(buffer));
		if (got == 0)
			break;
		if (got < 0) {
			if (errno == EINTR)
				continue;
			ok = false;
			break;
		}
		for (ssize_t done = 0; done < got;) {
			ssize_t put = write(out, buffer + done, got - done);
			if (put < 0 && errno == EINTR)
				continue;
			if (put <= 0) {
				ok = false;
				break;
			}
			done += put;
		}
		if (!ok)
			break;
	}
	if (!ok)
		*error = "cannot copy " + from + ": " + strerror(errno);
	close(in);
	if (close(out) != 0 && ok) {
		*error = "cannot write " + to + ": " + strerror(errno);
		ok = false;
	}
	return ok;
}


std::string
ReadWhole(const std::string& path)
{
	std::ifstream in(path.c_str(), std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

} // namespace


bool
WaitReadable(int descriptor, double seconds)
{
	Clock::time_point deadline = Clock::now()
		+ std::chrono::duration_cast<Clock::duration>(
			std::chrono::duration<double>(seconds));
	for (;;) {
		long left = std::chrono::duration_cast<std::chrono::milliseconds>(
			deadline - Clock::now()).count();
		if (left < 0)
			left = 0;
		struct pollfd entry = { descriptor, POLLIN, 0 };
		int result = poll(&entry, 1, (int)left);
		if (result > 0)
			return true;
		if (result == 0 || errno != EINTR)
			return false;
	}
}


std::string
DescribeStatus(int status)
{
	char text[64];
	if (WIFEXITED(status))
		snprintf(text, sizeof(text), "exit status %d", WEXITSTATUS(status));
	else if (WIFSIGNALED(status))
		snprintf(text, sizeof(text), "killed by signal %d", WTERMSIG(status));
	else
		snprintf(text, sizeof(text), "status 0x%x", status);
	return text;
}


TrialProcess::TrialProcess(const std::string& program)
	:
	fProgram(program),
	fPid(-1),
	fPidFd(-1),
	fCpuMilliseconds(0)
{
}


TrialProcess::~TrialProcess()
{
	_Kill();
	if (!fHome.empty())
		nftw(fHome.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}


bool
TrialProcess::Prepare(std::string* error)
{
	const char* tmp = getenv("TMPDIR");
	std::string pattern = std::string(tmp != NULL && tmp[0] != '\0'
		? tmp : "/tmp") + "/tolvex-bench-XXXXXX";
	std::vector<char> path(pattern.begin(), pattern.end());
	path.push_back('\0');
	if (mkdtemp(path.data()) == NULL) {
		*error = "cannot make a temporary folder: "
			+ std::string(strerror(errno));
		return false;
	}
	fHome = path.data();
	const char* folders[] = { "/.config", "/.local", "/.local/share",
		"/.cache", "/bin" };
	for (const char* folder : folders) {
		if (mkdir((fHome + folder).c_str(), 0700) != 0) {
			*error = "cannot make " + fHome + folder;
			return false;
		}
	}
	std::string name = fProgram.substr(fProgram.rfind('/') + 1);
	fCopy = fHome + "/bin/" + name;
	return CopyFile(fProgram, fCopy, error);
}


bool
TrialProcess::Start(const Environment& variables, std::string* error)
{
	Environment all = variables;
	all.push_back(std::make_pair("HOME", fHome));
	all.push_back(std::make_pair("XDG_CONFIG_HOME", fHome + "/.config"));
	all.push_back(std::make_pair("XDG_DATA_HOME", fHome + "/.local/share"));
	all.push_back(std::make_pair("XDG_CACHE_HOME", fHome + "/.cache"));

	// Built before the clock starts: the child only swaps descriptors.
	std::vector<std::string> entries;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string text = *entry;
		std::string name = text.substr(0, text.find('='));
		bool replaced = false;
		for (const auto& variable : all)
			replaced = replaced || variable.first == name;
		if (!replaced)
			entries.push_back(text);
	}
	for (const auto& variable : all) {
		if (!variable.second.empty())
			entries.push_back(variable.first + "=" + variable.second);
	}
	std::vector<char*> environment;
	for (std::string& entry : entries)
		environment.push_back(&entry[0]);
	environment.push_back(NULL);

	std::string outputPath = fHome + "/stdout";
	std::string errorPath = fHome + "/stderr";
	char* arguments[] = { &fCopy[0], NULL };
	pid_t parent = getpid();

	fStartedAt = Clock::now();
	fPid = fork();
	if (fPid < 0) {
		*error = "fork: " + std::string(strerror(errno));
		return false;
	}
	if (fPid == 0) {
		// A benchmark stopped half-way leaves nothing running.
		prctl(PR_SET_PDEATHSIG, SIGKILL);
		if (getppid() != parent)
			_exit(127);
		int in = open("/dev/null", O_RDONLY);
		int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0
			|| dup2(err, 2) < 0 || chdir(fHome.c_str()) != 0)
			_exit(127);
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, NULL);
		execve(arguments[0], arguments, environment.data());
		_exit(127);
	}
	// The system call itself: glibc 2.36 declares pidfd_open for C only.
	fPidFd = syscall(SYS_pidfd_open, fPid, 0);
	if (fPidFd < 0) {
		*error = "pidfd_open: " + std::string(strerror(errno));
		_Kill();
		return false;
	}
	return true;
}


bool
TrialProcess::HasExited() const
{
	if (fPidFd < 0)
		return true;
	return WaitReadable(fPidFd, 0);
}


long
TrialProcess::PeakMemoryKiB() const
{
	if (fPid <= 0)
		return -1;
	std::ifstream status(("/proc/" + std::to_string(fPid) + "/status").c_str());
	std::string line;
	while (std::getline(status, line)) {
		if (line.compare(0, 6, "VmHWM:") == 0)
			return strtol(line.c_str() + 6, NULL, 10);
	}
	return -1;
}


bool
TrialProcess::Wait(double seconds, int* status)
{
	if (fPid <= 0)
		return false;
	if (!WaitReadable(fPidFd, seconds)) {
		_Kill();
		return false;
	}
	fEndedAt = Clock::now();
	_Reap(status);
	return true;
}


bool
TrialProcess::Stop(double seconds, int* status)
{
	if (fPid <= 0)
		return false;
	kill(fPid, SIGTERM);
	return Wait(seconds, status);
}


std::string
TrialProcess::Output() const
{
	return ReadWhole(fHome + "/stdout");
}


std::string
TrialProcess::Errors() const
{
	return ReadWhole(fHome + "/stderr");
}


void
TrialProcess::_Reap(int* status)
{
	int result = 0;
	struct rusage usage;
	memset(&usage, 0, sizeof(usage));
	while (wait4(fPid, &result, 0, &usage) < 0 && errno == EINTR) {
	}
	fCpuMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
		+ (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
	if (status != NULL)
		*status = result;
	close(fPidFd);
	fPidFd = -1;
	fPid = -1;
}


void
TrialProcess::_Kill()
{
	if (fPid <= 0)
		return;
	kill(fPid, SIGKILL);
	_Reap(NULL);
}
