#include "display/accessibility/AccessibilityBridge.h"

#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace BPrivate {

const char* const kRootPath = "/org/a11y/atspi/accessible/root";
const char* const kPrefix = "/org/a11y/atspi/accessible";
const char* const kNullPath = "/org/a11y/atspi/null";

const char* const kAccessible = "org.a11y.atspi.Accessible";
const char* const kApplication = "org.a11y.atspi.Application";
const char* const kComponent = "org.a11y.atspi.Component";
const char* const kAction = "org.a11y.atspi.Action";
const char* const kText = "org.a11y.atspi.Text";
const char* const kEditableText = "org.a11y.atspi.EditableText";
const char* const kSelection = "org.a11y.atspi.Selection";

namespace {

// How long after the first window is shown the bus is connected to.
const int64 kFirstWindowGrace = 100000;


int64
Now()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace


// Events go out on the bus as they are made.
class AccessibilityBridge::EventSender : public AccessibleEventSink {
public:
	EventSender(sd_bus* bus, const std::string& uniqueName)
		:
		fBus(bus),
		fUniqueName(uniqueName)
	{
	}

	void Emit(const AccessibleEvent& event) override
	{
		sd_bus_message* signal = NULL;
		int result = sd_bus_message_new_signal(fBus, &signal,
			event.source.Path().c_str(), event.interface, event.member);
		if (result >= 0) {
			result = sd_bus_message_append(signal, "sii",
				event.detail.c_str(), event.detail1, event.detail2);
		}
		if (result >= 0) {
			if (event.hasObject) {
				result = sd_bus_message_append(signal, "v", "(so)",
					fUniqueName.c_str(), event.object.Path().c_str());
			} else if (event.hasText) {
				result = sd_bus_message_append(signal, "v", "s",
					event.text.c_str());
			} else
				result = sd_bus_message_append(signal, "v", "i", 0);
		}
		if (result >= 0)
			result = sd_bus_message_append(signal, "a{sv}", 0);
		if (result >= 0)
			sd_bus_send(fBus, signal, NULL);
		sd_bus_message_unref(signal);
	}

private:
	sd_bus*				fBus;
	std::string			fUniqueName;
};



AccessibilityBridge::AccessibilityBridge(const std::string& applicationName,
	float scale)
	:
	fState(applicationName),
	fBus(NULL),
	fSender(NULL),
	fEvents(NULL),
	fWake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
	fActive(true),
	fStopping(false),
	fFirstShown(0)
{
	fState.tree.SetScale(scale);
	if (fWake < 0) {
		fActive = false;
		return;
	}
	fThread = std::thread([this] { _Run(); });
}


AccessibilityBridge::~AccessibilityBridge()
{
	fStopping = true;
	if (fWake >= 0) {
		uint64_t one = 1;
		ssize_t written = write(fWake, &one, sizeof(one));
		(void)written;
	}
	if (fThread.joinable())
		fThread.join();
	delete fEvents;
	delete fSender;
	if (fBus != NULL)
		sd_bus_flush_close_unref(fBus);
	if (fWake >= 0)
		close(fWake);
}


std::string
AccessibilityBridge::BusAddress()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fActive ? fAddress : std::string();
}


bool
AccessibilityBridge::MayHaveBus()
{
	const char* address = getenv("AT_SPI_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime == NULL || runtime[0] == '\0')
		return false;
	struct stat st;
	return stat((std::string(runtime) + "/bus").c_str(), &st) == 0;
}


void
AccessibilityBridge::Feed(const DisplayCommand& command)
{
	if (!fActive)
		return;
	std::lock_guard<std::mutex> lock(fLock);
	if (!fActive)
		return;
	bool wake = fQueue.empty();
	if (command.code == B_DISPLAY_WINDOW_SHOWN && fFirstShown == 0) {
		fFirstShown = Now();
		wake = true;
	}
	fQueue.push_back(command);
	if (wake) {
		uint64_t one = 1;
		ssize_t written = write(fWake, &one, sizeof(one));
		(void)written;
	}
}


void
AccessibilityBridge::_Run()
{
	if (!_AwaitFirstWindow() || !_Connect() || !_Register()) {
		// Nobody to serve: what comes is dropped, and nothing is said.
		std::lock_guard<std::mutex> lock(fLock);
		fActive = false;
		fQueue.clear();
		return;
	}

	while (!fStopping) {
		int result;
		do {
			result = sd_bus_process(fBus, NULL);
		} while (result > 0 && !fStopping);
		if (result < 0)
			break;
		_Drain();
		sd_bus_flush(fBus);

		struct pollfd fds[2];
		fds[0].fd = sd_bus_get_fd(fBus);
		fds[0].events = (short)sd_bus_get_events(fBus);
		fds[0].revents = 0;
		fds[1].fd = fWake;
		fds[1].events = POLLIN;
		fds[1].revents = 0;
		uint64_t timeout;
		int wait = -1;
		if (sd_bus_get_timeout(fBus, &timeout) >= 0
			&& timeout != UINT64_MAX) {
			struct timespec now;
			clock_gettime(CLOCK_MONOTONIC, &now);
			uint64_t nowUsec = (uint64_t)now.tv_sec * 1000000
				+ now.tv_nsec / 1000;
			wait = timeout <= nowUsec ? 0
				: (int)std::min<uint64_t>((timeout - nowUsec + 999) / 1000,
					60000);
		}
		poll(fds, 2, wait);
		if ((fds[1].revents & POLLIN) != 0) {
			uint64_t count;
			ssize_t got = read(fWake, &count, sizeof(count));
			(void)got;
		}
	}

	std::lock_guard<std::mutex> lock(fLock);
	fActive = false;
	fQueue.clear();
}


// The first window comes first: connecting, and the work it makes the bus
// and the registry do, would take the processor from its drawing. What the
// kits send meanwhile waits in the queue, so nothing is lost; a program
// that ends before it has shown a window never connects.
bool
AccessibilityBridge::_AwaitFirstWindow()
{
	while (!fStopping) {
		int64 shown = fFirstShown;
		int wait = -1;
		if (shown != 0) {
			int64 left = shown + kFirstWindowGrace - Now();
			if (left <= 0)
				return true;
			wait = (int)((left + 999) / 1000);
		}
		struct pollfd fd;
		fd.fd = fWake;
		fd.events = POLLIN;
		fd.revents = 0;
		if (poll(&fd, 1, wait) > 0 && (fd.revents & POLLIN) != 0) {
			uint64_t count;
			ssize_t got = read(fWake, &count, sizeof(count));
			(void)got;
		}
	}
	return false;
}


bool
AccessibilityBridge::_Connect()
{
	std::string address;
	const char* given = getenv("AT_SPI_BUS_ADDRESS");
	if (given != NULL && given[0] != '\0')
		address = given;
	else {
		sd_bus* session = NULL;
		if (sd_bus_open_user(&session) < 0)
			return false;
		// Only a desktop whose accessibility bus runs is served: asking
		// for it would start one in every session, screen reader or not.
		sd_bus_message* reply = NULL;
		int owned = 0;
		if (sd_bus_call_method(session, "org.freedesktop.DBus",
				"/org/freedesktop/DBus", "org.freedesktop.DBus",
				"NameHasOwner", NULL, &reply, "s", "org.a11y.Bus") >= 0)
			sd_bus_message_read(reply, "b", &owned);
		reply = sd_bus_message_unref(reply);
		if (owned && sd_bus_call_method(session, "org.a11y.Bus",
				"/org/a11y/bus", "org.a11y.Bus", "GetAddress", NULL, &reply,
				"") >= 0) {
			const char* text = NULL;
			if (sd_bus_message_read(reply, "s", &text) >= 0 && text != NULL)
				address = text;
		}
		sd_bus_message_unref(reply);
		sd_bus_flush_close_unref(session);
	}
	if (address.empty() || fStopping)
		return false;

	if (sd_bus_new(&fBus) < 0)
		return false;
	if (sd_bus_set_address(fBus, address.c_str()) < 0
		|| sd_bus_set_bus_client(fBus, 1) < 0
		|| sd_bus_start(fBus) < 0) {
		fBus = sd_bus_unref(fBus);
		return false;
	}
	const char* unique = NULL;
	if (sd_bus_get_unique_name(fBus, &unique) < 0 || unique == NULL) {
		fBus = sd_bus_flush_close_unref(fBus);
		return false;
	}
	fState.uniqueName = unique;
	fConnectedAddress = address;
	return true;
}


bool
AccessibilityBridge::_Register()
{
	struct Table {
		const char*				interface;
		const sd_bus_vtable*	vtable;
	};
	const Table tables[] = {
		{ kAccessible, kAccessibleTable },
		{ kApplication, kApplicationTable },
		{ kComponent, kComponentTable },
		{ kAction, kActionTable },
		{ kText, kTextTable },
		{ kEditableText, kEditableTextTable },
		{ kSelection, kSelectionTable }
	};
	for (const Table& table : tables) {
		if (sd_bus_add_fallback_vtable(fBus, NULL, kPrefix, table.interface,
				table.vtable, FindObject, &fState) < 0)
			return false;
	}

	if (sd_bus_add_object_vtable(fBus, NULL, "/org/a11y/atspi/cache",
			"org.a11y.atspi.Cache", kCacheTable, &fState) < 0)
		return false;

	// Embedded under the registry's desktop, as every AT-SPI application
	// is; the answer names our parent.
	sd_bus_message* reply = NULL;
	int result = sd_bus_call_method(fBus, "org.a11y.atspi.Registry",
		kRootPath, "org.a11y.atspi.Socket", "Embed", NULL, &reply, "(so)",
		fState.uniqueName.c_str(), kRootPath);
	if (result < 0)
		return false;
	const char* name = NULL;
	const char* path = NULL;
	if (sd_bus_message_read(reply, "(so)", &name, &path) >= 0
		&& name != NULL && path != NULL) {
		fState.desktopName = name;
		fState.desktopPath = path;
	}
	sd_bus_message_unref(reply);
	fSender = new EventSender(fBus, fState.uniqueName);
	fEvents = new AccessibleEvents(fState.mirror, fState.tree, *fSender);
	std::lock_guard<std::mutex> lock(fLock);
	fAddress = fConnectedAddress;
	return true;
}


void
AccessibilityBridge::_Drain()
{
	std::deque<DisplayCommand> commands;
	{
		std::lock_guard<std::mutex> lock(fLock);
		commands.swap(fQueue);
	}
	for (DisplayCommand& command : commands)
		fEvents->Apply(command);
	fEvents->Flush();
}

} // namespace BPrivate
