#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include <ListView.h>
#include <Message.h>
#include <Window.h>

#include "display/DisplayProtocol.h"
#include "private/app/HandlerPrivate.h"

namespace {

class CountingList : public BListView {
public:
	CountingList(list_view_type type)
		:
		BListView(BRect(0, 0, 100, 100), "List", type),
		changes(0)
	{
	}

	~CountingList()
	{
		for (int32 i = CountItems() - 1; i >= 0; i--)
			delete RemoveItem(i);
	}

	virtual void SelectionChanged()
	{
		changes++;
	}

	int changes;
};


std::vector<int32>
Selection(const BListView& list)
{
	std::vector<int32> selection;
	for (int32 n = 0; list.CurrentSelection(n) >= 0; n++)
		selection.push_back(list.CurrentSelection(n));
	return selection;
}


void
Fill(BListView* list, int count)
{
	for (int i = 0; i < count; i++)
		list->AddItem(new BStringItem(std::to_string(i).c_str()));
}

} // namespace


// The selection follows its entries through insertions, removals and
// moves, and CurrentSelection counts in index order.
TEST(ListViewTest, TheSelectionFollowsItsEntries)
{
	CountingList list(B_MULTIPLE_SELECTION_LIST);
	Fill(&list, 5);
	list.Select(3);
	list.Select(1, true);
	EXPECT_EQ(std::vector<int32>({ 1, 3 }), Selection(list));

	list.AddItem(new BStringItem("new"), 2);
	EXPECT_EQ(std::vector<int32>({ 1, 4 }), Selection(list));
	delete list.RemoveItem(1);
	EXPECT_EQ(std::vector<int32>({ 3 }), Selection(list));
	EXPECT_TRUE(list.MoveItem(3, 0));
	EXPECT_EQ(std::vector<int32>({ 0 }), Selection(list));
	EXPECT_TRUE(list.IsItemSelected(0));
	EXPECT_STREQ("3", static_cast<BStringItem*>(list.ItemAt(0))->Text());
	EXPECT_FALSE(list.MoveItem(0, 5));
	EXPECT_EQ(nullptr, list.RemoveItem(5));
	BStringItem* far = new BStringItem("far");
	EXPECT_FALSE(list.AddItem(far, 7));
	delete far;
	// The program's own changes are not the user's: no hook.
	EXPECT_EQ(0, list.changes);
}


TEST(ListViewTest, ASingleSelectionListKeepsOneEntry)
{
	CountingList list(B_SINGLE_SELECTION_LIST);
	Fill(&list, 3);
	list.Select(0);
	list.Select(2, true);
	EXPECT_EQ(std::vector<int32>({ 2 }), Selection(list));
	list.DeselectAll();
	EXPECT_EQ(-1, list.CurrentSelection(0));
}


// The user's selection arrives as input in the window's thread; stale
// indexes are dropped and the hook runs once per change.
TEST(ListViewTest, TheUsersSelectionCallsTheHookOnce)
{
	BWindow* window = new BWindow(BRect(0, 0, 200, 200), "Lista",
		B_TITLED_WINDOW, 0);
	CountingList* list = new CountingList(B_MULTIPLE_SELECTION_LIST);
	window->AddChild(list);
	Fill(list, 4);
	window->Show();

	BMessenger messenger(window);
	BMessage input(BPrivate::B_INPUT_SELECTION);
	input.AddInt32("view", BHandler::Private(list).Token());
	input.AddInt32("index", 3);
	input.AddInt32("index", 1);
	input.AddInt32("index", 9);
	ASSERT_EQ(B_OK, messenger.SendMessage(&input));
	// The same again changes nothing.
	ASSERT_EQ(B_OK, messenger.SendMessage(&input));
	BMessage none(BPrivate::B_INPUT_SELECTION);
	none.AddInt32("view", BHandler::Private(list).Token());
	ASSERT_EQ(B_OK, messenger.SendMessage(&none));

	// Input is applied in order: wait for the last by locking after it.
	for (int i = 0; i < 200; i++) {
		ASSERT_TRUE(window->Lock());
		int changes = list->changes;
		window->Unlock();
		if (changes == 2)
			break;
		usleep(10000);
	}
	ASSERT_TRUE(window->Lock());
	EXPECT_EQ(2, list->changes);
	EXPECT_EQ(-1, list->CurrentSelection(0));
	window->Quit();
}
