#ifndef _KITS_PRIVATE_INTERFACE_WINDOW_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_WINDOW_PRIVATE_H

#include <Window.h>

#include "display/DisplayServer.h"

class BWindow::Private {
public:
								Private(const BWindow* window)
									: fWindow(const_cast<BWindow*>(window)) {}

			BView*				TopView() const { return fWindow->fTopView; }
			// A command about this window, its id set.
			BPrivate::DisplayCommand Command(uint32 code) const;
			// The focus moves to view (NULL: none); the display is told.
			void				SetFocus(BView* view) const
									{ fWindow->_SetFocus(view); }
			// Another modal window or alert of the application is in
			// front: the user cannot reach this one.
			bool				IsBehindModal() const;

private:
			BWindow*			fWindow;
};

#endif
