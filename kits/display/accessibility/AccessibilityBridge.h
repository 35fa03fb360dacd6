#ifndef _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBILITY_BRIDGE_H
#define _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBILITY_BRIDGE_H

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "display/accessibility/AccessibleBus.h"
#include "display/accessibility/AccessibleEvents.h"

namespace BPrivate {

// Serves what the kits tell a display to assistive technologies over
// AT-SPI2 (docs/accessibility.md). This is the connection, the queue and
// the events sent; each interface's handlers are in a file of their own.
// It keeps a mirror of its own, built from the same command stream the
// display gets, in a thread of its own that also answers the bus; it never takes a looper lock, and acts by posting
// the input events a display posts. Without a session bus or an
// accessibility bus it ends quietly and drops what it is fed.
class AccessibilityBridge {
public:
								AccessibilityBridge(
									const std::string& applicationName,
									float scale);
								~AccessibilityBridge();

			// A command the display got, from the thread that sent it.
			void				Feed(const DisplayCommand& command);
			// False once the bridge found no bus to serve.
			bool				IsActive() const { return fActive; }
			// The accessibility bus served, once the application is
			// registered there; else empty.
			std::string			BusAddress();

			// Where it is not served: no AT_SPI_BUS_ADDRESS, no session bus
			// address and no session bus socket. Cheap, for start-up.
	static	bool				MayHaveBus();

private:
			void				_Run();
			bool				_AwaitFirstWindow();
			bool				_Connect();
			bool				_Register();
			void				_Drain();

			class EventSender;

			BridgeState			fState;
			sd_bus*				fBus;
			// Known to the bridge's thread alone until it is registered.
			std::string			fConnectedAddress;
			EventSender*		fSender;
			AccessibleEvents*	fEvents;

			std::mutex			fLock;
			std::deque<DisplayCommand> fQueue;
			std::string			fAddress;
			int					fWake;
			std::atomic<bool>	fActive;
			std::atomic<bool>	fStopping;
			// When the first window was shown (steady clock, in
			// microseconds); 0 before.
			std::atomic<int64>	fFirstShown;
			std::thread			fThread;
};

} // namespace BPrivate

#endif
