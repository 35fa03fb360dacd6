#ifndef _LIST_VIEW_H
#define _LIST_VIEW_H

#include <vector>

#include <Invoker.h>
#include <List.h>
#include <ListItem.h>
#include <View.h>

enum list_view_type {
	B_SINGLE_SELECTION_LIST,
	B_MULTIPLE_SELECTION_LIST
};

// A list of entries; the user selects them (on a display, with the mouse
// and the keyboard), and SelectionChanged follows each change the user
// makes. The list does not own its items: whoever removes one deletes it.
class BListView : public BView, public BInvoker {
public:
								BListView(BRect frame, const char* name,
									list_view_type type
										= B_SINGLE_SELECTION_LIST,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = B_WILL_DRAW
										| B_FRAME_EVENTS | B_NAVIGABLE);
	virtual						~BListView();

	virtual	void				MessageReceived(BMessage* message);
	// Up and Down (Home, End) move the selection, with Shift extend it in
	// a multiple-selection list; Enter invokes the list.
	virtual	void				KeyDown(const char* bytes, int32 numBytes);

	virtual	bool				AddItem(BListItem* item);
	virtual	bool				AddItem(BListItem* item, int32 index);
			// Many items at once, told to the display as one batch.
	virtual	bool				AddList(BList* newItems);
	virtual	bool				AddList(BList* newItems, int32 index);
	virtual	BListItem*			RemoveItem(int32 index);
	virtual	bool				RemoveItem(BListItem* item);
			bool				MoveItem(int32 from, int32 to);
	virtual	void				MakeEmpty();

			int32				CountItems() const
									{ return (int32)fItems.size(); }
			BListItem*			ItemAt(int32 index) const;
			int32				IndexOf(BListItem* item) const;
			bool				IsEmpty() const { return fItems.empty(); }

			list_view_type		ListType() const { return fListType; }
			void				Select(int32 index, bool extend = false);
			void				Deselect(int32 index);
			void				DeselectAll();
			bool				IsItemSelected(int32 index) const;
			// The index of the n-th selected item, or -1.
			int32				CurrentSelection(int32 n = 0) const;

	virtual	void				SelectionChanged();

			// Sent when the user double-clicks an entry, with "index" for
			// each selected entry; the list owns the message.
	virtual	void				SetInvocationMessage(BMessage* message);
			BMessage*			InvocationMessage() const;
	virtual	status_t			Invoke(BMessage* message = NULL);

			class Private;

private:
	friend class Private;

	virtual	void				_SendState();
			bool				_AddItem(BListItem* item, int32 index);
			void				_SendItem(int32 index) const;
			void				_SendSelected(int32 index) const;
			// Both keep fSelection sorted and its indexes in step.
			void				_Insert(BListItem* item, int32 index);
			BListItem*			_Remove(int32 index);
			void				_SetSelected(int32 index, bool selected);

			list_view_type		fListType;
			std::vector<BListItem*> fItems;
			// The selected indexes, in order: few compared with the items,
			// so that asking for the selection of a big list is cheap.
			std::vector<int32>	fSelection;
};

#endif // _LIST_VIEW_H
