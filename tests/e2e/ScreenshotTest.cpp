// What the display draws, in pixels, kept as PNG files under the build
// folder (e2e-screenshots/) for a person to look at.

#include <Window.h>

#include "DisplayFixture.h"

using namespace BPrivate;
using namespace Commands;

namespace {

const rgb_color kRed = { 255, 0, 0, 255 };

} // namespace


TEST_F(DisplayTest, ViewsAreDrawnWhereTheyAreAndClipped)
{
	InputRecorder* recorder = new InputRecorder;
	recorder->Run();
	int32 id = recorder->Id();
	BRect backFrame(0, 20, 440, 280);
	// A string view too narrow for its text, and room beside it.
	BRect narrowFrame(10, 210, 69, 229);
	BRect besideFrame(70, 205, 200, 235);
	BRect redFrame(300, 210, 339, 239);

	Send(WindowCreated(id, 1, "Disegno", BRect(100, 100, 540, 380),
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE));
	Send(ViewAdded(id, 2, 1, B_DISPLAY_MENU_BAR, "MenuBar",
		BRect(0, 0, 440, 19), kPanelGrey));
	Send(MenuItemAdded(id, 2, 100, 0, "Lista", true, B_DISPLAY_ITEM_SUBMENU));
	Send(MenuItemAdded(id, 2, 101, 0, "?", true, B_DISPLAY_ITEM_SUBMENU));
	Send(ViewAdded(id, 3, 1, B_DISPLAY_PLAIN_VIEW, "BackView", backFrame,
		kPanelGrey));
	Send(ViewAdded(id, 4, 3, B_DISPLAY_TAB_VIEW, "TabView",
		BRect(5, 5, 435, 195), kPanelGrey));
	Send(TabAdded(id, 4, 0, "File"));
	Send(TabAdded(id, 4, 1, "Opzioni di Gogo"));
	Send(TabAdded(id, 4, 2, "Opzioni del programma"));
	Send(TabChosen(id, 4, 0));
	Send(ViewAdded(id, 5, 4, B_DISPLAY_STRING_VIEW, "Caption",
		BRect(10, 40, 300, 60), kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_TEXT, id, 5, "Codifica in corso del file: @a & b"));
	Send(ViewAdded(id, 6, 3, B_DISPLAY_STRING_VIEW, "Narrow", narrowFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_TEXT, id, 6,
		"/una/cartella/molto/lunga/con/un/file.wav"));
	Send(ViewAdded(id, 7, 3, B_DISPLAY_BUTTON, "Button",
		BRect(340, 226, 429, 249), kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, id, 7, "@Cod&ifica!"));
	// A red box in a view that is shown, then hidden itself.
	Send(ViewAdded(id, 8, 3, B_DISPLAY_PLAIN_VIEW, "Holder",
		BRect(290, 200, 349, 249), kPanelGrey));
	Send(ViewAdded(id, 9, 8, B_DISPLAY_PLAIN_VIEW, "Red",
		redFrame.OffsetByCopy(-290, -200), kRed));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, id));
	unsigned long window = fProbe->WaitForWindow("Disegno");
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(WaitUntilIdle());

	Screenshot shot = fProbe->GrabSettled(window);
	ASSERT_FALSE(shot.IsEmpty());
	SaveScreenshot(shot, "display-views");
	EXPECT_EQ(441, shot.width);
	EXPECT_EQ(281, shot.height);
	// Antialiased text on grey: many colours, the panel grey among them.
	EXPECT_GT(shot.CountColors(), 8);
	EXPECT_TRUE(shot.Has(216, 216, 216));
	EXPECT_TRUE(shot.Has(255, 0, 0));

	// The long text is drawn inside its frame and nowhere beside it.
	int top = (int)backFrame.top;
	EXPECT_GT(shot.CountOther((int)narrowFrame.left, top
		+ (int)narrowFrame.top, (int)narrowFrame.right,
		top + (int)narrowFrame.bottom, 216, 216, 216), 20);
	EXPECT_EQ(0, shot.CountOther((int)besideFrame.left,
		top + (int)besideFrame.top, (int)besideFrame.right,
		top + (int)besideFrame.bottom, 216, 216, 216));

	// Hidden through its parent, then shown again.
	Send(ViewValue(B_DISPLAY_VIEW_HIDDEN, id, 8, 1));
	ASSERT_TRUE(WaitUntilIdle());
	shot = fProbe->GrabSettled(window);
	EXPECT_FALSE(shot.Has(255, 0, 0));
	EXPECT_EQ(0, shot.CountOther(290, top + 200, 335, top + 249, 216, 216,
		216));
	Send(ViewValue(B_DISPLAY_VIEW_HIDDEN, id, 8, 0));
	// Moved with its parent.
	Send([&] {
		DisplayCommand command(B_DISPLAY_VIEW_FRAME);
		command.window = id;
		command.view = 8;
		command.rect = BRect(190, 200, 249, 249);
		return command;
	}());
	ASSERT_TRUE(WaitUntilIdle());
	shot = fProbe->GrabSettled(window);
	uint8 red, green, blue;
	ASSERT_TRUE(shot.Pixel(215, top + 225, &red, &green, &blue));
	EXPECT_EQ(255, red);
	EXPECT_EQ(0, green);
	EXPECT_EQ(0, shot.CountOther(290, top + 200, 335, top + 249, 216, 216,
		216));
	SaveScreenshot(shot, "display-views-moved");

	recorder->End();
}
