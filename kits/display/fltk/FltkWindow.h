#ifndef _KITS_DISPLAY_FLTK_WINDOW_H
#define _KITS_DISPLAY_FLTK_WINDOW_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <FL/Fl_Double_Window.H>

#include "display/DisplayMirror.h"

namespace BPrivate {

class FltkView;

// One kit window on the screen. Every view is a widget directly in it, at
// its frame in window coordinates, stacked parents first; FLTK never
// resizes them itself. Look, feel and flags become window manager hints.
class FltkWindow : public Fl_Double_Window {
public:
								FltkWindow(int32 id);
	virtual						~FltkWindow();

			int32				Id() const { return fId; }

			// Brings title, frame, look, views and visibility in line with
			// the mirror.
			void				Sync(const MirrorWindow& window);
			// Puts a shown window in front.
			void				Raise();
			// Where an alert goes when it is shown next: centred over the
			// window given (NULL: the screen), inside the screen.
			void				CentreOver(const Fl_Window* front);

	// The name windows without a tab show the desktop.
	static	void				SetApplicationName(const std::string& name);

	virtual	int					handle(int event);
	// The kit's frames, and the user's resizing, which the kit is told.
	virtual	void				resize(int x, int y, int width, int height);
			// The kit opened a menu of a menu bar from the keyboard.
			void				OpenMenu(int32 bar, int32 item);

protected:
	virtual	void				draw();

private:
			void				_SyncViews(const MirrorWindow& window);
			void				_SizeRange();
			void				_ShowWindow();
			// Hints FLTK has no API for; set again whenever FLTK may have
			// written its own.
			void				_SetHints();
	static	void				_CloseBox(Fl_Widget* widget, void* data);
			// The key FLTK reports, posted to the kit; false for one the
			// kit has no use for (a modifier alone).
			bool				_PostKey();
			// FLTK's keyboard focus where the kit has it: the text view
			// the kit focuses, else the window itself, so that FLTK moves
			// no focus of its own.
			void				_ApplyFocus();
			// The focus drawn in the keyboard-navigation blue, as BeOS
			// marks it.
			void				_DrawFocus();

	static	std::string			sApplicationName;

			int32				fId;
			std::string			fTitle;
			BRect				fFrame;
			BRect				fSizeLimits;
			int32				fLook;
			int32				fFeel;
			uint32				fFlags;
			bool				fModal;
			// The kit's own frame is being applied: nothing to tell it.
			bool				fSyncing;
			int32				fFocus;
			// What the focus mark is drawn from.
			const MirrorWindow*	fMirror;
			bool				fClosing;
			bool				fCentre;
			int					fCentreX;
			int					fCentreY;
			std::map<int32, std::unique_ptr<FltkView> > fViews;
			std::vector<int32>	fStack;
};

} // namespace BPrivate

#endif
