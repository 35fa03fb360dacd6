#ifndef _LIST_ITEM_H
#define _LIST_ITEM_H

#include <SupportDefs.h>

class BListView;

// One entry of a list view. Its selected state is the list's to change:
// BListView::Select and DeselectAll keep the display in step.
class BListItem {
public:
								BListItem(uint32 outlineLevel = 0,
									bool expanded = true);
	virtual						~BListItem();

			bool				IsSelected() const { return fSelected; }
			bool				IsExpanded() const { return fExpanded; }
			uint32				OutlineLevel() const { return fLevel; }

private:
	friend class BListView;

			uint32				fLevel;
			bool				fExpanded;
			bool				fSelected;
};

class BStringItem : public BListItem {
public:
								BStringItem(const char* text,
									uint32 outlineLevel = 0,
									bool expanded = true);
	virtual						~BStringItem();

			const char*			Text() const { return fText; }

private:
			char*				fText;
};

#endif // _LIST_ITEM_H
