#include "FaultSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"


const char* kDumpEnd = "window \"Posizione di Gogo\"";


ScriptSession::ScriptSession(const TemporaryHome& home, TolvexRunner& runner)
	:
	fHome(home),
	fRunner(runner),
	fFifo(-1),
	fPid(-1)
{
	std::string fifo = home.File("session.fifo");
	unlink(fifo.c_str());
	if (mkfifo(fifo.c_str(), 0600) != 0)
		return;
	// Read and write, so that opening does not wait for the reader.
	fFifo = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
	if (fFifo >= 0)
		fPid = runner.StartScriptAt(fifo.c_str());
}


ScriptSession::~ScriptSession()
{
	if (fPid > 0)
		End(10);
}


bool
ScriptSession::Send(const std::string& lines)
{
	size_t done = 0;
	while (fFifo >= 0 && done < lines.size()) {
		ssize_t written = write(fFifo, lines.data() + done,
			lines.size() - done);
		if (written <= 0)
			return false;
		done += written;
	}
	return done == lines.size();
}


bool
ScriptSession::WaitForOutput(const std::string& text, int count,
	int timeoutSeconds)
{
	for (long waited = 0; waited < timeoutSeconds * 1000L; waited += 20) {
		if (CountOf(Output(), text) >= count)
			return true;
		siginfo_t info = {};
		if (fPid > 0 && waitid(P_PID, fPid, &info, WEXITED | WNOHANG
				| WNOWAIT) == 0 && info.si_pid == fPid) {
			// Ended: whatever it printed is all there is.
			return CountOf(Output(), text) >= count;
		}
		usleep(20000);
	}
	return false;
}


std::string
ScriptSession::Output() const
{
	return ReadFile(fHome.File("stdout.txt"));
}


RunResult
ScriptSession::End(int timeoutSeconds)
{
	if (fFifo >= 0)
		close(fFifo);
	fFifo = -1;
	if (fPid <= 0)
		return RunResult();
	fPid = -1;
	return fRunner.Finish(timeoutSeconds);
}


int
CountOf(const std::string& where, const std::string& text)
{
	int count = 0;
	for (size_t at = where.find(text); at != std::string::npos;
			at = where.find(text, at + text.size()))
		count++;
	return count;
}


int
DescriptorCount(pid_t pid)
{
	std::string folder = "/proc/" + std::to_string(pid) + "/fd";
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return -1;
	int count = 0;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] != '.')
			count++;
	}
	closedir(dir);
	return count;
}


long
StatusKiB(pid_t pid, const char* field)
{
	std::string status = ReadFile("/proc/" + std::to_string(pid)
		+ "/status");
	size_t at = status.find(std::string("\n") + field);
	if (at == std::string::npos)
		return -1;
	return atol(status.c_str() + at + 1 + strlen(field));
}


namespace {

// Calls found(state) for every process whose parent is pid.
template<typename Found>
void
ForEachChild(pid_t pid, Found found)
{
	DIR* proc = opendir("/proc");
	if (proc == NULL)
		return;
	while (struct dirent* entry = readdir(proc)) {
		if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
			continue;
		std::string stat = ReadFile(std::string("/proc/") + entry->d_name
			+ "/stat");
		// The name may hold blanks and parentheses: the fields follow
		// its last ')'.
		size_t close = stat.rfind(')');
		if (close == std::string::npos)
			continue;
		char state = 0;
		int parent = 0;
		if (sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2
			&& parent == pid)
			found(state);
	}
	closedir(proc);
}

} // namespace


int
ZombieChildren(pid_t pid)
{
	int count = 0;
	ForEachChild(pid, [&count](char state) {
		if (state == 'Z')
			count++;
	});
	return count;
}


int
Children(pid_t pid)
{
	int count = 0;
	ForEachChild(pid, [&count](char) { count++; });
	return count;
}


int
RunWithPrivateMounts(const std::string& command, std::string* why)
{
	const char* ways[] = { "unshare -m", "unshare -rm" };
	for (const char* way : ways) {
		if (geteuid() != 0 && strcmp(way, "unshare -m") == 0)
			continue;
		std::string probe = std::string(way)
			+ " sh -c 'mount -t tmpfs tmpfs /mnt' >/dev/null 2>&1";
		if (system(probe.c_str()) != 0)
			continue;
		std::string quoted;
		for (char c : command) {
			if (c == '\'')
				quoted += "'\\''";
			else
				quoted += c;
		}
		int status = system((std::string(way) + " sh -c '" + quoted + "'")
			.c_str());
		return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
	}
	*why = geteuid() == 0 ? "unshare -m cannot mount here"
		: "neither root nor a user namespace with mounts";
	return -1;
}
