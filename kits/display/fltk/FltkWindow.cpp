#define FL_INTERNALS 1
#include "display/fltk/FltkWindow.h"

#include <math.h>

#include <algorithm>

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <Message.h>
#include <Window.h>

#include "display/fltk/FltkDrop.h"
#include "display/fltk/FltkInput.h"
#include "display/fltk/FltkView.h"

namespace BPrivate {

namespace {

// _MOTIF_WM_HINTS: which of the window manager's functions and
// decorations the window has.
enum {
	kMotifFunctions = 1 << 0,
	kMotifDecorations = 1 << 1,

	kMotifResize = 1 << 1,
	kMotifMove = 1 << 2,
	kMotifMinimize = 1 << 3,
	kMotifMaximize = 1 << 4,
	kMotifClose = 1 << 5,

	kMotifBorder = 1 << 1,
	kMotifResizeHandles = 1 << 2,
	kMotifTitle = 1 << 3,
	kMotifMenu = 1 << 4,
	kMotifMinimizeButton = 1 << 5,
	kMotifMaximizeButton = 1 << 6
};

const int32 kFloatingLook = B_FLOATING_WINDOW_LOOK;


bool
IsFloating(int32 feel)
{
	return feel == B_FLOATING_SUBSET_WINDOW_FEEL
		|| feel == B_FLOATING_APP_WINDOW_FEEL
		|| feel == B_FLOATING_ALL_WINDOW_FEEL;
}


bool
FixedWidth(uint32 flags)
{
	return (flags & (B_NOT_RESIZABLE | B_NOT_H_RESIZABLE)) != 0;
}


bool
FixedHeight(uint32 flags)
{
	return (flags & (B_NOT_RESIZABLE | B_NOT_V_RESIZABLE)) != 0;
}

// Looks BeOS draws without a tab: nothing there names the window.
bool
HasTab(int32 look)
{
	return look != B_NO_BORDER_WINDOW_LOOK && look != B_BORDERED_WINDOW_LOOK
		&& look != B_MODAL_WINDOW_LOOK;
}

} // namespace


std::string FltkWindow::sApplicationName = "Tolvex";


FltkWindow::FltkWindow(int32 id)
	:
	Fl_Double_Window(0, 0, 1, 1),
	fId(id),
	fLook(-1),
	fFeel(-1),
	fFlags(0),
	fModal(false),
	fCentre(false),
	fCentreX(0),
	fCentreY(0)
{
	end();
	// Views keep the frames the kit gives them.
	resizable(NULL);
	color(fl_rgb_color(216, 216, 216));
	callback(_CloseBox, this);
}


FltkWindow::~FltkWindow()
{
	// The views own their widgets; the group must not delete them again.
	fViews.clear();
}


void
FltkWindow::Sync(const MirrorWindow& window)
{
	// A window without a tab (an alert) shows the desktop's task list the
	// application's name; its kit name is for scripts.
	std::string title = HasTab(window.look) ? window.title
		: sApplicationName;
	if (title != fTitle || label() == NULL) {
		fTitle = title;
		copy_label(fTitle.c_str());
	}

	bool modal = window.IsModal() || window.isAlert;
	bool lookChanged = window.look != fLook || window.feel != fFeel
		|| window.flags != fFlags || modal != fModal;
	bool modalityChanged = modal != fModal
		|| IsFloating(window.feel) != IsFloating(fFeel);
	bool frameChanged = window.frame != fFrame;

	if (modalityChanged) {
		// FLTK takes a window's modality when it makes its X window.
		if (shown())
			hide();
		clear_modal_states();
		if (modal)
			set_modal();
		else if (IsFloating(window.feel))
			set_non_modal();
	}
	fLook = window.look;
	fFeel = window.feel;
	fFlags = window.flags;
	fModal = modal;

	if (frameChanged) {
		// The frame is inclusive: (100, 100, 540, 380) is 441 x 281.
		fFrame = window.frame;
		int left = FltkView::Scaled(fFrame.left);
		int top = FltkView::Scaled(fFrame.top);
		int width = FltkView::Scaled(fFrame.right + 1) - left;
		int height = FltkView::Scaled(fFrame.bottom + 1) - top;
		resize(left, top, width > 0 ? width : 1, height > 0 ? height : 1);
		// The kit places its windows, also at (0, 0).
		force_position(1);
	}
	if (frameChanged || lookChanged)
		_SizeRange();

	_SyncViews(window);

	if (window.shown && !shown())
		_ShowWindow();
	else if (!window.shown && shown())
		hide();
	else if (shown() && (frameChanged || lookChanged))
		_SetHints();
	redraw();
}


void
FltkWindow::CentreOver(const Fl_Window* front)
{
	fCentre = true;
	if (front != NULL) {
		fCentreX = front->x() + front->w() / 2;
		fCentreY = front->y() + front->h() / 2;
	} else {
		fCentreX = Fl::w() / 2;
		fCentreY = Fl::h() / 2;
	}
}


void
FltkWindow::SetApplicationName(const std::string& name)
{
	sApplicationName = name;
}


void
FltkWindow::Raise()
{
	if (shown())
		show();
}


int
FltkWindow::handle(int event)
{
	int handled = Fl_Double_Window::handle(event);
	// Files dragged from outside: accepted anywhere, the kit gives them
	// to the view under the point.
	switch (event) {
		case FL_DND_ENTER:
		case FL_DND_DRAG:
		case FL_DND_LEAVE:
		case FL_DND_RELEASE:
			if (handled == 0)
				return 1;
			break;
		case FL_PASTE:
			if (handled == 0) {
				PostDrop(fId, Fl::event_x(), Fl::event_y(),
					std::string(Fl::event_text(), Fl::event_length()));
				return 1;
			}
			break;
	}
	if (handled == 0 && (event == FL_KEYBOARD || event == FL_SHORTCUT)
		&& (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
		// The kit presses the window's default button.
		BMessage key(B_INPUT_KEY);
		key.AddString("bytes", "\n");
		PostToWindow(fId, &key);
		return 1;
	}
	return handled;
}


void
FltkWindow::_SyncViews(const MirrorWindow& window)
{
	// Parents before their children, children in their order: the order
	// in which BeOS draws them.
	std::vector<int32> stack;
	std::vector<int32> pending;
	if (const MirrorView* top = window.FindView(window.topView))
		pending.assign(top->children.rbegin(), top->children.rend());
	while (!pending.empty()) {
		int32 id = pending.back();
		pending.pop_back();
		const MirrorView* view = window.FindView(id);
		if (view == NULL)
			continue;
		stack.push_back(id);
		pending.insert(pending.end(), view->children.rbegin(),
			view->children.rend());
	}

	for (auto entry = fViews.begin(); entry != fViews.end();) {
		const MirrorView* view = window.FindView(entry->first);
		if (view == NULL || view->kind != entry->second->Kind())
			entry = fViews.erase(entry);
		else
			++entry;
	}

	for (int32 id : stack) {
		const MirrorView* view = window.FindView(id);
		std::unique_ptr<FltkView>& entry = fViews[id];
		if (!entry) {
			entry.reset(FltkView::Create(view->kind, fId, id));
			add(entry->Widget());
		}
		entry->Sync(window, *view);
	}

	if (stack != fStack) {
		for (size_t i = 0; i < stack.size(); i++)
			insert(*fViews[stack[i]]->Widget(), (int)i);
		fStack = stack;
	}
}


void
FltkWindow::_SizeRange()
{
	bool fixedWidth = FixedWidth(fFlags);
	bool fixedHeight = FixedHeight(fFlags);
	size_range(fixedWidth ? w() : 1, fixedHeight ? h() : 1,
		fixedWidth ? w() : 0, fixedHeight ? h() : 0);
}


void
FltkWindow::_ShowWindow()
{
	if (fCentre) {
		// Inside the screen the front window is on, never wider.
		fCentre = false;
		int screenX, screenY, screenWidth, screenHeight;
		Fl::screen_work_area(screenX, screenY, screenWidth, screenHeight,
			fCentreX, fCentreY);
		int width = std::min(w(), screenWidth);
		int height = std::min(h(), screenHeight);
		int left = std::max(screenX, std::min(fCentreX - width / 2,
			screenX + screenWidth - width));
		int top = std::max(screenY, std::min(fCentreY - height / 2,
			screenY + screenHeight - height));
		resize(left, top, width, height);
		_SizeRange();
	}
	show();
	// Before anything is flushed, so that a window manager finds them when
	// it takes the window.
	_SetHints();
}


void
FltkWindow::_SetHints()
{
	Window xid = fl_xid(this);
	if (xid == 0)
		return;

	bool resizable = !FixedWidth(fFlags) || !FixedHeight(fFlags);
	long functions = 0;
	if (resizable)
		functions |= kMotifResize;
	if ((fFlags & B_NOT_MOVABLE) == 0)
		functions |= kMotifMove;
	if ((fFlags & B_NOT_MINIMIZABLE) == 0)
		functions |= kMotifMinimize;
	if ((fFlags & B_NOT_ZOOMABLE) == 0 && resizable)
		functions |= kMotifMaximize;
	if ((fFlags & B_NOT_CLOSABLE) == 0)
		functions |= kMotifClose;

	long decorations = 0;
	switch (fLook) {
		case B_NO_BORDER_WINDOW_LOOK:
			break;
		case B_BORDERED_WINDOW_LOOK:
		case B_MODAL_WINDOW_LOOK:
			decorations = kMotifBorder;
			break;
		default:
			decorations = kMotifBorder | kMotifTitle | kMotifMenu;
			if (resizable)
				decorations |= kMotifResizeHandles;
			if ((functions & kMotifMinimize) != 0)
				decorations |= kMotifMinimizeButton;
			if ((functions & kMotifMaximize) != 0)
				decorations |= kMotifMaximizeButton;
			break;
	}

	long motif[5] = { kMotifFunctions | kMotifDecorations, functions,
		decorations, 0, 0 };
	Atom motifHints = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
	XChangeProperty(fl_display, xid, motifHints, motifHints, 32,
		PropModeReplace, (unsigned char*)motif, 5);

	const char* typeName = "_NET_WM_WINDOW_TYPE_NORMAL";
	if (fLook == kFloatingLook || IsFloating(fFeel))
		typeName = "_NET_WM_WINDOW_TYPE_UTILITY";
	else if (fModal)
		typeName = "_NET_WM_WINDOW_TYPE_DIALOG";
	Atom type = XInternAtom(fl_display, typeName, False);
	XChangeProperty(fl_display, xid,
		XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
		PropModeReplace, (unsigned char*)&type, 1);
}


void
FltkWindow::_CloseBox(Fl_Widget*, void* data)
{
	// FLTK calls this for Escape too; that is no close box.
	if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape)
		return;
	BMessage close(B_INPUT_CLOSE);
	PostToWindow(static_cast<FltkWindow*>(data)->fId, &close);
}

} // namespace BPrivate
