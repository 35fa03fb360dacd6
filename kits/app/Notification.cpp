#include <Notification.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include <systemd/sd-bus.h>

#include <Errors.h>

#include "display/DisplayServer.h"

namespace {

// How long the service may take with a notification when the caller gives
// no timeout.
const bigtime_t kDefaultTimeout = 3000000;


bool
MayHaveSessionBus()
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	struct stat st;
	return runtime != NULL && runtime[0] != '\0'
		&& stat((std::string(runtime) + "/bus").c_str(), &st) == 0;
}


struct Pending {
	std::string				application;
	std::string				title;
	std::string				content;
	uint8_t					urgency;
	uint64_t				timeout;
};


void
Deliver(const Pending& pending)
{
	sd_bus* bus = NULL;
	if (sd_bus_open_user(&bus) < 0)
		return;
	sd_bus_message* call = NULL;
	sd_bus_message* reply = NULL;
	int result = sd_bus_message_new_method_call(bus, &call,
		"org.freedesktop.Notifications", "/org/freedesktop/Notifications",
		"org.freedesktop.Notifications", "Notify");
	if (result >= 0) {
		result = sd_bus_message_append(call, "susssas",
			pending.application.c_str(), (uint32_t)0, "",
			pending.title.c_str(), pending.content.c_str(), 0);
	}
	if (result >= 0) {
		result = sd_bus_message_append(call, "a{sv}i", 1, "urgency", "y",
			pending.urgency, (int32_t)-1);
	}
	if (result >= 0)
		sd_bus_call(bus, call, pending.timeout, NULL, &reply);
	sd_bus_message_unref(reply);
	sd_bus_message_unref(call);
	sd_bus_flush_close_unref(bus);
}


// The window that sends a notification (the main window, at the end of a
// run) goes on at once: a service that is slow, or never answers, would
// otherwise freeze it. One thread delivers them in order; at exit, what is
// still queued goes out, each within its own timeout, so that a run's last
// word is not lost when the program quits right after it.
class Sender {
public:
	~Sender()
	{
		{
			std::lock_guard<std::mutex> lock(fLock);
			fStopping = true;
		}
		fWake.notify_all();
		if (fThread.joinable())
			fThread.join();
	}

	void Add(Pending&& pending)
	{
		std::lock_guard<std::mutex> lock(fLock);
		fQueue.push_back(std::move(pending));
		if (!fThread.joinable())
			fThread = std::thread([this] { _Run(); });
		fWake.notify_one();
	}

private:
	void _Run()
	{
		std::unique_lock<std::mutex> lock(fLock);
		while (true) {
			fWake.wait(lock, [this] {
				return !fQueue.empty() || fStopping;
			});
			if (fQueue.empty())
				return;
			Pending pending = std::move(fQueue.front());
			fQueue.pop_front();
			lock.unlock();
			Deliver(pending);
			lock.lock();
		}
	}

	std::mutex				fLock;
	std::condition_variable	fWake;
	std::deque<Pending>		fQueue;
	std::thread				fThread;
	bool					fStopping = false;
};


Sender&
TheSender()
{
	static Sender sender;
	return sender;
}

} // namespace


BNotification::BNotification(notification_type type)
	:
	fType(type)
{
}


BNotification::~BNotification()
{
}


void
BNotification::SetGroup(const char* group)
{
	fGroup = group != NULL ? group : "";
}


void
BNotification::SetTitle(const char* title)
{
	fTitle = title != NULL ? title : "";
}


void
BNotification::SetContent(const char* content)
{
	fContent = content != NULL ? content : "";
}


status_t
BNotification::Send(bigtime_t timeout)
{
	if (!MayHaveSessionBus())
		return B_ERROR;
	// The freedesktop urgency: 0 low, 1 normal, 2 critical.
	Pending pending;
	pending.urgency = fType == B_ERROR_NOTIFICATION ? 2
		: fType == B_PROGRESS_NOTIFICATION ? 0 : 1;
	pending.application = BPrivate::DisplayServer::ApplicationName();
	pending.title = fTitle;
	pending.content = fContent;
	pending.timeout = (uint64_t)(timeout > 0 ? timeout : kDefaultTimeout);
	TheSender().Add(std::move(pending));
	return B_OK;
}
