#ifndef _VIEW_H
#define _VIEW_H

#include <vector>

#include <Font.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BWindow;

class BView : public BHandler {
public:
								BView(BRect frame, const char* name,
									uint32 resizingMode, uint32 flags);
	virtual						~BView();

	virtual	void				AttachedToWindow();
	virtual	void				AllAttached();
	virtual	void				DetachedFromWindow();
	virtual	void				Draw(BRect updateRect);
	virtual	void				MessageReceived(BMessage* message);
	virtual	void				MouseDown(BPoint where);
	virtual	void				MouseUp(BPoint where);
	virtual	void				KeyDown(const char* bytes, int32 numBytes);
	// The focus takes the keys; the window marks it.
	virtual	void				MakeFocus(bool focus = true);
			bool				IsFocus() const;

	virtual	void				GetPreferredSize(float* width, float* height);
	virtual	void				ResizeToPreferred();

			void				AddChild(BView* child, BView* before = NULL);
			bool				RemoveChild(BView* child);
			bool				RemoveSelf();
			int32				CountChildren() const;
			BView*				ChildAt(int32 index) const;
			BView*				Parent() const { return fParent; }
			BView*				FindView(const char* name) const;
			BWindow*			Window() const { return fWindow; }

			BRect				Bounds() const;
			BRect				Frame() const { return fFrame; }
			void				MoveTo(float x, float y);
			void				MoveTo(BPoint where);
			void				MoveBy(float dx, float dy);
			void				ResizeTo(float width, float height);
			void				ResizeBy(float dx, float dy);

	virtual	void				Show();
	virtual	void				Hide();
			// Hidden itself, or inside a hidden view or window.
			bool				IsHidden() const;

			uint32				ResizingMode() const { return fResizingMode; }
			void				SetResizingMode(uint32 mode);
			uint32				Flags() const { return fFlags; }
			void				SetFlags(uint32 flags);

			void				SetViewColor(rgb_color color);
			void				SetViewColor(uint8 red, uint8 green,
									uint8 blue, uint8 alpha = 255);
			rgb_color			ViewColor() const { return fViewColor; }

			float				StringWidth(const char* string) const;
			void				GetFontHeight(font_height* height) const;

			void				Invalidate();

			class Private;

private:
	friend class Private;

			// The class's own state, told to the display once the view is
			// in a window (after the command that adds it).
	virtual	void				_SendState();
			void				_SetWindow(BWindow* window);
			void				_ParentResized(float dx, float dy);
			// Asserts that whoever changes an attached view holds its
			// window's lock.
			void				_CheckLock() const;
			void				_SendFrame();

			BRect				fFrame;
			uint32				fResizingMode;
			uint32				fFlags;
			BView*				fParent;
			BWindow*			fWindow;
			std::vector<BView*>	fChildren;
			bool				fHidden;
			rgb_color			fViewColor;
			int32				fDisplayKind;
};

#endif // _VIEW_H
