#include <Notification.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <systemd/sd-bus.h>

#include <Errors.h>

#include "display/DisplayServer.h"

namespace {

// How long a notification may take when the caller gives no timeout: the
// window that sends it waits meanwhile.
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
	sd_bus* bus = NULL;
	if (sd_bus_open_user(&bus) < 0)
		return B_ERROR;

	// The freedesktop urgency: 0 low, 1 normal, 2 critical.
	uint8_t urgency = fType == B_ERROR_NOTIFICATION ? 2
		: fType == B_PROGRESS_NOTIFICATION ? 0 : 1;
	std::string application = BPrivate::DisplayServer::ApplicationName();
	sd_bus_message* call = NULL;
	sd_bus_message* reply = NULL;
	int result = sd_bus_message_new_method_call(bus, &call,
		"org.freedesktop.Notifications", "/org/freedesktop/Notifications",
		"org.freedesktop.Notifications", "Notify");
	if (result >= 0) {
		result = sd_bus_message_append(call, "susssas", application.c_str(),
			(uint32_t)0, "", fTitle.c_str(), fContent.c_str(), 0);
	}
	if (result >= 0) {
		result = sd_bus_message_append(call, "a{sv}i", 1, "urgency", "y",
			urgency, (int32_t)-1);
	}
	if (result >= 0) {
		result = sd_bus_call(bus, call,
			(uint64_t)(timeout > 0 ? timeout : kDefaultTimeout), NULL, &reply);
	}
	sd_bus_message_unref(reply);
	sd_bus_message_unref(call);
	sd_bus_flush_close_unref(bus);
	return result >= 0 ? B_OK : B_ERROR;
}
