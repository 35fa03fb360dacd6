#ifndef MAP_WATCHER_H
#define MAP_WATCHER_H

#include <X11/Xlib.h>

#include <map>
#include <set>
#include <string>

#include "TrialProcess.h"

// Sees a program's window appear: it listens to the root window's
// substructure before the program starts, so the MapNotify of the window
// with the program's title is caught the moment the server sends it.
class MapWatcher {
public:
			enum Result {
				kMapped,
				kExited,
				kTimedOut
			};

								MapWatcher();
								~MapWatcher();

			bool				Open(const std::string& display,
									std::string* error);

			// Forgets the events of earlier runs; call before starting one.
			void				Reset();

			// Waits for a top-level window created since Reset() and titled
			// title to be mapped, for exitDescriptor to become readable (the
			// program ended first), or for the timeout.
			Result				WaitForMap(const std::string& title,
									int exitDescriptor, double seconds,
									Clock::time_point* mappedAt);

private:
			bool				_HasTitle(Window window,
									const std::string& title);

			Display*			fDisplay;
			Window				fRoot;
			Atom				fNetWmName;
			Atom				fUtf8String;
			std::set<Window>	fCreated;
			std::map<Window, Clock::time_point> fMapped;
};

#endif // MAP_WATCHER_H
