#ifndef _KITS_DISPLAY_ACCESSIBILITY_BRIDGE_H
#define _KITS_DISPLAY_ACCESSIBILITY_BRIDGE_H

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "display/AccessibleTree.h"
#include "display/DisplayMirror.h"

struct sd_bus;


namespace BPrivate {

// Serves what the kits tell a display to assistive technologies over
// AT-SPI2 (docs/accessibility.md). It keeps a mirror of its own, built from
// the same command stream the display gets, in a thread of its own that
// also answers the bus; it never takes a looper lock, and acts by posting
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

			// Where it is not served: no AT_SPI_BUS_ADDRESS, no session bus
			// address and no session bus socket. Cheap, for start-up.
	static	bool				MayHaveBus();

			// The bus's callbacks; private to the bridge's source.
			class Dispatch;

private:
			friend class Dispatch;

			void				_Run();
			bool				_AwaitFirstWindow();
			bool				_Connect();
			bool				_Register();
			void				_Drain();
			void				_Apply(DisplayCommand& command);
			void				_Flush();

			// Events (org.a11y.atspi.Event.*); what they carry beside
			// their details is a text, an object, or else nothing.
			void				_Emit(const AccessibleRef& source,
									const char* interface, const char* member,
									const char* detail, int32 detail1,
									int32 detail2,
									const std::string* text = NULL,
									const AccessibleRef* object = NULL);
			void				_State(const AccessibleRef& source,
									const char* state, bool on);

			DisplayMirror		fMirror;
			AccessibleTree		fTree;
			sd_bus*				fBus;
			std::string			fUniqueName;
			// The registry's desktop: the application's parent.
			std::string			fDesktopName;
			std::string			fDesktopPath;
			int32				fApplicationId;

			std::mutex			fLock;
			std::deque<DisplayCommand> fQueue;
			int					fWake;
			std::atomic<bool>	fActive;
			std::atomic<bool>	fStopping;
			// When the first window was shown (steady clock, in
			// microseconds); 0 before.
			std::atomic<int64>	fFirstShown;
			std::thread			fThread;

			// Changes to children and selections, told once a drain.
			std::map<std::string, AccessibleRef> fChildrenChanged;
			std::map<std::string, AccessibleRef> fSelectionChanged;
};

} // namespace BPrivate

#endif
