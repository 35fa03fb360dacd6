#define FL_INTERNALS 1
#include "display/fltk/FltkWindow.h"

#include <math.h>

#include <algorithm>

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "display/fltk/FltkDrop.h"
#include "display/MirrorInput.h"
#include "display/fltk/FltkMenuBar.h"
#include "display/fltk/FltkTabView.h"
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
	fSyncing(false),
	fFocus(-1),
	fMirror(NULL),
	fClosing(false),
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
	// A focused text field that goes makes FLTK hand its focus on, which
	// must find no views left to give it to.
	fClosing = true;
	std::map<int32, std::unique_ptr<FltkView> > views;
	views.swap(fViews);
	views.clear();
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
	bool limitsChanged = window.sizeLimits != fSizeLimits;
	fSizeLimits = window.sizeLimits;

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
		fSyncing = true;
		resize(left, top, width > 0 ? width : 1, height > 0 ? height : 1);
		fSyncing = false;
		// The kit places its windows, also at (0, 0).
		force_position(1);
	}
	if (frameChanged || lookChanged || limitsChanged)
		_SizeRange();

	_SyncViews(window);
	fMirror = &window;
	bool focusChanged = window.focus != fFocus;
	fFocus = window.focus;

	if (window.shown && !shown())
		_ShowWindow();
	else if (!window.shown && shown())
		hide();
	else if (shown() && (frameChanged || lookChanged))
		_SetHints();
	// FLTK has one keyboard focus for all windows: only the window that
	// has the keyboard moves it.
	Fl_Widget* current = Fl::focus();
	if (focusChanged && (current == NULL || current == this
			|| current->window() == this))
		_ApplyFocus();
	redraw();
}


void
FltkWindow::OpenMenu(int32 bar, int32 item)
{
	auto view = fViews.find(bar);
	if (view == fViews.end() || view->second->Kind() != B_DISPLAY_MENU_BAR)
		return;
	static_cast<FltkMenuBar*>(view->second.get())->Open(item);
}


void
FltkWindow::draw()
{
	Fl_Double_Window::draw();
	_DrawFocus();
}


void
FltkWindow::_ApplyFocus()
{
	if (fClosing || !shown())
		return;
	auto view = fViews.find(fFocus);
	if (view != fViews.end() && view->second->Kind() == B_DISPLAY_TEXT_VIEW
		&& view->second->Widget()->visible_r()) {
		if (Fl::focus() != view->second->Widget())
			view->second->Widget()->take_focus();
		return;
	}
	if (Fl::focus() != this)
		Fl::focus(this);
}


void
FltkWindow::_DrawFocus()
{
	if (fMirror == NULL || fFocus < 0)
		return;
	const MirrorView* view = fMirror->FindView(fFocus);
	auto shown = fViews.find(fFocus);
	if (view == NULL || shown == fViews.end()
		|| !shown->second->Widget()->visible_r())
		return;
	Fl_Widget* widget = shown->second->Widget();
	int x = widget->x();
	int y = widget->y();
	int w = widget->w();
	int h = widget->h();
	rgb_color blue = ui_color(B_KEYBOARD_NAVIGATION_COLOR);
	fl_color(FltkView::Color(blue));
	fl_font(FltkView::kFont, FltkView::FontSize());
	// The line lies just under the label's baseline, as wide as the label.
	int baseline = y + (h + fl_height()) / 2 - fl_descent();
	switch (view->kind) {
		case B_DISPLAY_BUTTON:
		{
			int width = (int)fl_width(view->label.c_str());
			int left = x + (w - width) / 2;
			fl_xyline(left, baseline + 2, left + width);
			break;
		}
		case B_DISPLAY_CHECK_BOX:
		{
			int width = (int)fl_width(view->label.c_str());
			int left = x + FltkView::FontSize() + 2 * Fl::box_dx(widget->box())
				+ 6;
			fl_xyline(left, baseline + 2, left + width);
			break;
		}
		case B_DISPLAY_TAB_VIEW:
		{
			std::vector<int> labels;
			for (const MirrorTab& tab : view->tabs)
				labels.push_back((int)fl_width(tab.label.c_str()));
			std::vector<int> edges = FltkTabView::TabEdges(labels, x, w);
			int index = view->selectedTab;
			if (index < 0 || index + 1 >= (int)edges.size())
				break;
			int width = labels[index];
			int left = (edges[index] + edges[index + 1] - width) / 2;
			int tabBaseline = y + (FltkTabView::TabHeight() + fl_height())
				/ 2 - fl_descent();
			fl_xyline(left, tabBaseline + 2, left + width);
			break;
		}
		case B_DISPLAY_MENU_FIELD:
			fl_rect(x + FltkView::Scaled(view->divider), y,
				w - FltkView::Scaled(view->divider), h);
			break;
		default:
			// A text field or a list: a frame round it.
			fl_rect(x - 1, y - 1, w + 2, h + 2);
			break;
	}
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
	switch (event) {
		case FL_FOCUS:
			// The window got the keyboard: FLTK would now focus the first
			// widget that takes it; the kit says where the focus is.
			if (fClosing)
				return 0;
			_ApplyFocus();
			return 1;
		case FL_KEYBOARD:
		case FL_SHORTCUT:
			// What the focused text field did not take, and every key
			// elsewhere: the kit's, never FLTK's navigation.
			if (_PostKey())
				return 1;
			break;
	}
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
	return handled;
}


bool
FltkWindow::_PostKey()
{
	int key = Fl::event_key();
	std::string bytes;
	int32 function = 0;
	switch (key) {
		case FL_Tab: bytes = B_TAB; break;
		case FL_Enter:
		case FL_KP_Enter: bytes = B_ENTER; break;
		case FL_Escape: bytes = B_ESCAPE; break;
		case FL_BackSpace: bytes = B_BACKSPACE; break;
		case FL_Delete: bytes = B_DELETE; break;
		case FL_Up: bytes = B_UP_ARROW; break;
		case FL_Down: bytes = B_DOWN_ARROW; break;
		case FL_Left: bytes = B_LEFT_ARROW; break;
		case FL_Right: bytes = B_RIGHT_ARROW; break;
		case FL_Home: bytes = B_HOME; break;
		case FL_End: bytes = B_END; break;
		case FL_Page_Up: bytes = B_PAGE_UP; break;
		case FL_Page_Down: bytes = B_PAGE_DOWN; break;
		default:
			if (key > FL_F && key <= FL_F + 12) {
				bytes = B_FUNCTION_KEY;
				function = B_F1_KEY + (key - FL_F) - 1;
			} else if (Fl::event_length() > 0
				&& (unsigned char)Fl::event_text()[0] >= B_SPACE
				&& Fl::event_text()[0] != B_DELETE)
				bytes.assign(Fl::event_text(), Fl::event_length());
			break;
	}
	if (bytes.empty())
		return false;
	int state = Fl::event_state();
	int32 modifiers = 0;
	if ((state & FL_SHIFT) != 0)
		modifiers |= B_SHIFT_KEY;
	if ((state & FL_ALT) != 0)
		modifiers |= B_COMMAND_KEY;
	if ((state & FL_CTRL) != 0)
		modifiers |= B_CONTROL_KEY;
	BMessage message(B_INPUT_KEY);
	message.AddString("bytes", bytes.c_str());
	if (function != 0)
		message.AddInt32("key", function);
	if (modifiers != 0)
		message.AddInt32("modifiers", modifiers);
	MirrorInput::Post(fId, &message);
	return true;
}


void
FltkWindow::resize(int x, int y, int width, int height)
{
	bool resized = width != w() || height != h();
	Fl_Double_Window::resize(x, y, width, height);
	if (fSyncing || !resized || !shown())
		return;
	// The window manager resized it for the user. The kit keeps its own
	// place for the window and answers with the frame it takes, which is
	// then no change here.
	// The kit counts in points.
	int32 pointsWide = (int32)lroundf(FltkView::Unscaled(width)) - 1;
	int32 pointsHigh = (int32)lroundf(FltkView::Unscaled(height)) - 1;
	fFrame.right = fFrame.left + pointsWide;
	fFrame.bottom = fFrame.top + pointsHigh;
	BMessage frame(B_INPUT_FRAME);
	frame.AddInt32("width", pointsWide);
	frame.AddInt32("height", pointsHigh);
	MirrorInput::Post(fId, &frame);
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
	// Limits count as frame widths do, a point short; none is 0 here.
	auto least = [](float limit) {
		return std::max(1, FltkView::Scaled(limit + 1));
	};
	auto most = [](float limit) {
		return limit >= 32767 ? 0 : FltkView::Scaled(limit + 1);
	};
	size_range(fixedWidth ? w() : least(fSizeLimits.left),
		fixedHeight ? h() : least(fSizeLimits.top),
		fixedWidth ? w() : most(fSizeLimits.right),
		fixedHeight ? h() : most(fSizeLimits.bottom));
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
	MirrorInput::Post(static_cast<FltkWindow*>(data)->fId, &close);
}

} // namespace BPrivate
