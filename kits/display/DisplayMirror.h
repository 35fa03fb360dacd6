#ifndef _KITS_DISPLAY_DISPLAY_MIRROR_H
#define _KITS_DISPLAY_DISPLAY_MIRROR_H

#include <map>
#include <string>
#include <vector>

#include "display/DisplayProtocol.h"
#include "display/MirrorList.h"

namespace BPrivate {

struct MirrorMenuItem {
	int32					id = -1;
	int32					parent = 0;		// 0: the menu bar itself
	std::string				label;
	std::string				className;
	bool					enabled = true;
	uint32					flags = 0;		// display_menu_item_flags
	std::vector<int32>		children;		// the submenu's items
};

struct MirrorTab {
	std::string				label;
	bool					enabled = true;
};

struct MirrorView {
	int32					id = -1;
	int32					parent = -1;
	int32					kind = B_DISPLAY_PLAIN_VIEW;
	std::string				className;
	std::string				name;
	BRect					frame;			// in the parent
	uint32					mode = 0;
	uint32					flags = 0;
	bool					hidden = false;	// hidden itself
	rgb_color				color = { 255, 255, 255, 255 };
	std::string				label;
	std::string				text;
	int32					value = 0;
	bool					enabled = true;
	std::vector<int32>		children;
	std::vector<int32>		items;			// a menu bar's or field's own items
	std::vector<MirrorTab>	tabs;
	int32					selectedTab = -1;
	MirrorList				listItems;
	int32					divider = 0;
	int32					maxBytes = 0;
	// A text view's selection, in bytes; start == end: none. Counted, so
	// that a display applies each selection once and leaves the user's
	// own caret alone otherwise.
	int32					selectionStart = 0;
	int32					selectionEnd = 0;
	uint32					selections = 0;
};

struct MirrorWindow {
	int32					id = -1;
	int32					topView = -1;
	std::string				title;
	BRect					frame;			// on the screen
	int32					look = 0;
	int32					feel = 0;
	uint32					flags = 0;
	bool					shown = false;
	bool					isAlert = false;
	std::string				alertName;
	std::string				alertText;
	int32					alertType = 0;	// its alert_type
	bool					isPanel = false;
	// As BWindow::SetSizeLimits gives them: least width and height in
	// left and top, greatest in right and bottom.
	BRect					sizeLimits = BRect(0, 0, 32768, 32768);
	int32					focus = -1;		// the view keys go to
	// A menu bar's menu opened from the keyboard, while it is open: the
	// bar, the menu's item, and the item the arrows are on (-1: none).
	// The display moves in it and closes it itself.
	int32					menuBar = -1;
	int32					openMenu = -1;
	int32					menuHighlight = -1;
	std::map<int32, MirrorView> views;
	std::map<int32, MirrorMenuItem> items;

			MirrorView*			FindView(int32 id);
			const MirrorView*	FindView(int32 id) const;
			// Depth first, in the order of the children, as
			// BView::FindView looks.
			const MirrorView*	FindView(const std::string& name) const;
			// Hidden itself or inside a hidden view.
			bool				IsHidden(int32 view) const;
			BRect				FrameInWindow(int32 view) const;
			// The deepest shown view under the point (window coordinates).
			const MirrorView*	ViewAt(float x, float y) const;
			bool				IsModal() const;
};

// What a display knows of the windows, built only from the command stream.
// Not locked: its owner serialises Apply and the reads.
class DisplayMirror {
public:
			// False for a command about a window or view it does not know,
			// which changes nothing.
			bool				Apply(const DisplayCommand& command);
			// The same; a batch of list entries may have its text taken.
			// Every other field is left as it was.
			bool				Apply(DisplayCommand&& command);

			// Folds next into queued when applying the one changed queued
			// does what applying both in turn would: removals of list
			// entries next to each other. True when it did.
	static	bool				Merge(DisplayCommand& queued,
									const DisplayCommand& next);

			MirrorWindow*		FindWindow(int32 id);
			// Every window, in the order of creation.
			const std::vector<int32>& Windows() const { return fOrder; }
			// Shown windows, front-most first.
			const std::vector<int32>& FrontToBack() const { return fFront; }

private:
			void				_RemoveView(MirrorWindow& window, int32 view);
			void				_RemoveItem(MirrorWindow& window, int32 item);
			void				_ToFront(int32 window);
			void				_Unshow(int32 window);

			std::map<int32, MirrorWindow> fWindows;
			std::vector<int32>	fOrder;
			std::vector<int32>	fFront;
};

} // namespace BPrivate

#endif
