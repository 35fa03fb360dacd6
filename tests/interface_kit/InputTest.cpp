#include <gtest/gtest.h>

#include <mutex>
#include <utility>
#include <vector>

#include <Button.h>
#include <CheckBox.h>
#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <TabView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include "TestSupport.h"
#include "display/DisplayProtocol.h"
#include "private/interface/MenuPrivate.h"
#include "private/app/HandlerPrivate.h"

using namespace BPrivate;

namespace {

// A window that records the commands its controls send it.
class RecordingWindow : public BWindow {
public:
	RecordingWindow(uint32 flags = 0)
		: BWindow(BRect(0, 0, 299, 199), "Registro", B_TITLED_WINDOW, flags)
	{
	}

	explicit RecordingWindow(window_feel feel)
		: BWindow(BRect(0, 0, 299, 199), "Modale", B_MODAL_WINDOW_LOOK, feel,
			0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(fLock);
		fReceived.push_back(message->what);
	}

	bool QuitRequested() override
	{
		std::lock_guard<std::mutex> lock(fLock);
		fReceived.push_back(B_QUIT_REQUESTED);
		return false;
	}

	std::vector<uint32> Received()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fReceived;
	}

	std::mutex fLock;
	std::vector<uint32> fReceived;
};


// A view that records the files dropped on it.
class DropTarget : public BView {
public:
	DropTarget(BRect frame, const char* name)
		: BView(frame, name, B_FOLLOW_NONE, 0), fDrops(0) {}

	void MessageReceived(BMessage* message) override
	{
		entry_ref ref;
		if (message->what == B_SIMPLE_DATA
			&& message->FindRef("refs", &ref) == B_OK)
			fDrops++;
		else
			BView::MessageReceived(message);
	}

	int fDrops;
};


void
Send(BWindow* window, BMessage* input)
{
	ASSERT_EQ(B_OK, BMessenger(window).SendMessage(input));
	ASSERT_TRUE(WaitUntilQuiet());
}


void
Click(BWindow* window, BView* view)
{
	BMessage click(B_INPUT_CLICK);
	click.AddInt32("view", BHandler::Private(view).Token());
	Send(window, &click);
}

} // namespace


// Input comes from a display that may be behind: the window itself checks,
// when it applies it, that the user could still have done it.
TEST(InputTest, TheWindowRefusesInputTheUserCouldNotGive)
{
	TemporaryHome home;
	RecordingWindow* window = new RecordingWindow();
	BView* box = new BView(BRect(0, 0, 150, 150), "Box", B_FOLLOW_NONE, 0);
	BButton* inside = new BButton(BRect(10, 10, 80, 30), "Inside", "Dentro",
		new BMessage('INSD'));
	box->AddChild(inside);
	window->AddChild(box);
	BButton* off = new BButton(BRect(160, 10, 230, 30), "Off", "Spento",
		new BMessage('OFFF'));
	off->SetEnabled(false);
	window->AddChild(off);
	BMenuBar* bar = new BMenuBar(BRect(0, 170, 10, 180), "bar",
		B_FOLLOW_NONE);
	BMenu* menu = new BMenu("Lista");
	BMenuItem* item = new BMenuItem("Nuova", new BMessage('NWLS'));
	menu->AddItem(item);
	BMenuItem* disabled = new BMenuItem("Mai", new BMessage('MAII'));
	disabled->SetEnabled(false);
	menu->AddItem(disabled);
	bar->AddItem(menu);
	window->AddChild(bar);
	BTabView* tabs = new BTabView(BRect(160, 40, 290, 160), "Tabs");
	tabs->AddTab(new BView(BRect(0, 0, 10, 10), "Uno", B_FOLLOW_NONE, 0));
	tabs->AddTab(new BView(BRect(0, 0, 10, 10), "Due", B_FOLLOW_NONE, 0));
	tabs->TabAt(1)->SetEnabled(false);
	window->AddChild(tabs);

	// A hidden window takes nothing.
	window->Run();
	Click(window, inside);
	EXPECT_TRUE(window->Received().empty());
	window->Show();

	Click(window, inside);
	ASSERT_EQ(1u, window->Received().size());
	EXPECT_EQ((uint32)'INSD', window->Received()[0]);

	// Inside a hidden view, or disabled: refused by the window, whatever
	// the display believed.
	ASSERT_TRUE(window->Lock());
	box->Hide();
	window->Unlock();
	Click(window, inside);
	Click(window, off);

	BMessage choose(B_INPUT_MENU_ITEM);
	choose.AddInt32("view", BHandler::Private(bar).Token());
	choose.AddInt32("item", BMenuItem::Private(disabled).Id());
	Send(window, &choose);
	choose.ReplaceInt32("item", 123456789);
	Send(window, &choose);
	choose.ReplaceInt32("item", BMenuItem::Private(item).Id());
	Send(window, &choose);

	BMessage tab(B_INPUT_TAB);
	tab.AddInt32("view", BHandler::Private(tabs).Token());
	tab.AddInt32("index", 1);
	Send(window, &tab);
	EXPECT_EQ(0, tabs->Selection());
	tab.ReplaceInt32("index", 7);
	Send(window, &tab);
	EXPECT_EQ(0, tabs->Selection());

	// A view that is not the window's, or none at all.
	BMessage stray(B_INPUT_CLICK);
	stray.AddInt32("view", 987654321);
	Send(window, &stray);

	std::vector<uint32> received = window->Received();
	ASSERT_EQ(2u, received.size());
	EXPECT_EQ((uint32)'NWLS', received[1]);

	ASSERT_TRUE(window->Lock());
	window->Quit();
}


// A modal window in front takes the input of every other window of the
// application, whoever posts it: the window behind refuses it itself, as
// the screen refuses a click on it. The one in front takes it, and so does
// the window behind once the modal one has gone.
TEST(InputTest, AModalWindowInFrontRefusesInputToTheOthers)
{
	TemporaryHome home;
	RecordingWindow* window = new RecordingWindow();
	BButton* quit = new BButton(BRect(10, 10, 80, 30), "Quit", "Esci",
		new BMessage('QUIT'));
	window->AddChild(quit);
	window->Show();

	RecordingWindow* panel = new RecordingWindow(B_MODAL_APP_WINDOW_FEEL);
	BButton* cancel = new BButton(BRect(10, 10, 80, 30), "Cancel", "Annulla",
		new BMessage('CNCL'));
	panel->AddChild(cancel);
	RecordingWindow* other = new RecordingWindow(B_MODAL_APP_WINDOW_FEEL);
	BButton* ok = new BButton(BRect(10, 10, 80, 30), "Ok", "OK",
		new BMessage('OKOK'));
	other->AddChild(ok);
	panel->Show();

	BMessage close(B_INPUT_CLOSE);
	BMessage tab(B_INPUT_KEY);
	tab.AddString("bytes", "\t");
	Click(window, quit);
	Send(window, &close);
	Send(window, &tab);
	EXPECT_TRUE(window->Received().empty());
	EXPECT_EQ(NULL, window->CurrentFocus());
	Click(panel, cancel);
	EXPECT_EQ(std::vector<uint32>(1, (uint32)'CNCL'), panel->Received());

	// A second modal window over the first: only the last one shown.
	other->Show();
	Click(panel, cancel);
	Click(other, ok);
	EXPECT_EQ(1u, panel->Received().size());
	EXPECT_EQ(std::vector<uint32>(1, (uint32)'OKOK'), other->Received());
	ASSERT_TRUE(other->Lock());
	other->Hide();
	other->Unlock();
	Click(panel, cancel);
	EXPECT_EQ(2u, panel->Received().size());
	Click(window, quit);
	EXPECT_TRUE(window->Received().empty());

	ASSERT_TRUE(panel->Lock());
	panel->Quit();
	ASSERT_TRUE(WaitUntilQuiet());
	Click(window, quit);
	Send(window, &close);
	EXPECT_EQ(std::vector<uint32>({ (uint32)'QUIT',
		(uint32)B_QUIT_REQUESTED }), window->Received());

	ASSERT_TRUE(other->Lock());
	other->Quit();
	ASSERT_TRUE(window->Lock());
	window->Quit();
}


// Two clicks posted back to back, the first opening a modal window: the
// second comes after what the first caused, so the modal window takes it.
TEST(InputTest, ASecondClickQueuedBehindOneThatOpensAModalWindowIsRefused)
{
	TemporaryHome home;
	RecordingWindow* panel = new RecordingWindow(B_MODAL_APP_WINDOW_FEEL);

	class Opener : public RecordingWindow {
	public:
		explicit Opener(BWindow* panel) : fPanel(panel) {}
		void MessageReceived(BMessage* message) override
		{
			RecordingWindow::MessageReceived(message);
			if (message->what == 'OPEN')
				fPanel->Show();
		}
		BWindow* fPanel;
	};
	Opener* window = new Opener(panel);
	BButton* open = new BButton(BRect(10, 10, 80, 30), "Open", "Aggiungi...",
		new BMessage('OPEN'));
	window->AddChild(open);
	BButton* quit = new BButton(BRect(10, 40, 80, 60), "Quit", "Esci",
		new BMessage('QUIT'));
	window->AddChild(quit);
	window->Show();

	BMessage first(B_INPUT_CLICK);
	first.AddInt32("view", BHandler::Private(open).Token());
	BMessage second(B_INPUT_CLICK);
	second.AddInt32("view", BHandler::Private(quit).Token());
	// Both queued before the window handles either.
	ASSERT_TRUE(window->Lock());
	ASSERT_EQ(B_OK, BMessenger(window).SendMessage(&first));
	ASSERT_EQ(B_OK, BMessenger(window).SendMessage(&second));
	window->Unlock();
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(std::vector<uint32>(1, (uint32)'OPEN'), window->Received());
	EXPECT_FALSE(panel->IsHidden());

	ASSERT_TRUE(panel->Lock());
	panel->Quit();
	ASSERT_TRUE(window->Lock());
	window->Quit();
}


// The caret the user moves in a text field is kept by the kit, in bytes,
// at a character's start and within the text: with typing, alone, or at
// the end when the display does not say.
TEST(InputTest, TheUsersCaretIsKeptByTheTextView)
{
	TemporaryHome home;
	RecordingWindow* window = new RecordingWindow();
	BTextControl* text = new BTextControl(BRect(0, 50, 250, 70), "Text",
		"Altri parametri:", "", NULL);
	window->AddChild(text);
	window->Show();
	BTextView* view = text->TextView();
	auto selection = [&]() {
		int32 start = -1;
		int32 end = -1;
		EXPECT_TRUE(window->Lock());
		view->GetSelection(&start, &end);
		window->Unlock();
		return std::make_pair(start, end);
	};
	auto send = [&](uint32 what, const char* typed, int32 anchor,
			int32 caret) {
		BMessage input(what);
		input.AddInt32("view", BHandler::Private(view).Token());
		if (typed != NULL)
			input.AddString("text", typed);
		if (caret >= 0) {
			input.AddInt32("caret", caret);
			input.AddInt32("anchor", anchor);
		}
		Send(window, &input);
	};

	send(B_INPUT_TEXT, "citt\xc3\xa0", -1, -1);
	EXPECT_EQ(std::make_pair(6, 6), selection());
	send(B_INPUT_TEXT, "xcitt\xc3\xa0", 1, 1);
	EXPECT_EQ(std::make_pair(1, 1), selection());
	struct Case {
		int32 anchor;
		int32 caret;
		std::pair<int32, int32> kept;
	} cases[] = {
		{ 0, 0, { 0, 0 } },
		{ 7, 7, { 7, 7 } },
		{ 2, 5, { 2, 5 } },
		// Backwards: the same bytes selected.
		{ 5, 2, { 2, 5 } },
		// Inside "à", past the end, before the start.
		{ 6, 6, { 5, 5 } },
		{ 99, 99, { 7, 7 } },
		{ -4, 1, { 0, 1 } },
	};
	for (const Case& test : cases) {
		send(B_INPUT_CARET, NULL, test.anchor, test.caret);
		EXPECT_EQ(test.kept, selection()) << test.anchor << "," << test.caret;
	}

	// A field that cannot be edited keeps its caret.
	ASSERT_TRUE(window->Lock());
	view->MakeEditable(false);
	window->Unlock();
	send(B_INPUT_CARET, NULL, 3, 3);
	EXPECT_EQ(std::make_pair(0, 1), selection());

	ASSERT_TRUE(window->Lock());
	window->Quit();
}


// Files dropped at a point reach the deepest shown view there; the close
// box and Enter act only where the window allows them.
TEST(InputTest, DropsHitTheViewUnderThePointAndKeysReachTheDefaultButton)
{
	TemporaryHome home;
	std::string path = home.WriteFile("a.wav", "RIFF");
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(path.c_str(), &ref));

	RecordingWindow* window = new RecordingWindow(B_NOT_CLOSABLE);
	DropTarget* outer = new DropTarget(BRect(10, 10, 109, 109), "Outer");
	DropTarget* inner = new DropTarget(BRect(10, 10, 49, 49), "Inner");
	outer->AddChild(inner);
	window->AddChild(outer);
	DropTarget* hidden = new DropTarget(BRect(200, 10, 249, 59), "Hidden");
	hidden->Hide();
	window->AddChild(hidden);
	BButton* button = new BButton(BRect(120, 150, 190, 170), "Ok", "OK",
		new BMessage('OKOK'));
	window->AddChild(button);
	window->Show();
	ASSERT_TRUE(window->Lock());
	button->MakeDefault(true);
	window->Unlock();

	auto drop = [&](float x, float y) {
		BMessage input(B_INPUT_DROP);
		BPoint where(x, y);
		input.AddData("where", B_POINT_TYPE, &where, sizeof(where));
		input.AddRef("refs", &ref);
		Send(window, &input);
	};
	drop(30, 30);		// inside Inner (window 20..59)
	drop(100, 100);		// Outer only
	// The hidden view is not there to take it: the window's top view
	// does, and hands it on to the window.
	drop(220, 30);
	EXPECT_EQ(1, inner->fDrops);
	EXPECT_EQ(1, outer->fDrops);
	EXPECT_EQ(0, hidden->fDrops);

	BMessage close(B_INPUT_CLOSE);
	Send(window, &close);
	BMessage enter(B_INPUT_KEY);
	enter.AddString("bytes", "\n");
	Send(window, &enter);
	std::vector<uint32> received = window->Received();
	ASSERT_EQ(2u, received.size());
	EXPECT_EQ((uint32)B_SIMPLE_DATA, received[0]);
	EXPECT_EQ((uint32)'OKOK', received[1]);

	ASSERT_TRUE(window->Lock());
	window->Quit();
}


// Check boxes, menu fields and text fields take the user's input in the
// window's thread, and only while the user could give it.
TEST(InputTest, ControlsOfTheEncoderPanelTakeInput)
{
	TemporaryHome home;
	RecordingWindow* window = new RecordingWindow();
	BCheckBox* check = new BCheckBox(BRect(0, 0, 100, 15), "Check",
		"Elimina", new BMessage('CHCK'));
	window->AddChild(check);
	BPopUpMenu* menu = new BPopUpMenu("Modo");
	menu->AddItem(new BMenuItem("Default", NULL));
	menu->AddSeparatorItem();
	menu->AddItem(new BMenuItem("Stereo", NULL));
	BMenuItem* off = new BMenuItem("Mai", NULL);
	off->SetEnabled(false);
	menu->AddItem(off);
	menu->ItemAt(0)->SetMarked(true);
	BMenuField* field = new BMenuField(BRect(0, 20, 200, 40), "Field",
		"Modalità:", menu);
	window->AddChild(field);
	BTextControl* text = new BTextControl(BRect(0, 50, 250, 70), "Text",
		"Altri parametri:", "", NULL);
	BMessage* modified = new BMessage('MODI');
	text->SetModificationMessage(modified);
	text->TextView()->SetMaxBytes(4);
	window->AddChild(text);
	window->Show();

	Click(window, check);
	EXPECT_EQ(B_CONTROL_ON, check->Value());
	Click(window, check);
	EXPECT_EQ(B_CONTROL_OFF, check->Value());

	auto choose = [&](BMenuItem* item) {
		BMessage input(B_INPUT_MENU_ITEM);
		input.AddInt32("view", BHandler::Private(field).Token());
		input.AddInt32("item", BMenuItem::Private(item).Id());
		Send(window, &input);
	};
	choose(menu->ItemAt(2));
	EXPECT_EQ(menu->ItemAt(2), menu->FindMarked());
	EXPECT_FALSE(menu->ItemAt(0)->IsMarked());
	choose(off);
	choose(menu->ItemAt(1));	// the separator
	EXPECT_EQ(menu->ItemAt(2), menu->FindMarked());

	auto type = [&](const char* typed) {
		BMessage input(B_INPUT_TEXT);
		input.AddInt32("view", BHandler::Private(text->TextView()).Token());
		input.AddString("text", typed);
		Send(window, &input);
	};
	type("-v 2");
	EXPECT_STREQ("-v 2", text->Text());
	// Cut at the limit of 4 bytes, before a character that would not fit.
	type("ab\xc3\xa8");
	EXPECT_STREQ("ab\xc3\xa8", text->Text());
	type("abc\xc3\xa8");
	EXPECT_STREQ("abc", text->Text());
	type("abc\xc3\xa8x");		// the same text once cut: no change

	// Disabled or hidden: nothing changes.
	ASSERT_TRUE(window->Lock());
	check->SetEnabled(false);
	field->SetEnabled(false);
	text->SetEnabled(false);
	window->Unlock();
	Click(window, check);
	choose(menu->ItemAt(0));
	type("no");
	EXPECT_EQ(B_CONTROL_OFF, check->Value());
	EXPECT_EQ(menu->ItemAt(2), menu->FindMarked());
	EXPECT_STREQ("abc", text->Text());
	ASSERT_TRUE(window->Lock());
	text->SetEnabled(true);
	text->Hide();
	window->Unlock();
	type("no");
	EXPECT_STREQ("abc", text->Text());
	// A lower limit cuts the text: a change like any other.
	ASSERT_TRUE(window->Lock());
	text->TextView()->SetMaxBytes(2);
	window->Unlock();
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_STREQ("ab", text->Text());

	// The check box told its target twice; the text field once for each
	// change of its text.
	std::vector<uint32> received = window->Received();
	std::vector<uint32> expected = { 'CHCK', 'CHCK', 'MODI', 'MODI', 'MODI',
		'MODI' };
	EXPECT_EQ(expected, received);

	ASSERT_TRUE(window->Lock());
	window->Quit();
}
