#include <gtest/gtest.h>

#include <Button.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <StringView.h>
#include <TabView.h>
#include <View.h>
#include <Window.h>

#include "display/headless/DumpText.h"

// Each edge follows the parent's edge its resizing rule names.
TEST(ViewTest, ChildrenFollowTheirParentByTheirResizingMode)
{
	BView parent(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, 0);
	BView* all = new BView(BRect(10, 10, 89, 89), "all", B_FOLLOW_ALL_SIDES,
		0);
	BView* rightBottom = new BView(BRect(80, 80, 89, 89), "corner",
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 0);
	BView* leftTop = new BView(BRect(5, 5, 9, 9), "origin",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
	BView* wide = new BView(BRect(0, 0, 99, 9), "bar",
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0);
	BView* centered = new BView(BRect(40, 40, 59, 59), "middle",
		B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, 0);
	parent.AddChild(all);
	parent.AddChild(rightBottom);
	parent.AddChild(leftTop);
	parent.AddChild(wide);
	parent.AddChild(centered);

	parent.ResizeTo(139, 119);
	EXPECT_EQ(BRect(0, 0, 139, 119), parent.Bounds());
	EXPECT_EQ(BRect(10, 10, 129, 109), all->Frame());
	EXPECT_EQ(BRect(120, 100, 129, 109), rightBottom->Frame());
	EXPECT_EQ(BRect(5, 5, 9, 9), leftTop->Frame());
	EXPECT_EQ(BRect(0, 0, 139, 9), wide->Frame());
	EXPECT_EQ(BRect(60, 50, 79, 69), centered->Frame());
	EXPECT_EQ(all, parent.FindView("all"));
	EXPECT_EQ(nullptr, parent.FindView("none"));
}


// Frames are inclusive: (100, 100, 540, 380) covers 441 x 281 pixels.
TEST(ViewTest, RectsAreInclusive)
{
	BRect frame(100, 100, 540, 380);
	EXPECT_EQ(440, frame.Width());
	EXPECT_EQ(280, frame.Height());
	EXPECT_TRUE(frame.Contains(BPoint(540, 380)));
	EXPECT_FALSE(frame.Contains(BPoint(541, 380)));
	EXPECT_EQ(BRect(105, 105, 535, 375), frame.InsetByCopy(5, 5));
	EXPECT_EQ(BRect(0, 0, 440, 280), frame.OffsetToCopy(0, 0));
}


// A hidden view, or one inside a hidden view, is hidden; a tab view shows
// exactly the view of the selected tab, named after that view.
TEST(ViewTest, TabsShowOneViewAndTakeTheirLabelsFromIt)
{
	BTabView tabs(BRect(0, 0, 299, 199), "tabs");
	BView* first = new BView(BRect(0, 0, 50, 50), "Primo", B_FOLLOW_NONE, 0);
	BView* second = new BView(BRect(0, 0, 50, 50), "Secondo", B_FOLLOW_NONE,
		0);
	BView* inner = new BView(BRect(0, 0, 5, 5), "inner", B_FOLLOW_NONE, 0);
	second->AddChild(inner);
	tabs.AddTab(first);
	tabs.AddTab(second, new BTab());
	ASSERT_EQ(2, tabs.CountTabs());
	EXPECT_STREQ("Primo", tabs.TabAt(0)->Label());
	EXPECT_STREQ("Secondo", tabs.TabAt(1)->Label());
	EXPECT_EQ(0, tabs.Selection());
	EXPECT_FALSE(first->IsHidden());
	EXPECT_TRUE(second->IsHidden());
	EXPECT_TRUE(inner->IsHidden());

	tabs.Select(1);
	EXPECT_EQ(1, tabs.Selection());
	EXPECT_TRUE(first->IsHidden());
	EXPECT_FALSE(inner->IsHidden());
	tabs.Select(7);
	EXPECT_EQ(1, tabs.Selection());
	EXPECT_TRUE(tabs.TabAt(1)->IsSelected());
	EXPECT_FALSE(tabs.TabAt(0)->IsSelected());
}


// Preferred sizes come from the fixed headless metrics.
TEST(ViewTest, PreferredSizesFromTheFixedMetrics)
{
	BButton button(BRect(0, 0, 10, 10), "b", "OK", NULL);
	button.ResizeToPreferred();
	EXPECT_EQ(BRect(0, 0, 74, 24), button.Frame());
	BButton wide(BRect(5, 6, 10, 10), "w", "Ferma codifica", NULL);
	wide.ResizeToPreferred();
	EXPECT_EQ(5, wide.Frame().left);
	EXPECT_EQ(6, wide.Frame().top);
	EXPECT_EQ(wide.StringWidth("Ferma codifica") + 20, wide.Bounds().Width());

	BStringView text(BRect(0, 0, 1, 1), "t", "Mi");
	text.ResizeToPreferred();
	EXPECT_EQ(BRect(0, 0, 13, 14), text.Frame());
	// A character beyond ASCII counts once, whatever its byte count.
	EXPECT_EQ(text.StringWidth("a") + 8, text.StringWidth("a\xc3\xa8"));
	EXPECT_EQ(0, text.StringWidth(""));
}


TEST(ViewTest, DumpTextsAreQuoted)
{
	EXPECT_EQ("\"plain\"", BPrivate::QuoteForDump("plain"));
	EXPECT_EQ("\"a\\\\b \\\"c\\\"\\n\\r\\t\xc3\xa8\"",
		BPrivate::QuoteForDump("a\\b \"c\"\n\r\t\xc3\xa8"));
	EXPECT_EQ("\"\"", BPrivate::QuoteForDump(""));
}
