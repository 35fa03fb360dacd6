#include <Roster.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>

#include "private/storage/EntryPath.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/FolderRegistry.h"
#include "private/app/LooperState.h"
#include "private/app/RosterState.h"

extern char** environ;

static const BRoster sRoster;
const BRoster* be_roster = &sRoster;

namespace {

struct Team {
	pid_t		pid;
	int			pidfd;
	entry_ref	ref;
};

struct Watcher {
	BMessenger	target;
	uint32		events;
};

// Process-wide and never destroyed: the reaper thread may outlive main.
struct RosterState {
	std::mutex				lock;
	std::vector<Team>		teams;
	std::vector<Watcher>	watchers;
	int32					launching = 0;
	// Every unreaped team's pidfd, keyed by its pid. A launch adds its
	// child here itself, so the reaper only ever wakes for an ending.
	int						epollFD = -1;
};

RosterState&
State()
{
	static RosterState* sState = new RosterState;
	return *sState;
}


void
NotifyWatchersLocked(RosterState& state, const Team& team)
{
	for (const Watcher& watcher : state.watchers) {
		if ((watcher.events & B_REQUEST_QUIT) == 0)
			continue;
		BMessage notice(B_SOME_APP_QUIT);
		notice.AddRef("be:ref", &team.ref);
		notice.AddInt32("be:team", team.pid);
		watcher.target.SendMessage(&notice);
	}
}


// Reaps our own children as they end (never any other process) and tells
// the watchers, under the lock that the quiet check takes.
void
Reap(int epollFD)
{
	RosterState& state = State();
	struct epoll_event events[16];
	while (true) {
		int count = epoll_wait(epollFD, events, 16, -1);
		if (count <= 0)
			continue;

		bool reaped = false;
		{
			std::lock_guard<std::mutex> lock(state.lock);
			for (int i = 0; i < count; i++) {
				pid_t pid = (pid_t)events[i].data.u64;
				for (size_t j = 0; j < state.teams.size(); j++) {
					Team& team = state.teams[j];
					if (team.pid != pid)
						continue;
					siginfo_t info;
					memset(&info, 0, sizeof(info));
					if (waitid((idtype_t)P_PIDFD, (id_t)team.pidfd, &info,
							WEXITED | WNOHANG) != 0 || info.si_pid == 0)
						break;
					// Closing it also takes it out of the epoll set.
					close(team.pidfd);
					NotifyWatchersLocked(state, team);
					state.teams.erase(state.teams.begin() + j);
					reaped = true;
					break;
				}
			}
		}
		// With no watcher nothing was posted, yet the roster may have come
		// to rest.
		if (reaped)
			BPrivate::NotifyActivity();
	}
}


status_t
StartReaperLocked(RosterState& state)
{
	if (state.epollFD >= 0)
		return B_OK;
	int epollFD = epoll_create1(EPOLL_CLOEXEC);
	if (epollFD < 0)
		return BPrivate::StatusFromErrno(errno);
	state.epollFD = epollFD;
	std::thread(Reap, epollFD).detach();
	return B_OK;
}


void
EndLaunch(RosterState& state)
{
	{
		std::lock_guard<std::mutex> lock(state.lock);
		state.launching--;
	}
	BPrivate::NotifyActivity();
}


// The launch record names the executable with every link resolved. The
// kernel resolves it once for an open descriptor, which costs three calls
// where realpath would read every component of the path as a link; without
// /proc the long way is taken.
status_t
LaunchedRef(const std::string& path, entry_ref* ref)
{
	int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
	if (fd >= 0) {
		char link[32];
		char real[B_PATH_NAME_LENGTH];
		ssize_t length = -1;
		int written = snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
		if (written > 0 && (size_t)written < sizeof(link))
			length = readlink(link, real, sizeof(real));
		close(fd);
		// A path under /boot is left to the long way, which also maps
		// the BeOS folders.
		if (length > 0 && (size_t)length < sizeof(real) && real[0] == '/'
			&& strncmp(real, "/boot", 5) != 0) {
			real[length] = '\0';
			std::string folder;
			std::string leaf;
			BPrivate::SplitEntryPath(real, &folder, &leaf);
			struct stat st;
			if (leaf.size() < B_FILE_NAME_LENGTH
				&& stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
				BPrivate::RememberFolder(st.st_dev, st.st_ino, folder);
				ref->device = (int32)st.st_dev;
				ref->directory = (int64)st.st_ino;
				return ref->set_name(leaf.c_str());
			}
		}
	}

	char* real = realpath(path.c_str(), NULL);
	status_t status = get_ref_for_path(real != NULL ? real : path.c_str(),
		ref);
	free(real);
	return status;
}


status_t
PathForRef(const entry_ref* ref, std::string* path)
{
	BPath resolved(ref);
	if (resolved.InitCheck() != B_OK)
		return resolved.InitCheck();
	*path = resolved.Path();
	return B_OK;
}


status_t
FindInPath(const char* program, std::string* path)
{
	const char* searchPath = getenv("PATH");
	std::string folders = searchPath != NULL ? searchPath : "/usr/bin:/bin";
	size_t start = 0;
	while (start <= folders.size()) {
		size_t end = folders.find(':', start);
		if (end == std::string::npos)
			end = folders.size();
		std::string candidate = folders.substr(start, end - start) + "/"
			+ program;
		if (end > start && access(candidate.c_str(), X_OK) == 0) {
			*path = candidate;
			return B_OK;
		}
		start = end + 1;
	}
	return B_LAUNCH_FAILED_APP_NOT_FOUND;
}


// The executable that the preferred application of a type names.
status_t
PreferredAppRef(const char* mimeType, entry_ref* ref)
{
	BMimeType type(mimeType);
	char signature[B_MIME_TYPE_LENGTH];
	if (type.InitCheck() != B_OK
		|| type.GetPreferredApp(signature, B_OPEN) != B_OK)
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	BMimeType app(signature);
	if (app.GetAppHint(ref) != B_OK)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	return B_OK;
}


// The desktop's opener, for what has no preferred application of ours.
status_t
LaunchOpener(const char* argument, team_id* team)
{
	std::string opener;
	status_t status = FindInPath("xdg-open", &opener);
	if (status != B_OK)
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	entry_ref ref;
	status = get_ref_for_path(opener.c_str(), &ref);
	if (status != B_OK)
		return status;
	return be_roster->Launch(&ref, 1, &argument, team);
}

} // namespace


app_info::app_info()
	:
	thread(-1),
	team(-1),
	port(-1),
	flags(0)
{
	signature[0] = '\0';
}


BRoster::BRoster()
{
}


BRoster::~BRoster()
{
}


status_t
BRoster::Launch(const entry_ref* ref, int argc, const char* const* args,
	team_id* team) const
{
	if (ref == NULL || argc < 0 || (argc > 0 && args == NULL))
		return B_BAD_VALUE;
	std::string path;
	status_t status = PathForRef(ref, &path);
	if (status != B_OK)
		return status;

	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (!S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0)
		return B_LAUNCH_FAILED_EXECUTABLE;

	entry_ref launchedRef;
	status = LaunchedRef(path, &launchedRef);
	if (status != B_OK)
		return status;

	std::vector<char*> argv;
	argv.push_back(const_cast<char*>(path.c_str()));
	for (int i = 0; i < argc; i++)
		argv.push_back(const_cast<char*>(args[i] != NULL ? args[i] : ""));
	argv.push_back(NULL);

	// A team of its own (a new process group), default signal handling, an
	// empty mask, and none of our descriptors above the standard streams.
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t none, all;
	sigemptyset(&none);
	sigfillset(&all);
	posix_spawnattr_setsigmask(&attributes, &none);
	posix_spawnattr_setsigdefault(&attributes, &all);
	posix_spawnattr_setpgroup(&attributes, 0);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK
		| POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addclosefrom_np(&actions, 3);

	RosterState& state = State();
	{
		std::lock_guard<std::mutex> lock(state.lock);
		status = StartReaperLocked(state);
		if (status != B_OK) {
			posix_spawn_file_actions_destroy(&actions);
			posix_spawnattr_destroy(&attributes);
			return status;
		}
		state.launching++;
	}
	BPrivate::NotifyActivity();
	pid_t pid;
	int error = posix_spawn(&pid, path.c_str(), &actions, &attributes,
		argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);

	if (error != 0) {
		EndLaunch(state);
		return B_LAUNCH_FAILED_EXECUTABLE;
	}
	// Our own child cannot be reaped by anyone else, so its pid is still
	// its own here. The pidfd comes close-on-exec.
	int pidfd = (int)syscall(SYS_pidfd_open, pid, 0);
	if (pidfd < 0) {
		status = BPrivate::StatusFromErrno(errno);
		kill(pid, SIGKILL);
		waitpid(pid, NULL, 0);
		EndLaunch(state);
		return status;
	}
	{
		std::lock_guard<std::mutex> lock(state.lock);
		state.teams.push_back(Team{ pid, pidfd, launchedRef });
	}
	// Added without the lock: a short child wakes the reaper at once, and
	// it should not find the lock still taken. The launch counts as under
	// way until the child is in the set, so the roster is not taken for
	// quiet meanwhile.
	struct epoll_event event;
	memset(&event, 0, sizeof(event));
	event.events = EPOLLIN;
	event.data.u64 = (uint64_t)pid;
	if (epoll_ctl(state.epollFD, EPOLL_CTL_ADD, pidfd, &event) != 0) {
		status = BPrivate::StatusFromErrno(errno);
		{
			std::lock_guard<std::mutex> lock(state.lock);
			for (size_t i = 0; i < state.teams.size(); i++) {
				if (state.teams[i].pid == pid) {
					state.teams.erase(state.teams.begin() + i);
					break;
				}
			}
		}
		close(pidfd);
		kill(pid, SIGKILL);
		waitpid(pid, NULL, 0);
		EndLaunch(state);
		return status;
	}
	if (team != NULL)
		*team = (team_id)pid;
	EndLaunch(state);
	return B_OK;
}


status_t
BRoster::Launch(const char* mimeType, int argc, const char* const* args,
	team_id* team) const
{
	if (mimeType == NULL)
		return B_BAD_VALUE;
	entry_ref app;
	if (PreferredAppRef(mimeType, &app) == B_OK)
		return Launch(&app, argc, args, team);
	return LaunchOpener(argc > 0 ? args[0] : "", team);
}


status_t
BRoster::Launch(const entry_ref* document, const BMessage*,
	team_id* team) const
{
	if (document == NULL)
		return B_BAD_VALUE;
	std::string path;
	status_t status = PathForRef(document, &path);
	if (status != B_OK)
		return status;
	BNode node(document);
	BNodeInfo info(&node);
	char type[B_MIME_TYPE_LENGTH];
	entry_ref app;
	const char* argument = path.c_str();
	if (info.GetType(type) == B_OK && PreferredAppRef(type, &app) == B_OK)
		return Launch(&app, 1, &argument, team);
	return LaunchOpener(argument, team);
}


status_t
BRoster::StartWatching(BMessenger target, uint32 eventMask) const
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	for (Watcher& watcher : state.watchers) {
		if (watcher.target == target) {
			watcher.events = eventMask;
			return B_OK;
		}
	}
	state.watchers.push_back(Watcher{ target, eventMask });
	return B_OK;
}


status_t
BRoster::StopWatching(BMessenger target) const
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	for (auto it = state.watchers.begin(); it != state.watchers.end(); ++it) {
		if (it->target == target) {
			state.watchers.erase(it);
			return B_OK;
		}
	}
	return B_BAD_VALUE;
}


status_t
kill_team(team_id team)
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	for (const Team& entry : state.teams) {
		// Not reaped yet, so the group id cannot belong to anyone else.
		if (entry.pid == team) {
			if (killpg(entry.pid, SIGKILL) != 0)
				return BPrivate::StatusFromErrno(errno);
			return B_OK;
		}
	}
	return B_BAD_TEAM_ID;
}


namespace BPrivate {

bool
RosterIsQuiet()
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	if (state.launching > 0)
		return false;
	if (state.teams.empty())
		return true;
	// The epoll set is readable while any team in it has ended: one look
	// however many teams there are.
	struct pollfd ended = { state.epollFD, POLLIN, 0 };
	return poll(&ended, 1, 0) == 0;
}

} // namespace BPrivate
