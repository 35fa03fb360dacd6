#include <Application.h>

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <Message.h>
#include <Window.h>

#include "display/DisplayServer.h"
#include "private/app/LooperState.h"
#include "private/interface/OutsideQuit.h"
#include "private/app/ApplicationPrivate.h"
#include "private/app/LooperPrivate.h"
#include "private/app/HandlerPrivate.h"
#include "private/app/RosterState.h"

BApplication* be_app = NULL;
BMessenger be_app_messenger;

namespace {

// Never destroyed: window threads may still be ending as the process
// exits.
struct WindowList {
	std::mutex lock;
	// With their looper tokens, read while the window was surely alive.
	std::vector<std::pair<BWindow*, int32> > windows;
};

WindowList&
Windows()
{
	static WindowList* sList = new WindowList;
	return *sList;
}

// SIGTERM, SIGINT and SIGHUP reach the application as a quit request from
// outside the program. Blocked in every thread (threads inherit the mask
// of the thread that creates them), taken by one thread through a
// signalfd.
class SignalWatcher {
public:
	// Before any thread of the kits is made: a thread born with the
	// signals open would take one itself and end the process on the spot,
	// or stop in the middle of the leak checker's stop of the world at
	// exit. They stay blocked until the process ends; one arriving once
	// the watcher has stopped is simply never taken.
	void Block()
	{
		sigset_t signals;
		_Signals(&signals);
		pthread_sigmask(SIG_BLOCK, &signals, NULL);
	}

	void Start()
	{
		sigset_t signals;
		_Signals(&signals);
		pthread_sigmask(SIG_BLOCK, &signals, NULL);
		fSignalFD = signalfd(-1, &signals, SFD_CLOEXEC);
		fStopFD = eventfd(0, EFD_CLOEXEC);
		if (fSignalFD < 0 || fStopFD < 0)
			return;
		fThread = std::thread([this] { _Watch(); });
	}

	// Once the process exits nothing takes them any more: one still
	// pending, or one coming while the leak checker stops every thread
	// with ptrace, is thrown away rather than left to a thread in the
	// middle of that stop. Registered once, so that it runs before the
	// checker (handlers run in reverse order), and only at exit: a process
	// that goes on after its application, and what it starts, keeps the
	// usual actions.
	void IgnoreAtExit()
	{
		static std::once_flag sOnce;
		std::call_once(sOnce, [] { atexit(_Ignore); });
	}

	void Stop()
	{
		if (fThread.joinable()) {
			uint64_t one = 1;
			if (write(fStopFD, &one, sizeof(one)) < 0) {
				// The thread would not end; nothing else can be done.
			}
			fThread.join();
		}
		if (fSignalFD >= 0)
			close(fSignalFD);
		if (fStopFD >= 0)
			close(fStopFD);
		fSignalFD = fStopFD = -1;
	}

private:
	static void _Ignore()
	{
		struct sigaction action;
		memset(&action, 0, sizeof(action));
		action.sa_handler = SIG_IGN;
		sigemptyset(&action.sa_mask);
		for (int signal : { SIGTERM, SIGINT, SIGHUP })
			sigaction(signal, &action, NULL);
	}

	static void _Signals(sigset_t* signals)
	{
		sigemptyset(signals);
		sigaddset(signals, SIGTERM);
		sigaddset(signals, SIGINT);
		sigaddset(signals, SIGHUP);
	}

	void _Watch()
	{
		struct pollfd fds[2] = {
			{ fSignalFD, POLLIN, 0 },
			{ fStopFD, POLLIN, 0 }
		};
		while (true) {
			if (poll(fds, 2, -1) < 0) {
				if (errno == EINTR)
					continue;
				return;
			}
			if (fds[1].revents != 0)
				return;
			struct signalfd_siginfo info;
			if (read(fSignalFD, &info, sizeof(info)) == sizeof(info))
				BPrivate::QuitFromOutside();
		}
	}

	int fSignalFD = -1;
	int fStopFD = -1;
	std::thread fThread;
};

SignalWatcher sSignalWatcher;
BPrivate::DisplayServer* sDisplay = NULL;


std::vector<std::string>
CommandLine()
{
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	std::string all((std::istreambuf_iterator<char>(file)),
		std::istreambuf_iterator<char>());
	std::vector<std::string> words;
	size_t start = 0;
	while (start < all.size()) {
		size_t end = all.find('\0', start);
		if (end == std::string::npos)
			end = all.size();
		words.push_back(all.substr(start, end - start));
		start = end + 1;
	}
	return words;
}

} // namespace


BApplication::BApplication(const char* signature)
	:
	BLooper("application")
{
	_Init(signature, NULL);
}


BApplication::BApplication(const char* signature, status_t* error)
	:
	BLooper("application")
{
	_Init(signature, error);
}


void
BApplication::_Init(const char* signature, status_t* error)
{
	fOwnsThread = false;
	fSignature = strdup(signature != NULL ? signature : "");
	fLaunching = true;
	fInitStatus = B_OK;
	be_app = this;
	be_app_messenger = BMessenger(this);

	sSignalWatcher.Block();
	sSignalWatcher.IgnoreAtExit();
	std::string message;
	sDisplay = BPrivate::DisplayServer::Create(&message);
	if (sDisplay == NULL) {
		fprintf(stderr, "%s\n", message.c_str());
		fInitStatus = B_ERROR;
		if (error != NULL) {
			*error = fInitStatus;
			return;
		}
		exit(1);
	}
	BPrivate::DisplayServer::SetCurrent(sDisplay);
	sSignalWatcher.Start();

	// The desktop hands files over as "--refs FILE...": they arrive as
	// refs while the application launches. Other words are the argv,
	// which comes first, as on BeOS.
	std::vector<std::string> words = CommandLine();
	BMessage refs(B_REFS_RECEIVED);
	auto refsFlag = std::find(words.begin(), words.end(), "--refs");
	if (refsFlag != words.end()) {
		for (auto it = refsFlag + 1; it != words.end(); ++it) {
			entry_ref ref;
			if (get_ref_for_path(it->c_str(), &ref) == B_OK)
				refs.AddRef("refs", &ref);
		}
		words.erase(refsFlag, words.end());
	}
	if (words.size() > 1) {
		BMessage argv(B_ARGV_RECEIVED);
		argv.AddInt32("argc", (int32)words.size());
		for (const std::string& word : words)
			argv.AddString("argv", word.c_str());
		PostMessage(&argv);
	}
	if (!refs.IsEmpty())
		PostMessage(&refs);
	if (error != NULL)
		*error = B_OK;
}


BApplication::~BApplication()
{
	// Windows still open are closed without asking. A window may be
	// deleting itself meanwhile, so each is reached by its token.
	while (true) {
		std::vector<int32> tokens = Private::WindowTokens();
		if (tokens.empty())
			break;
		for (int32 token : tokens) {
			BWindow* window = _LockWindow(token);
			if (window != NULL)
				window->Quit();
		}
		// What is left is leaving by itself, or was never built right:
		// do not wait for it.
		std::lock_guard<std::mutex> lock(Windows().lock);
		std::vector<std::pair<BWindow*, int32> >& windows
			= Windows().windows;
		windows.erase(std::remove_if(windows.begin(), windows.end(),
				[&tokens](const std::pair<BWindow*, int32>& entry) {
					return std::find(tokens.begin(), tokens.end(),
						entry.second) != tokens.end();
				}),
			windows.end());
	}
	sSignalWatcher.Stop();
	int status = 0;
	if (sDisplay != NULL) {
		sDisplay->Stop();
		status = sDisplay->ExitStatus();
		BPrivate::DisplayServer::SetCurrent(NULL);
		delete sDisplay;
		sDisplay = NULL;
	}
	BPrivate::ShutDownRoster();
	free(fSignature);
	be_app_messenger = BMessenger();
	be_app = NULL;
	if (status != 0) {
		// The display says the session failed (a script that could not be
		// performed): the program ends with its status, the settings
		// stored as usual.
		fflush(stdout);
		fflush(stderr);
		_exit(status);
	}
}


thread_id
BApplication::Run()
{
	if (fInitStatus != B_OK)
		return fInitStatus;
	sDisplay->Start();
	PostMessage(B_READY_TO_RUN);
	BLooper::Private(this).RunInThisThread();
	return find_thread(NULL);
}


void
BApplication::Quit()
{
	BLooper::Quit();
}


bool
BApplication::QuitRequested()
{
	return _QuitAllWindows();
}


// Asks every window, in turn, and closes those that agree.
bool
BApplication::_QuitAllWindows()
{
	for (int32 token : Private::WindowTokens()) {
		BWindow* window = _LockWindow(token);
		if (window == NULL)
			continue;
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}


BWindow*
BApplication::_LockWindow(int32 token)
{
	std::shared_ptr<BPrivate::LooperState> state
		= BPrivate::FindLooperState(token);
	if (BPrivate::LockLooperState(state, B_INFINITE_TIMEOUT) != B_OK)
		return NULL;
	// Locked: the looper cannot be deleted under us now.
	BLooper* looper;
	{
		std::lock_guard<std::mutex> lock(state->queueMutex);
		looper = state->looper;
	}
	BWindow* window = dynamic_cast<BWindow*>(looper);
	if (window == NULL)
		BPrivate::UnlockLooperState(state);
	return window;
}


void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_READY_TO_RUN:
			if (fLaunching) {
				ReadyToRun();
				fLaunching = false;
			}
			break;
		case B_ARGV_RECEIVED:
		{
			int32 count = 0;
			type_code type;
			message->GetInfo("argv", &type, &count);
			std::vector<char*> argv;
			for (int32 i = 0; i < count; i++) {
				const char* word;
				if (message->FindString("argv", i, &word) == B_OK)
					argv.push_back(const_cast<char*>(word));
			}
			argv.push_back(NULL);
			ArgvReceived((int32)argv.size() - 1, argv.data());
			break;
		}
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		case B_QUIT_REQUESTED:
			if (QuitRequested())
				Quit();
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}


void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BApplication::ReadyToRun()
{
}


void
BApplication::ArgvReceived(int32, char**)
{
}


void
BApplication::RefsReceived(BMessage*)
{
}


void
BApplication::AboutRequested()
{
}


void
BApplication::AppActivated(bool)
{
}


bool
BApplication::IsLaunching() const
{
	return fLaunching;
}


status_t
BApplication::GetAppInfo(app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	char path[B_PATH_NAME_LENGTH];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path));
	if (length < 0 || length >= (ssize_t)sizeof(path))
		return B_ERROR;
	path[length] = '\0';
	status_t status = get_ref_for_path(path, &info->ref);
	if (status != B_OK)
		return status;
	info->thread = Thread();
	info->team = (team_id)getpid();
	info->port = -1;
	info->flags = B_MULTIPLE_LAUNCH;
	snprintf(info->signature, sizeof(info->signature), "%s", fSignature);
	return B_OK;
}


const char*
BApplication::Signature() const
{
	return fSignature;
}


int32
BApplication::CountWindows() const
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	return (int32)Windows().windows.size();
}


BWindow*
BApplication::WindowAt(int32 index) const
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	if (index < 0 || index >= (int32)Windows().windows.size())
		return NULL;
	return Windows().windows[index].first;
}


void
BApplication::Private::AddWindow(BWindow* window)
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	Windows().windows.push_back(std::make_pair(window,
		BHandler::Private(window).Token()));
}


void
BApplication::Private::RemoveWindow(BWindow* window)
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	std::vector<std::pair<BWindow*, int32> >& windows = Windows().windows;
	windows.erase(std::remove_if(windows.begin(), windows.end(),
			[window](const std::pair<BWindow*, int32>& entry) {
				return entry.first == window;
			}),
		windows.end());
}


std::vector<int32>
BApplication::Private::WindowTokens()
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	std::vector<int32> tokens;
	for (const std::pair<BWindow*, int32>& entry : Windows().windows)
		tokens.push_back(entry.second);
	return tokens;
}
