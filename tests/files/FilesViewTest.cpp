#include <gtest/gtest.h>

#include <Button.h>
#include <ScrollView.h>

#include "FilesList.h"
#include "FilesView.h"

// The Files tab's arithmetic for a 400 by 300 panel: buttons along the
// bottom at their preferred sizes, the list inset in its scroll view.
TEST(FilesViewTest, LayoutFollowsTheFrame)
{
	BButton* encode = new BButton(BRect(0, 0, 74, 24), "EncodeButton",
		"Codifica!", NULL);
	encode->SetEnabled(false);
	FilesView* view = new FilesView(BRect(10, 10, 410, 310), encode, NULL);

	EXPECT_EQ(BPoint(326, 276), view->fRemoveButton->Frame().LeftTop());
	EXPECT_EQ(BPoint(247, 276), view->fAddButton->Frame().LeftTop());
	EXPECT_EQ(BPoint(-1, 276), view->fMoveUpButton->Frame().LeftTop());
	EXPECT_EQ(view->fMoveUpButton->Frame().right + 5,
		view->fMoveDownButton->Frame().left);
	EXPECT_EQ(276, view->fMoveDownButton->Frame().top);
	EXPECT_EQ(BRect(0, 0, 400, 271), view->fScrollView->Frame());
	// In the scroll view, inside its fancy border.
	EXPECT_EQ(BRect(2, 2, 384, 269), view->fFilesList->Frame());
	EXPECT_EQ(view->fScrollView, view->fFilesList->Parent());
	EXPECT_STREQ("FilesList", view->fFilesList->Name());
	EXPECT_EQ(B_MULTIPLE_SELECTION_LIST, view->fFilesList->ListType());

	// A fresh panel: only "Aggiungi..." is enabled.
	EXPECT_FALSE(view->fRemoveButton->IsEnabled());
	EXPECT_FALSE(view->fMoveUpButton->IsEnabled());
	EXPECT_FALSE(view->fMoveDownButton->IsEnabled());
	EXPECT_TRUE(view->fAddButton->IsEnabled());
	EXPECT_EQ(encode, view->fFilesList->fEncodeButton);
	EXPECT_EQ(view->fRemoveButton, view->fFilesList->fRemoveButton);

	const char* order[] = { "RemoveFiles", "AddFiles", "MoveUp", "MoveDown",
		"FilesScroll" };
	ASSERT_EQ(5, view->CountChildren());
	for (int32 i = 0; i < 5; i++)
		EXPECT_STREQ(order[i], view->ChildAt(i)->Name());

	delete view;
	delete encode;
}
