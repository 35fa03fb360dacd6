#ifndef _KITS_PRIVATE_INTERFACE_LIST_VIEW_PRIVATE_H
#define _KITS_PRIVATE_INTERFACE_LIST_VIEW_PRIVATE_H

#include <vector>

#include <ListView.h>

class BListView::Private {
public:
								Private(BListView* list) : fList(list) {}

			// The user chose exactly these entries (a display's selection
			// input): indexes outside the list are stale and skipped; a
			// single-selection list keeps the first. SelectionChanged
			// follows when anything changed.
			void				UserSelect(const std::vector<int32>& indexes);
			// The user double-clicked: the list is invoked when it has
			// an invocation message.
			void				UserInvoke();

private:
			BListView*			fList;
};

#endif
