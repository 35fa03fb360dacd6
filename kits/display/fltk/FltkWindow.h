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

private:
			void				_SyncViews(const MirrorWindow& window);
			void				_SizeRange();
			void				_ShowWindow();
			// Hints FLTK has no API for; set again whenever FLTK may have
			// written its own.
			void				_SetHints();
	static	void				_CloseBox(Fl_Widget* widget, void* data);

	static	std::string			sApplicationName;

			int32				fId;
			std::string			fTitle;
			BRect				fFrame;
			int32				fLook;
			int32				fFeel;
			uint32				fFlags;
			bool				fModal;
			bool				fCentre;
			int					fCentreX;
			int					fCentreY;
			std::map<int32, std::unique_ptr<FltkView> > fViews;
			std::vector<int32>	fStack;
};

} // namespace BPrivate

#endif
