#include "display/accessibility/DeviceEvents.h"

#include <errno.h>

#include <systemd/sd-bus.h>

#include "display/DisplayServer.h"

namespace BPrivate {

namespace {

// How long a key waits for the screen reader: long enough for one on a
// busy machine, short enough that a hung one does not hold the keyboard.
const uint64 kKeyTimeout = 1000000;

// AT-SPI's event types.
const uint32 kKeyPressed = 0;
const uint32 kKeyReleased = 1;

} // namespace


DeviceEvents::DeviceEvents(AddressFunction address)
	:
	fAddressFunction(address != NULL ? address : AccessibilityBusAddress),
	fBus(NULL)
{
}


DeviceEvents::~DeviceEvents()
{
	if (fBus != NULL)
		sd_bus_flush_close_unref(fBus);
}


bool
DeviceEvents::Offer(const DeviceKey& key)
{
	std::string address = fAddressFunction();
	if (address.empty())
		return false;
	if ((fBus == NULL || address != fAddress) && !_Connect(address))
		return false;

	sd_bus_message* call = NULL;
	sd_bus_message* reply = NULL;
	int result = sd_bus_message_new_method_call(fBus, &call,
		"org.a11y.atspi.Registry",
		"/org/a11y/atspi/registry/deviceeventcontroller",
		"org.a11y.atspi.DeviceEventController", "NotifyListenersSync");
	if (result >= 0) {
		result = sd_bus_message_append(call, Signature(),
			key.pressed ? kKeyPressed : kKeyReleased, key.keysym,
			key.keycode, key.modifiers, key.timestamp, key.text.c_str(),
			key.isText);
	}
	if (result >= 0)
		result = sd_bus_call(fBus, call, kKeyTimeout, NULL, &reply);
	int consumed = 0;
	if (result >= 0 && sd_bus_message_read(reply, "b", &consumed) < 0)
		consumed = 0;
	sd_bus_message_unref(reply);
	sd_bus_message_unref(call);
	if (result < 0 && result != -ETIMEDOUT) {
		// The bus went away: a new one is looked for with the next key.
		fBus = sd_bus_flush_close_unref(fBus);
	}
	return consumed != 0;
}


bool
DeviceEvents::_Connect(const std::string& address)
{
	if (fBus != NULL)
		fBus = sd_bus_flush_close_unref(fBus);
	if (sd_bus_new(&fBus) < 0)
		return false;
	if (sd_bus_set_address(fBus, address.c_str()) < 0
		|| sd_bus_set_bus_client(fBus, 1) < 0
		|| sd_bus_start(fBus) < 0) {
		fBus = sd_bus_unref(fBus);
		return false;
	}
	fAddress = address;
	return true;
}

} // namespace BPrivate
