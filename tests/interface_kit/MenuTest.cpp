#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include <Button.h>
#include <Looper.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Window.h>

#include "TestSupport.h"
#include "display/DisplayProtocol.h"
#include "private/interface/MenuPrivate.h"

using namespace BPrivate;

namespace {

// A window that records the commands it receives.
class RecordingWindow : public BWindow {
public:
	RecordingWindow()
		: BWindow(BRect(0, 0, 199, 99), "Registro", B_TITLED_WINDOW, 0) {}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(fLock);
		fReceived.push_back(*message);
	}

	std::vector<BMessage> Received()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fReceived;
	}

	std::mutex fLock;
	std::vector<BMessage> fReceived;
};

} // namespace


// Items and controls without a target of their own deliver to their
// window, with "when", "source" and, for a control, "be:value".
TEST(MenuTest, UntargetedItemsAndControlsReachTheirWindow)
{
	TemporaryHome home;
	RecordingWindow* window = new RecordingWindow();
	BMenuBar* bar = new BMenuBar(BRect(0, 0, 10, 10), "bar");
	BMenu* menu = new BMenu("Lista");
	BMenuItem* item = new BMenuItem("Nuova", new BMessage('NWLS'));
	menu->AddItem(item);
	BMenuItem* off = new BMenuItem("Spento", new BMessage('OFFF'));
	off->SetEnabled(false);
	menu->AddItem(off);
	bar->AddItem(menu);
	window->AddChild(bar);
	BButton* button = new BButton(BRect(10, 40, 80, 60), "Bottone", "Vai",
		new BMessage('GOGO'));
	window->AddChild(button);
	// The bar takes the window's width and its font's height.
	EXPECT_EQ(BRect(0, 0, 199, 18), bar->Frame());
	// A hidden window takes no input.
	window->Run();
	BMessage early(B_INPUT_CLICK);
	early.AddInt32("view", button->_Token());
	BMessenger(window).SendMessage(&early);
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_TRUE(window->Received().empty());
	window->Show();

	BMessage pick(B_INPUT_MENU_ITEM);
	pick.AddInt32("view", bar->_Token());
	pick.AddInt32("item", BMenuItem::Private(item).Id());
	BMessenger(window).SendMessage(&pick);
	BMessage pickOff(B_INPUT_MENU_ITEM);
	pickOff.AddInt32("view", bar->_Token());
	pickOff.AddInt32("item", BMenuItem::Private(off).Id());
	BMessenger(window).SendMessage(&pickOff);
	BMessage click(B_INPUT_CLICK);
	click.AddInt32("view", button->_Token());
	BMessenger(window).SendMessage(&click);
	ASSERT_TRUE(WaitUntilQuiet());
	ASSERT_TRUE(window->Lock());
	button->SetEnabled(false);
	window->Unlock();
	BMessenger(window).SendMessage(&click);
	ASSERT_TRUE(WaitUntilQuiet());

	std::vector<BMessage> received = window->Received();
	ASSERT_EQ(2u, received.size());
	EXPECT_EQ((uint32)'NWLS', received[0].what);
	void* source = NULL;
	EXPECT_EQ(B_OK, received[0].FindPointer("source", &source));
	EXPECT_EQ((void*)static_cast<BInvoker*>(item), source);
	int64 when;
	EXPECT_EQ(B_OK, received[0].FindInt64("when", &when));
	EXPECT_EQ((uint32)'GOGO', received[1].what);
	int32 value = -1;
	EXPECT_EQ(B_OK, received[1].FindInt32("be:value", &value));
	EXPECT_EQ(0, value);

	ASSERT_TRUE(window->Lock());
	window->Quit();
}


TEST(MenuTest, RadioMenusMarkOneItem)
{
	BMenu menu("Bitrate");
	menu.SetRadioMode(true);
	BMenuItem* low = new BMenuItem("128", NULL);
	BMenuItem* high = new BMenuItem("320", NULL);
	menu.AddItem(low);
	menu.AddItem(high);
	menu.AddSeparatorItem();
	low->SetMarked(true);
	EXPECT_EQ(low, menu.FindMarked());
	high->SetMarked(true);
	EXPECT_EQ(high, menu.FindMarked());
	EXPECT_FALSE(low->IsMarked());
	EXPECT_EQ(high, menu.FindItem("320"));
	EXPECT_EQ(1, menu.IndexOf(high));
	EXPECT_FALSE(menu.ItemAt(2)->IsEnabled());
	EXPECT_EQ(3, menu.CountItems());
}
