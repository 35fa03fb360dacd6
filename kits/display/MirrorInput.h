#ifndef _KITS_DISPLAY_MIRROR_INPUT_H
#define _KITS_DISPLAY_MIRROR_INPUT_H

#include <vector>

#include <SupportDefs.h>

class BMessage;

namespace BPrivate {

class DisplayMirror;
struct MirrorView;
struct MirrorWindow;

// What a user can reach in a display's mirror, and the way input gets to
// it: the displays, the script driver and the accessibility bridge all act
// as the same user would, and the kit checks the rest as for a click.
class MirrorInput {
public:
	explicit					MirrorInput(DisplayMirror& mirror);

			// Shown windows, front-most first, that the user can reach
			// now: only the modal window or alert in front, if there is
			// one (then also *blocker, when asked for).
			std::vector<MirrorWindow*> Reachable(
									MirrorWindow** blocker = NULL) const;
			bool				CanReach(int32 window) const;

	// Kinds that a user cannot act on while they are disabled.
	static	bool				CanBeDisabled(int32 kind);
			// Shown, inside no hidden view, and enabled where that counts.
	static	bool				IsUsable(const MirrorWindow& window,
									const MirrorView& view);

	// Posts an input event to the looper of the window with this id
	// (windows are known by id only; no kit object is touched); false
	// when the window has gone.
	static	bool				Post(int32 window, BMessage* input);

private:
			DisplayMirror&		fMirror;
};

} // namespace BPrivate

#endif
