#ifndef _KITS_PRIVATE_INTERFACE_VIEW_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_VIEW_PRIVATE_H

#include <View.h>
#include <Window.h>

#include "display/DisplayServer.h"

// What the interface kit's classes share about a view and its display.
class BView::Private {
public:
								Private(const BView* view)
									: fView(const_cast<BView*>(view)) {}

			void				SetKind(BPrivate::display_view_kind kind)
									{ fView->fDisplayKind = kind; }
			bool				IsHiddenItself() const
									{ return fView->fHidden; }
			void				SetWindow(BWindow* window)
									{ fView->_SetWindow(window); }
			void				CheckLock() const { fView->_CheckLock(); }

			// In a window: the display knows the view.
			bool				IsAttached() const
									{ return fView->fWindow != NULL; }
			// A command about this view, its window and view ids set.
			BPrivate::DisplayCommand Command(uint32 code) const;
			// These send only while the display knows the view.
			void				Send(const BPrivate::DisplayCommand& command)
									const;
			void				Send(BPrivate::DisplayCommand&& command)
									const;
			void				SendText(uint32 code, const char* text) const;
			void				SendValue(uint32 code, int32 value) const;

private:
			BView*				fView;
};

// The name of an object's own class, as the dump shows it.
std::string _ClassNameOf(const std::type_info& type);

#endif
