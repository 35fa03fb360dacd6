#ifndef _KITS_DISPLAY_ACCESSIBILITY_DEVICE_EVENTS_H
#define _KITS_DISPLAY_ACCESSIBILITY_DEVICE_EVENTS_H

#include <string>

#include <SupportDefs.h>

struct sd_bus;

namespace BPrivate {

// A key as X gave it to the display.
struct DeviceKey {
	bool					pressed = true;		// else released
	int32					keysym = 0;
	uint32					keycode = 0;
	uint32					modifiers = 0;		// X's state mask
	int32					timestamp = 0;		// milliseconds
	// What it types, or else its name.
	std::string				text;
	bool					isText = false;
};

// Keys offered to the registry's device event controller before a window
// gets them, as other toolkits offer theirs: a screen reader echoes them,
// and takes its own commands (KP_Enter, Insert+...) for itself. Used by
// one thread, the display's, on a connection of its own: the bridge's
// thread answers the screen reader meanwhile, which it may ask about the
// focus before it answers.
class DeviceEvents {
public:
	typedef	std::string			(*AddressFunction)();

								// Where the accessibility bus is: by
								// default, the one the bridge serves.
								DeviceEvents(AddressFunction address = NULL);
								~DeviceEvents();

			// True when a listener consumed the key, which the window must
			// then not get. False at once where no accessibility bus is
			// served.
			bool				Offer(const DeviceKey& key);

	// The message's arguments, for the tests: NotifyListenersSync's event.
	static	const char*			Signature() { return "(uiuuisb)"; }

private:
			bool				_Connect(const std::string& address);

			AddressFunction		fAddressFunction;
			sd_bus*				fBus;
			std::string			fAddress;
};

} // namespace BPrivate

#endif
