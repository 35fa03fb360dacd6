#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/DisplayMirror.h"

using namespace BPrivate;

namespace {

const int32 kWindow = 1;
const int32 kTop = 10;
const int32 kList = 11;


DisplayCommand
Command(uint32 code, int32 view = kList, int32 index = -1)
{
	DisplayCommand command(code);
	command.window = kWindow;
	command.view = view;
	command.index = index;
	return command;
}


// A mirror with one list view of count entries "0" ... "count - 1".
void
Fill(DisplayMirror& mirror, int count)
{
	DisplayCommand window = Command(B_DISPLAY_WINDOW_CREATED, kTop);
	window.rect = BRect(0, 0, 99, 99);
	ASSERT_TRUE(mirror.Apply(window));
	DisplayCommand list = Command(B_DISPLAY_VIEW_ADDED);
	list.parent = kTop;
	list.kind = B_DISPLAY_LIST_VIEW;
	list.index = 0;
	ASSERT_TRUE(mirror.Apply(list));
	DisplayCommand batch = Command(B_DISPLAY_LIST_ITEMS_ADDED, kList, 0);
	for (int i = 0; i < count; i++)
		batch.text += std::to_string(i) + '\0';
	ASSERT_TRUE(mirror.Apply(batch));
}


std::vector<std::string>
Texts(DisplayMirror& mirror)
{
	std::vector<std::string> texts;
	const MirrorList& items
		= mirror.FindWindow(kWindow)->FindView(kList)->listItems;
	for (size_t i = 0; i < items.size(); i++)
		texts.push_back(items.TextString(i));
	return texts;
}


// The removals applied one by one to one mirror, and as a queue that
// folds what it can to another: both end with the same entries. Returns
// how many commands the queue kept.
size_t
ApplyBothWays(const std::vector<DisplayCommand>& removals, int count,
	std::vector<std::string>* result)
{
	DisplayMirror plain, folded;
	Fill(plain, count);
	Fill(folded, count);
	std::vector<DisplayCommand> queue;
	for (const DisplayCommand& removal : removals) {
		EXPECT_TRUE(plain.Apply(removal));
		if (queue.empty() || !DisplayMirror::Merge(queue.back(), removal))
			queue.push_back(removal);
	}
	for (const DisplayCommand& command : queue)
		EXPECT_TRUE(folded.Apply(command));
	*result = Texts(plain);
	EXPECT_EQ(*result, Texts(folded));
	return queue.size();
}

} // namespace


// A list emptied from its end and from its start, and a run from the
// middle, become one command each; removals that are not next to each
// other, or of another view, stay apart. Every way, the entries left are
// those left by the removals one by one.
TEST(RemovalMergeTest, RunsOfRemovalsFoldIntoOneCommand)
{
	const int count = 70000;
	std::vector<std::string> left;

	std::vector<DisplayCommand> fromEnd;
	for (int i = count - 1; i >= 0; i--)
		fromEnd.push_back(Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, i));
	EXPECT_EQ(1u, ApplyBothWays(fromEnd, count, &left));
	EXPECT_TRUE(left.empty());

	std::vector<DisplayCommand> fromStart(count,
		Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, 0));
	EXPECT_EQ(1u, ApplyBothWays(fromStart, count, &left));
	EXPECT_TRUE(left.empty());

	// The middle 60,000 of 70,000, half from the run's end down and half
	// from its start on, then entry 1: what is left is the first and the
	// last 5,000, less one.
	std::vector<DisplayCommand> middle;
	for (int i = 34999; i >= 5000; i--)
		middle.push_back(Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, i));
	for (int i = 0; i < 30000; i++)
		middle.push_back(Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, 5000));
	middle.push_back(Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, 1));
	EXPECT_EQ(2u, ApplyBothWays(middle, count, &left));
	ASSERT_EQ(9999u, left.size());
	EXPECT_EQ("0", left[0]);
	EXPECT_EQ("2", left[1]);
	EXPECT_EQ("4999", left[4998]);
	EXPECT_EQ("3", left[2]);
	EXPECT_EQ("65000", left[4999]);
	EXPECT_EQ("69999", left[9998]);

	// Every other entry: nothing to fold.
	std::vector<DisplayCommand> apart;
	for (int i = 0; i < 10; i++)
		apart.push_back(Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, i));
	EXPECT_EQ(10u, ApplyBothWays(apart, 20, &left));
	EXPECT_EQ(std::vector<std::string>({ "1", "3", "5", "7", "9", "11", "13",
		"15", "17", "19" }), left);

	// Another view, another command, or a selection between removals.
	DisplayCommand removal = Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, 5);
	DisplayCommand other = Command(B_DISPLAY_LIST_ITEM_REMOVED, kList + 1, 4);
	EXPECT_FALSE(DisplayMirror::Merge(removal, other));
	DisplayCommand select = Command(B_DISPLAY_LIST_ITEM_SELECTED, kList, 4);
	EXPECT_FALSE(DisplayMirror::Merge(removal, select));
	EXPECT_FALSE(DisplayMirror::Merge(select,
		Command(B_DISPLAY_LIST_ITEM_REMOVED, kList, 4)));
	EXPECT_EQ(B_DISPLAY_LIST_ITEM_REMOVED, removal.code);
	EXPECT_EQ(5, removal.index);
}


// A folded removal that reaches past the list's end changes nothing.
TEST(RemovalMergeTest, RangeBeyondTheListIsRefused)
{
	DisplayMirror mirror;
	Fill(mirror, 3);
	DisplayCommand range = Command(B_DISPLAY_LIST_ITEMS_REMOVED, kList, 1);
	range.value = 3;
	EXPECT_FALSE(mirror.Apply(range));
	range.value = -1;
	EXPECT_FALSE(mirror.Apply(range));
	EXPECT_EQ(std::vector<std::string>({ "0", "1", "2" }), Texts(mirror));
	range.value = 2;
	EXPECT_TRUE(mirror.Apply(range));
	EXPECT_EQ(std::vector<std::string>({ "0" }), Texts(mirror));
}
