#include <Roster.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
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

// How long a killed team has to end on SIGTERM before SIGKILL follows.
const time_t kKillGraceSeconds = 2;
// The bytes of an error line that are kept; the rest of it is passed on
// all the same.
const size_t kErrorLineBytes = 256;

// What the reaper waits on, kept in the epoll data with the team's pid or
// the stream's descriptor beside it.
enum {
	kTeamEnded = 0,
	kGraceOver = 1,
	kErrorOutput = 2
};

uint64_t
EventData(uint32 kind, uint32 id)
{
	return ((uint64_t)kind << 32) | id;
}


// A child's error stream, read through a pipe and passed on to ours. Only
// the reaper reads it, changes it and ends it; a launch only adds it.
struct ErrorStream {
	int			fd;
	pid_t		pid;
	std::string	line;
	std::string	lastLine;
	// Read to its end while its team had not yet been reaped: kept, out of
	// the epoll set, for the team's quit notice.
	bool		ended = false;
	// Handed to the relay as the application quit: read here no more.
	bool		relayed = false;
};

struct Team {
	pid_t			pid;
	int				pidfd;
	entry_ref		ref;
	ErrorStream*	errors = NULL;
	// Armed by kill_team: SIGKILL to what of the group is left.
	int				graceFD = -1;
	// Ended, with its quit notice sent, yet not reaped: the zombie holds
	// the pid, and with it the group id, until the grace time is over.
	bool			ended = false;
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
	std::vector<std::unique_ptr<ErrorStream> > streams;
	int32					launching = 0;
	// Every unreaped team's pidfd, keyed by its pid, every open error
	// stream and every armed grace timer. A launch adds its child here
	// itself, so the reaper only ever wakes for an ending or for output.
	int						epollFD = -1;
};

RosterState&
State()
{
	static RosterState* sState = new RosterState;
	return *sState;
}


Team*
FindTeamLocked(RosterState& state, pid_t pid)
{
	for (Team& team : state.teams) {
		if (team.pid == pid)
			return &team;
	}
	return NULL;
}


void
NotifyWatchersLocked(RosterState& state, const Team& team,
	const siginfo_t& info)
{
	for (const Watcher& watcher : state.watchers) {
		if ((watcher.events & B_REQUEST_QUIT) == 0)
			continue;
		BMessage notice(B_SOME_APP_QUIT);
		notice.AddRef("be:ref", &team.ref);
		notice.AddInt32("be:team", team.pid);
		if (info.si_code == CLD_EXITED)
			notice.AddInt32("linux:exit_status", info.si_status);
		else
			notice.AddInt32("linux:signal", info.si_status);
		if (team.errors != NULL && !team.errors->lastLine.empty()) {
			notice.AddString("linux:error_line",
				team.errors->lastLine.c_str());
		}
		watcher.target.SendMessage(&notice);
	}
}


// Our own standard error gets every byte, as if the child wrote there
// itself. One that is gone or closed loses them, as it would have.
void
PassOn(const char* bytes, size_t size)
{
	while (size > 0) {
		ssize_t written = write(STDERR_FILENO, bytes, size);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			if (errno == EAGAIN) {
				struct pollfd ready = { STDERR_FILENO, POLLOUT, 0 };
				poll(&ready, 1, -1);
				continue;
			}
			return;
		}
		bytes += written;
		size -= (size_t)written;
	}
}


// A line of blanks says nothing.
void
EndLine(ErrorStream& stream)
{
	if (stream.line.find_first_not_of(" \t") != std::string::npos)
		stream.lastLine = stream.line;
	stream.line.clear();
}


// Reads what is there now; false at the end of the stream.
bool
ReadErrors(ErrorStream& stream)
{
	char buffer[16384];
	while (true) {
		ssize_t count = read(stream.fd, buffer, sizeof(buffer));
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return errno == EAGAIN;
		if (count == 0)
			return false;
		PassOn(buffer, (size_t)count);
		for (ssize_t i = 0; i < count; i++) {
			// A carriage return ends what a terminal shows as a line too.
			if (buffer[i] == '\n' || buffer[i] == '\r')
				EndLine(stream);
			else if (stream.line.size() < kErrorLineBytes)
				stream.line.push_back(buffer[i]);
		}
		if ((size_t)count < sizeof(buffer))
			return true;
	}
}


// Closing the descriptor also takes it out of the epoll set.
void
CloseStreamLocked(RosterState& state, ErrorStream* stream)
{
	for (Team& team : state.teams) {
		if (team.errors == stream)
			team.errors = NULL;
	}
	close(stream->fd);
	for (size_t i = 0; i < state.streams.size(); i++) {
		if (state.streams[i].get() == stream) {
			state.streams.erase(state.streams.begin() + i);
			break;
		}
	}
}


ErrorStream*
FindStreamLocked(RosterState& state, int fd)
{
	for (const std::unique_ptr<ErrorStream>& stream : state.streams) {
		if (stream->fd == fd)
			return stream.get();
	}
	return NULL;
}


void
ForgetTeamLocked(RosterState& state, Team* team)
{
	close(team->pidfd);
	if (team->graceFD >= 0)
		close(team->graceFD);
	state.teams.erase(state.teams.begin() + (team - state.teams.data()));
}


// The team's process has ended. Its status is taken without reaping it, so
// that its pid stays its own while the error stream is read to its last
// byte (outside the lock: our standard error may be slow); the notice then
// carries the status and the last line. A killed team whose grace time is
// not over stays a zombie until it is, so that SIGKILL reaches only what
// is left of its own group.
bool
TeamEnded(RosterState& state, pid_t pid)
{
	siginfo_t info;
	ErrorStream* stream = NULL;
	{
		std::lock_guard<std::mutex> lock(state.lock);
		Team* team = FindTeamLocked(state, pid);
		if (team == NULL || team->ended)
			return false;
		memset(&info, 0, sizeof(info));
		if (waitid((idtype_t)P_PIDFD, (id_t)team->pidfd, &info,
				WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0)
			return false;
		stream = team->errors;
	}

	bool streamEnded = false;
	if (stream != NULL) {
		streamEnded = stream->ended || !ReadErrors(*stream);
		// What the child wrote last, though it did not end the line.
		EndLine(*stream);
	}

	std::lock_guard<std::mutex> lock(state.lock);
	Team* team = FindTeamLocked(state, pid);
	NotifyWatchersLocked(state, *team, info);
	if (streamEnded)
		CloseStreamLocked(state, stream);
	else if (stream != NULL) {
		// Someone the child started may still write there.
		stream->lastLine.clear();
		team->errors = NULL;
	}
	if (team->graceFD >= 0) {
		team->ended = true;
		epoll_ctl(state.epollFD, EPOLL_CTL_DEL, team->pidfd, NULL);
		return true;
	}
	waitid((idtype_t)P_PIDFD, (id_t)team->pidfd, &info, WEXITED | WNOHANG);
	ForgetTeamLocked(state, team);
	return true;
}


// The pid is still held (the team is unreaped), so the group is the
// team's own.
bool
GraceOver(RosterState& state, pid_t pid)
{
	std::lock_guard<std::mutex> lock(state.lock);
	Team* team = FindTeamLocked(state, pid);
	if (team == NULL || team->graceFD < 0)
		return false;
	killpg(pid, SIGKILL);
	close(team->graceFD);
	team->graceFD = -1;
	if (!team->ended)
		return false;
	siginfo_t info;
	memset(&info, 0, sizeof(info));
	waitid((idtype_t)P_PIDFD, (id_t)team->pidfd, &info, WEXITED);
	ForgetTeamLocked(state, team);
	return true;
}


void
ErrorOutput(RosterState& state, int fd)
{
	ErrorStream* stream;
	{
		std::lock_guard<std::mutex> lock(state.lock);
		stream = FindStreamLocked(state, fd);
	}
	if (stream == NULL || ReadErrors(*stream))
		return;
	std::lock_guard<std::mutex> lock(state.lock);
	for (const Team& team : state.teams) {
		if (team.errors == stream) {
			stream->ended = true;
			epoll_ctl(state.epollFD, EPOLL_CTL_DEL, stream->fd, NULL);
			return;
		}
	}
	CloseStreamLocked(state, stream);
}


// Reaps our own children as they end (never any other process), tells the
// watchers, and passes their error streams on.
void
Reap(int epollFD)
{
	// Our standard error may be a pipe whose reader is gone: a write then
	// fails, and must not end the program.
	sigset_t pipeSignal;
	sigemptyset(&pipeSignal);
	sigaddset(&pipeSignal, SIGPIPE);
	pthread_sigmask(SIG_BLOCK, &pipeSignal, NULL);
	struct timespec now = { 0, 0 };

	RosterState& state = State();
	struct epoll_event events[16];
	while (true) {
		int count = epoll_wait(epollFD, events, 16, -1);
		if (count <= 0)
			continue;

		bool reaped = false;
		for (int i = 0; i < count; i++) {
			uint32 kind = (uint32)(events[i].data.u64 >> 32);
			uint32 id = (uint32)events[i].data.u64;
			if (kind == kTeamEnded)
				reaped |= TeamEnded(state, (pid_t)id);
			else if (kind == kGraceOver)
				reaped |= GraceOver(state, (pid_t)id);
			else
				ErrorOutput(state, (int)id);
		}
		// A pipe signal that a failed write left is dropped.
		while (sigtimedwait(&pipeSignal, NULL, &now) > 0) {
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


// A program given by the application itself has its error stream read, so
// that its quit notice can tell why it failed; what is opened for the
// desktop (a browser, a document's application) keeps ours, as it may
// outlive us.
status_t
LaunchExecutable(const entry_ref* ref, int argc, const char* const* args,
	team_id* team, bool readErrors)
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
	// Only while our own standard error is open: else its number could be
	// the pipe's, and nothing would be passed on anyway.
	int errorPipe[2] = { -1, -1 };
	if (readErrors && fcntl(STDERR_FILENO, F_GETFD) >= 0
		&& pipe2(errorPipe, O_CLOEXEC) == 0) {
		if (errorPipe[0] <= STDERR_FILENO || errorPipe[1] <= STDERR_FILENO
			|| fcntl(errorPipe[0], F_SETFL, O_NONBLOCK) != 0) {
			close(errorPipe[0]);
			close(errorPipe[1]);
			errorPipe[0] = errorPipe[1] = -1;
		} else {
			posix_spawn_file_actions_adddup2(&actions, errorPipe[1],
				STDERR_FILENO);
		}
	}
	// After the pipe has become the child's standard error.
	posix_spawn_file_actions_addclosefrom_np(&actions, 3);

	RosterState& state = State();
	{
		std::lock_guard<std::mutex> lock(state.lock);
		status = StartReaperLocked(state);
		if (status != B_OK) {
			posix_spawn_file_actions_destroy(&actions);
			posix_spawnattr_destroy(&attributes);
			if (errorPipe[0] >= 0) {
				close(errorPipe[0]);
				close(errorPipe[1]);
			}
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
	if (errorPipe[1] >= 0)
		close(errorPipe[1]);

	if (error != 0) {
		if (errorPipe[0] >= 0)
			close(errorPipe[0]);
		EndLaunch(state);
		return B_LAUNCH_FAILED_EXECUTABLE;
	}

	// Our own child cannot be reaped by anyone else, so its pid is still
	// its own here. The pidfd comes close-on-exec.
	int pidfd = (int)syscall(SYS_pidfd_open, pid, 0);
	if (pidfd < 0) {
		status = BPrivate::StatusFromErrno(errno);
		if (errorPipe[0] >= 0)
			close(errorPipe[0]);
		kill(pid, SIGKILL);
		waitpid(pid, NULL, 0);
		EndLaunch(state);
		return status;
	}
	// The stream and its team are known together, before the reaper can
	// hear of either, so that the reaper, which alone ends a stream, never
	// meets a team whose stream it has ended. Should the team not get into
	// the set below, its stream stays there: the child is killed, and the
	// reaper closes the stream at its end.
	ErrorStream* errors = NULL;
	{
		std::lock_guard<std::mutex> lock(state.lock);
		if (errorPipe[0] >= 0) {
			errors = new ErrorStream;
			errors->fd = errorPipe[0];
			errors->pid = pid;
			state.streams.push_back(std::unique_ptr<ErrorStream>(errors));
		}
		Team launched;
		launched.pid = pid;
		launched.pidfd = pidfd;
		launched.ref = launchedRef;
		launched.errors = errors;
		state.teams.push_back(launched);
	}
	if (errors != NULL) {
		struct epoll_event output;
		memset(&output, 0, sizeof(output));
		output.events = EPOLLIN;
		output.data.u64 = EventData(kErrorOutput, (uint32)errorPipe[0]);
		if (epoll_ctl(state.epollFD, EPOLL_CTL_ADD, errorPipe[0], &output)
				!= 0) {
			// Not read, so not passed on: the child writes as to a closed
			// stream.
			std::lock_guard<std::mutex> lock(state.lock);
			CloseStreamLocked(state, errors);
		}
	}
	// Added without the lock: a short child wakes the reaper at once, and
	// it should not find the lock still taken. The launch counts as under
	// way until the child is in the set, so the roster is not taken for
	// quiet meanwhile.
	struct epoll_event event;
	memset(&event, 0, sizeof(event));
	event.events = EPOLLIN;
	event.data.u64 = EventData(kTeamEnded, (uint32)pid);
	if (epoll_ctl(state.epollFD, EPOLL_CTL_ADD, pidfd, &event) != 0) {
		status = BPrivate::StatusFromErrno(errno);
		{
			std::lock_guard<std::mutex> lock(state.lock);
			Team* launched = FindTeamLocked(state, pid);
			if (launched != NULL)
				state.teams.erase(state.teams.begin()
					+ (launched - state.teams.data()));
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


// The desktop's opener, for what has no preferred application of ours.
status_t
LaunchOpener(const char* argument, team_id* team)
{
	std::string opener;
	status_t status = FindInPath("xdg-open", &opener);
	if (status != B_OK) {
		// A lean install leaves the desktop's tools out: say which one
		// this needed, where someone may read it.
		fprintf(stderr, "%s: per aprire %s serve xdg-open (pacchetto "
			"xdg-utils), che non è installato.\n",
			program_invocation_short_name, argument);
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	}
	entry_ref ref;
	status = get_ref_for_path(opener.c_str(), &ref);
	if (status != B_OK)
		return status;
	return LaunchExecutable(&ref, 1, &argument, team, false);
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
	return LaunchExecutable(ref, argc, args, team, true);
}


status_t
BRoster::Launch(const char* mimeType, int argc, const char* const* args,
	team_id* team) const
{
	if (mimeType == NULL)
		return B_BAD_VALUE;
	entry_ref app;
	if (PreferredAppRef(mimeType, &app) == B_OK)
		return LaunchExecutable(&app, argc, args, team, false);
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
		return LaunchExecutable(&app, 1, &argument, team, false);
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


// SIGTERM first, so that an encoder can remove what it was writing; what
// of the group still runs after the grace time gets SIGKILL.
status_t
kill_team(team_id team)
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	Team* entry = FindTeamLocked(state, (pid_t)team);
	if (entry == NULL || entry->ended)
		return B_BAD_TEAM_ID;
	// Not reaped yet, so the group id cannot belong to anyone else.
	if (killpg(entry->pid, SIGTERM) != 0)
		return BPrivate::StatusFromErrno(errno);
	if (entry->graceFD >= 0)
		return B_OK;

	int graceFD = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
	struct itimerspec grace;
	memset(&grace, 0, sizeof(grace));
	grace.it_value.tv_sec = kKillGraceSeconds;
	struct epoll_event event;
	memset(&event, 0, sizeof(event));
	event.events = EPOLLIN;
	event.data.u64 = EventData(kGraceOver, (uint32)entry->pid);
	if (graceFD < 0 || timerfd_settime(graceFD, 0, &grace, NULL) != 0
		|| epoll_ctl(state.epollFD, EPOLL_CTL_ADD, graceFD, &event) != 0) {
		// Without a timer there is no grace time.
		if (graceFD >= 0)
			close(graceFD);
		killpg(entry->pid, SIGKILL);
		return B_OK;
	}
	entry->graceFD = graceFD;
	return B_OK;
}


namespace {

// Without close_range (kernels before 5.9), one by one up to our limit.
void
CloseRange(unsigned int first, unsigned int last, unsigned int highest)
{
	if (syscall(SYS_close_range, first, last, 0) == 0)
		return;
	for (unsigned int fd = first; fd <= last && fd <= highest; fd++)
		close((int)fd);
}


// Copies every stream to our standard error until each has ended. Runs in
// a child forked from a program with threads, so it keeps to system calls;
// everything it needs was made before the fork.
[[noreturn]] void
RelayStreams(struct pollfd* streams, int count)
{
	struct sigaction ignore;
	memset(&ignore, 0, sizeof(ignore));
	ignore.sa_handler = SIG_IGN;
	// A standard error that is gone must not end the relay: the writers
	// would then die of SIGPIPE themselves.
	sigaction(SIGPIPE, &ignore, NULL);
	char buffer[16384];
	int open = count;
	while (open > 0) {
		if (poll(streams, count, -1) < 0) {
			if (errno == EINTR)
				continue;
			break;
		}
		for (int i = 0; i < count; i++) {
			if (streams[i].fd < 0 || streams[i].revents == 0)
				continue;
			ssize_t got = read(streams[i].fd, buffer, sizeof(buffer));
			if (got < 0 && (errno == EINTR || errno == EAGAIN))
				continue;
			if (got <= 0) {
				close(streams[i].fd);
				streams[i].fd = -1;
				open--;
				continue;
			}
			PassOn(buffer, (size_t)got);
		}
	}
	_exit(0);
}

} // namespace


namespace BPrivate {

// What the application leaves behind as it quits. A team that is being
// killed gets SIGKILL now, not at the end of a grace time nobody would be
// left to keep. The error streams of teams that go on (the encoder that
// is left to finish) pass to a small relay process, which copies them to
// where ours goes until they end: were their pipes closed, the next line
// a program wrote would end it with SIGPIPE.
void
ShutDownRoster()
{
	RosterState& state = State();
	std::vector<struct pollfd> streams;
	{
		std::lock_guard<std::mutex> lock(state.lock);
		for (Team& team : state.teams) {
			if (team.graceFD >= 0) {
				killpg(team.pid, SIGKILL);
				kill(team.pid, SIGKILL);
			}
		}
		for (std::unique_ptr<ErrorStream>& stream : state.streams) {
			// One read to its end has nothing more to pass on.
			if (stream->relayed || stream->ended)
				continue;
			// The reaper reads it no more; it stays open (and owned) here,
			// as a read under way may still hold it.
			stream->relayed = true;
			epoll_ctl(state.epollFD, EPOLL_CTL_DEL, stream->fd, NULL);
			for (Team& team : state.teams) {
				if (team.errors == stream.get())
					team.errors = NULL;
			}
			streams.push_back(pollfd{ stream->fd, POLLIN, 0 });
		}
	}
	if (streams.empty())
		return;

	// Nothing of ours but the streams and our standard error goes along.
	std::vector<int> keep;
	keep.push_back(STDERR_FILENO);
	for (const struct pollfd& stream : streams)
		keep.push_back(stream.fd);
	std::sort(keep.begin(), keep.end());
	struct rlimit limit;
	unsigned int highest = 65535;
	if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
		&& limit.rlim_cur < highest)
		highest = (unsigned int)limit.rlim_cur - 1;
	pid_t relay = fork();
	if (relay != 0)
		return;
	sigset_t none;
	sigemptyset(&none);
	pthread_sigmask(SIG_SETMASK, &none, NULL);
	unsigned int from = 0;
	for (int fd : keep) {
		if ((unsigned int)fd > from)
			CloseRange(from, (unsigned int)fd - 1, highest);
		from = (unsigned int)fd + 1;
	}
	CloseRange(from, ~0U, highest);
	// Left non-blocking: the flag belongs to the pipe's end, which our
	// reaper may be reading as well until we exit.
	RelayStreams(streams.data(), (int)streams.size());
}


bool
RosterIsQuiet()
{
	RosterState& state = State();
	std::lock_guard<std::mutex> lock(state.lock);
	if (state.launching > 0)
		return false;
	if (state.teams.empty())
		return true;
	// A team that is being killed has yet to end, and the end it is sure
	// to come to, within the grace time, is the kill's consequence.
	for (const Team& team : state.teams) {
		if (team.graceFD >= 0 && !team.ended)
			return false;
	}
	// The epoll set is readable while any team in it has ended: one look
	// however many teams there are.
	struct pollfd ended = { state.epollFD, POLLIN, 0 };
	return poll(&ended, 1, 0) == 0;
}

} // namespace BPrivate
