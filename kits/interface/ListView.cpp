#include <ListView.h>

#include <string.h>

#include <algorithm>
#include <new>
#include <typeinfo>
#include <utility>

#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include "private/interface/ListViewPrivate.h"
#include "private/interface/ViewPrivate.h"

using BPrivate::DisplayCommand;

namespace {

const char*
TextOf(const BListItem* item)
{
	// Most items are plain string items: a type check is much cheaper than
	// a cast that searches the class tree, which counted for a big list.
	if (typeid(*item) == typeid(BStringItem)) {
		const char* text = static_cast<const BStringItem*>(item)->Text();
		return text != NULL ? text : "";
	}
	const BStringItem* string = dynamic_cast<const BStringItem*>(item);
	return string != NULL && string->Text() != NULL ? string->Text() : "";
}

} // namespace


BListView::BListView(BRect frame, const char* name, list_view_type type,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fListType(type)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_LIST_VIEW);
}


BListView::~BListView()
{
}


void
BListView::MessageReceived(BMessage* message)
{
	BView::MessageReceived(message);
}


void
BListView::KeyDown(const char* bytes, int32 numBytes)
{
	int32 count = CountItems();
	if (numBytes != 1 || count == 0) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	int32 first = CurrentSelection(0);
	int32 last = fSelection.empty() ? -1 : fSelection.back();
	int32 target;
	switch (bytes[0]) {
		case B_DOWN_ARROW:
			target = last < 0 ? 0 : std::min(last + 1, count - 1);
			break;
		case B_UP_ARROW:
			target = first < 0 ? count - 1 : std::max(first - 1, (int32)0);
			break;
		case B_HOME:
			target = 0;
			break;
		case B_END:
			target = count - 1;
			break;
		case B_ENTER:
			if (first >= 0)
				Private(this).UserInvoke();
			return;
		default:
			BView::KeyDown(bytes, numBytes);
			return;
	}
	int32 modifiers = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("modifiers", &modifiers);
	std::vector<int32> wanted(1, target);
	if ((modifiers & B_SHIFT_KEY) != 0 && fListType == B_MULTIPLE_SELECTION_LIST)
		wanted.insert(wanted.end(), fSelection.begin(), fSelection.end());
	Private(this).UserSelect(wanted);
}


bool
BListView::AddItem(BListItem* item)
{
	return _AddItem(item, CountItems());
}


bool
BListView::AddItem(BListItem* item, int32 index)
{
	return _AddItem(item, index);
}


// Both forms, without either calling the other: a subclass overrides each.
bool
BListView::_AddItem(BListItem* item, int32 index)
{
	BView::Private(this).CheckLock();
	if (item == NULL || index < 0 || index > CountItems())
		return false;
	_Insert(item, index);
	_SendItem(index);
	return true;
}


bool
BListView::AddList(BList* newItems)
{
	return AddList(newItems, CountItems());
}


bool
BListView::AddList(BList* newItems, int32 index)
{
	BView::Private view(this);
	view.CheckLock();
	if (newItems == NULL || index < 0 || index > CountItems())
		return false;
	int32 count = newItems->CountItems();
	BListItem** batch = static_cast<BListItem**>(newItems->Items());
	for (int32 i = 0; i < count; i++) {
		if (batch[i] == NULL)
			return false;
	}
	// The display's text and the room for the items first: a batch too big
	// for the memory there is leaves the list as it was.
	DisplayCommand command;
	try {
		if (view.IsAttached() && count > 0) {
			command = view.Command(BPrivate::B_DISPLAY_LIST_ITEMS_ADDED);
			command.index = index;
			size_t length = 0;
			for (int32 i = 0; i < count; i++)
				length += strlen(TextOf(batch[i])) + 1;
			command.text.reserve(length);
			for (int32 i = 0; i < count; i++)
				command.text.append(TextOf(batch[i])).push_back('\0');
		}
		// Room once, then the items in place.
		fItems.insert(fItems.begin() + index, batch, batch + count);
	} catch (const std::bad_alloc&) {
		return false;
	}
	// The selection moves down by the batch.
	auto first = std::lower_bound(fSelection.begin(), fSelection.end(), index);
	for (auto i = first; i != fSelection.end(); ++i)
		*i += count;
	std::vector<int32> selected;
	for (int32 i = 0; i < count; i++) {
		if (!batch[i]->fSelected)
			continue;
		batch[i]->fSelected = false;
		selected.push_back(index + i);
	}

	if (view.IsAttached() && count > 0)
		view.Send(std::move(command));
	for (int32 i : selected)
		Select(i, true);
	return true;
}


BListItem*
BListView::RemoveItem(int32 index)
{
	BView::Private view(this);
	view.CheckLock();
	if (index < 0 || index >= CountItems())
		return NULL;
	BListItem* item = _Remove(index);
	DisplayCommand command = view.Command(BPrivate::B_DISPLAY_LIST_ITEM_REMOVED);
	command.index = index;
	view.Send(command);
	return item;
}


bool
BListView::RemoveItem(BListItem* item)
{
	int32 index = IndexOf(item);
	return index >= 0 && RemoveItem(index) != NULL;
}


// The item keeps its selected state at its new place.
bool
BListView::MoveItem(int32 from, int32 to)
{
	BView::Private view(this);
	view.CheckLock();
	if (from < 0 || from >= CountItems() || to < 0 || to >= CountItems())
		return false;
	if (from == to)
		return true;
	BListItem* item = _Remove(from);
	DisplayCommand command = view.Command(BPrivate::B_DISPLAY_LIST_ITEM_REMOVED);
	command.index = from;
	view.Send(command);
	_Insert(item, to);
	_SendItem(to);
	return true;
}


void
BListView::MakeEmpty()
{
	BView::Private view(this);
	view.CheckLock();
	for (BListItem* item : fItems)
		item->fSelected = false;
	fItems.clear();
	fSelection.clear();
	view.Send(view.Command(BPrivate::B_DISPLAY_LIST_EMPTIED));
}


BListItem*
BListView::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}


int32
BListView::IndexOf(BListItem* item) const
{
	auto found = std::find(fItems.begin(), fItems.end(), item);
	return found != fItems.end() ? (int32)(found - fItems.begin()) : -1;
}


void
BListView::Select(int32 index, bool extend)
{
	BView::Private(this).CheckLock();
	if (index < 0 || index >= CountItems())
		return;
	if (!extend || fListType == B_SINGLE_SELECTION_LIST) {
		std::vector<int32> selection = fSelection;
		for (int32 selected : selection) {
			if (selected != index)
				_SetSelected(selected, false);
		}
	}
	_SetSelected(index, true);
}


void
BListView::Deselect(int32 index)
{
	BView::Private(this).CheckLock();
	if (index >= 0 && index < CountItems())
		_SetSelected(index, false);
}


void
BListView::DeselectAll()
{
	BView::Private(this).CheckLock();
	std::vector<int32> selection = fSelection;
	for (int32 selected : selection)
		_SetSelected(selected, false);
}


bool
BListView::IsItemSelected(int32 index) const
{
	BListItem* item = ItemAt(index);
	return item != NULL && item->fSelected;
}


int32
BListView::CurrentSelection(int32 n) const
{
	if (n < 0 || n >= (int32)fSelection.size())
		return -1;
	return fSelection[n];
}


void
BListView::SelectionChanged()
{
}


void
BListView::SetInvocationMessage(BMessage* message)
{
	SetMessage(message);
}


BMessage*
BListView::InvocationMessage() const
{
	return Message();
}


status_t
BListView::Invoke(BMessage* message)
{
	const BMessage* toSend = message != NULL ? message : Message();
	if (toSend == NULL)
		return B_BAD_VALUE;
	BMessage copy(*toSend);
	for (int32 index : fSelection)
		copy.AddInt32("index", index);
	// Without a target of its own the list tells its window, as a
	// control does.
	BMessenger window;
	if (Window() != NULL)
		window = BMessenger(Window());
	return _SendCopy(&copy, window, this);
}


void
BListView::_SendState()
{
	for (int32 i = 0; i < CountItems(); i++)
		_SendItem(i);
}


void
BListView::_SendItem(int32 index) const
{
	BView::Private view(this);
	if (!view.IsAttached())
		return;
	DisplayCommand command = view.Command(BPrivate::B_DISPLAY_LIST_ITEM_ADDED);
	command.index = index;
	command.text = TextOf(fItems[index]);
	command.value = fItems[index]->fSelected ? 1 : 0;
	view.Send(command);
}


void
BListView::_SendSelected(int32 index) const
{
	BView::Private view(this);
	DisplayCommand command
		= view.Command(BPrivate::B_DISPLAY_LIST_ITEM_SELECTED);
	command.index = index;
	command.value = fItems[index]->fSelected ? 1 : 0;
	view.Send(command);
}


void
BListView::_Insert(BListItem* item, int32 index)
{
	fItems.insert(fItems.begin() + index, item);
	// Entries after the new one move down a place.
	auto first = std::lower_bound(fSelection.begin(), fSelection.end(), index);
	for (auto i = first; i != fSelection.end(); ++i)
		(*i)++;
	if (item->fSelected) {
		if (fListType == B_SINGLE_SELECTION_LIST && !fSelection.empty())
			item->fSelected = false;
		else
			fSelection.insert(first, index);
	}
}


BListItem*
BListView::_Remove(int32 index)
{
	BListItem* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	auto first = std::lower_bound(fSelection.begin(), fSelection.end(), index);
	if (first != fSelection.end() && *first == index)
		first = fSelection.erase(first);
	for (auto i = first; i != fSelection.end(); ++i)
		(*i)--;
	return item;
}


void
BListView::_SetSelected(int32 index, bool selected)
{
	BListItem* item = fItems[index];
	if (item->fSelected == selected)
		return;
	item->fSelected = selected;
	auto place = std::lower_bound(fSelection.begin(), fSelection.end(), index);
	if (selected)
		fSelection.insert(place, index);
	else if (place != fSelection.end() && *place == index)
		fSelection.erase(place);
	_SendSelected(index);
}


void
BListView::Private::UserInvoke()
{
	if (fList->InvocationMessage() != NULL)
		fList->Invoke();
}


void
BListView::Private::UserSelect(const std::vector<int32>& indexes)
{
	std::vector<int32> wanted;
	for (int32 index : indexes) {
		if (index >= 0 && index < fList->CountItems())
			wanted.push_back(index);
	}
	std::sort(wanted.begin(), wanted.end());
	wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
	if (fList->fListType == B_SINGLE_SELECTION_LIST && wanted.size() > 1)
		wanted.resize(1);
	if (wanted == fList->fSelection)
		return;

	std::vector<int32> selection = fList->fSelection;
	for (int32 selected : selection) {
		if (!std::binary_search(wanted.begin(), wanted.end(), selected))
			fList->_SetSelected(selected, false);
	}
	for (int32 index : wanted)
		fList->_SetSelected(index, true);
	fList->SelectionChanged();
}
