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
#include "private/LooperState.h"
#include "private/interface/OutsideQuit.h"

BApplication* be_app = NULL;
BMessenger be_app_messenger;

namespace {

// Never destroyed: window threads may still be ending as the process
// exits.
struct WindowList {
	std::mutex lock;
	std::vector<BWindow*> windows;
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
	void Start()
	{
		sigset_t signals;
		sigemptyset(&signals);
		sigaddset(&signals, SIGTERM);
		sigaddset(&signals, SIGINT);
		sigaddset(&signals, SIGHUP);
		pthread_sigmask(SIG_BLOCK, &signals, NULL);
		fSignalFD = signalfd(-1, &signals, SFD_CLOEXEC);
		fStopFD = eventfd(0, EFD_CLOEXEC);
		if (fSignalFD < 0 || fStopFD < 0)
			return;
		fThread = std::thread([this] { _Watch(); });
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
	// Windows still open are closed without asking.
	while (true) {
		BWindow* window = WindowAt(0);
		if (window == NULL)
			break;
		BMessenger messenger(window);
		if (!messenger.LockTarget()) {
			_RemoveWindow(window);
			continue;
		}
		window->Quit();
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
	_RunInThisThread();
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
	std::vector<BWindow*> windows;
	{
		std::lock_guard<std::mutex> lock(Windows().lock);
		windows = Windows().windows;
	}
	for (BWindow* window : windows) {
		BMessenger messenger;
		{
			std::lock_guard<std::mutex> lock(Windows().lock);
			if (std::find(Windows().windows.begin(), Windows().windows.end(), window)
					== Windows().windows.end())
				continue;
			messenger = BMessenger(window);
		}
		if (!messenger.LockTarget())
			continue;
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
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
	return Windows().windows[index];
}


void
BApplication::_AddWindow(BWindow* window)
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	Windows().windows.push_back(window);
}


void
BApplication::_RemoveWindow(BWindow* window)
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	Windows().windows.erase(std::remove(Windows().windows.begin(), Windows().windows.end(), window),
		Windows().windows.end());
}


std::vector<int32>
BApplication::_WindowTokens() const
{
	std::lock_guard<std::mutex> lock(Windows().lock);
	std::vector<int32> tokens;
	for (BWindow* window : Windows().windows)
		tokens.push_back(window->_Token());
	return tokens;
}
