#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

class BButton;
class BView;

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21
};

enum window_look {
	B_BORDERED_WINDOW_LOOK = 20,
	B_NO_BORDER_WINDOW_LOOK = 19,
	B_TITLED_WINDOW_LOOK = 1,
	B_DOCUMENT_WINDOW_LOOK = 11,
	B_MODAL_WINDOW_LOOK = 3,
	B_FLOATING_WINDOW_LOOK = 7
};

enum window_feel {
	B_NORMAL_WINDOW_FEEL = 0,
	B_MODAL_SUBSET_WINDOW_FEEL = 2,
	B_MODAL_APP_WINDOW_FEEL = 1,
	B_MODAL_ALL_WINDOW_FEEL = 3,
	B_FLOATING_SUBSET_WINDOW_FEEL = 5,
	B_FLOATING_APP_WINDOW_FEEL = 4,
	B_FLOATING_ALL_WINDOW_FEEL = 6
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_OUTLINE_RESIZE = 0x00001000,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// A window is a looper; its thread starts at the first Show (or Run).
class BWindow : public BLooper {
public:
								BWindow(BRect frame, const char* title,
									window_type type, uint32 flags,
									uint32 workspace = B_CURRENT_WORKSPACE);
								BWindow(BRect frame, const char* title,
									window_look look, window_feel feel,
									uint32 flags,
									uint32 workspace = B_CURRENT_WORKSPACE);
	virtual						~BWindow();

	virtual	void				DispatchMessage(BMessage* message,
									BHandler* handler);
	virtual	void				MessageReceived(BMessage* message);
	virtual	bool				QuitRequested();
	virtual	void				Quit();

	virtual	void				Show();
	virtual	void				Hide();
			bool				IsHidden() const;

			void				MoveTo(float x, float y);
			void				MoveTo(BPoint where);
			void				MoveBy(float dx, float dy);
			void				ResizeTo(float width, float height);
			void				ResizeBy(float dx, float dy);
			// Frame widths and heights, as Width and Height count them;
			// a user's resizing stays within them.
			void				SetSizeLimits(float minWidth, float maxWidth,
									float minHeight, float maxHeight);
			void				GetSizeLimits(float* minWidth,
									float* maxWidth, float* minHeight,
									float* maxHeight) const;
			BRect				Frame() const;
			BRect				Bounds() const;

			void				SetTitle(const char* title);
			const char*			Title() const;

			void				AddChild(BView* child, BView* before = NULL);
			bool				RemoveChild(BView* child);
			int32				CountChildren() const;
			BView*				ChildAt(int32 index) const;
			BView*				FindView(const char* name) const;

			window_type			Type() const { return fType; }
			window_look			Look() const { return fLook; }
			window_feel			Feel() const { return fFeel; }
			uint32				Flags() const { return fFlags; }
			uint32				Workspaces() const { return fWorkspaces; }

			void				Activate(bool active = true);

			// Enter presses it.
			void				SetDefaultButton(BButton* button);
			BButton*			DefaultButton() const
									{ return fDefaultButton; }

			// The view that takes the keys, or NULL.
			BView*				CurrentFocus() const { return fFocus; }

			class Private;

private:
	friend class Private;

			void				_Init(BRect frame, const char* title,
									uint32 flags, uint32 workspace);
			// Input from the display, applied only where the user could
			// act now.
			void				_DispatchInput(BMessage* message);
			BView*				_FindView(int32 token) const;
			BView*				_ViewAt(BPoint where) const;
			void				_SendFrame();
			void				_SetFocus(BView* view);
			// The window's part of a key: Tab moves the focus, F10 opens
			// the menu bar, Enter presses the default button; the rest
			// goes to the focus. The message is the current one.
			void				_KeyDown(BMessage* message, BView* view);
			// The next (or previous) view Tab stops at after the focus.
			BView*				_NextNavigable(bool backward) const;
			void				_OpenMenuBar();

			char*				fTitle;
			BRect				fFrame;
			window_type			fType;
			window_look			fLook;
			window_feel			fFeel;
			uint32				fFlags;
			uint32				fWorkspaces;
			int32				fShowLevel;
			BView*				fTopView;
			BButton*			fDefaultButton;
			BRect				fSizeLimits;
			BView*				fFocus;
};

#endif // _WINDOW_H
