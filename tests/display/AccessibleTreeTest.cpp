// What the accessibility bridge tells a screen reader, from a mirror built
// of display commands: objects, roles, names, states, and the input its
// actions post.

#include <gtest/gtest.h>

#include <string>

#include <Control.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "display/accessibility/AccessibleTree.h"

using namespace BPrivate;

namespace {

// AT-SPI's numbers.
const uint32 kRoleAlert = 2;
const uint32 kRoleCheckBox = 7;
const uint32 kRoleCheckMenuItem = 8;
const uint32 kRoleComboBox = 11;
const uint32 kRoleDialog = 16;
const uint32 kRoleFrame = 23;
const uint32 kRoleLabel = 29;
const uint32 kRoleListItem = 32;
const uint32 kRoleMenuItem = 35;
const uint32 kRolePageTab = 37;
const uint32 kRolePushButton = 43;
const uint32 kRoleEntry = 79;
const uint32 kStateActive = 1;
const uint32 kStateChecked = 4;
const uint32 kStateEnabled = 8;
const uint32 kStateFocusable = 11;
const uint32 kStateFocused = 12;
const uint32 kStateModal = 16;
const uint32 kStateSelected = 23;
const uint32 kStateShowing = 25;
const uint32 kStateVisible = 30;

int32
Int32(const BMessage& message, const char* name, int32 index = 0)
{
	int32 value = -1;
	return message.FindInt32(name, index, &value) == B_OK ? value : -1;
}


bool
Bool(const BMessage& message, const char* name)
{
	bool value = false;
	return message.FindBool(name, &value) == B_OK && value;
}


std::string
String(const BMessage& message, const char* name)
{
	const char* value = NULL;
	return message.FindString(name, &value) == B_OK ? value : "";
}

const int32 kMain = 10;
const int32 kTop = 11;
const int32 kBox = 12;
const int32 kButton = 13;
const int32 kCheck = 14;
const int32 kControl = 15;
const int32 kInput = 16;
const int32 kList = 17;
const int32 kTabs = 18;
const int32 kField = 19;
const int32 kAlert = 30;
const int32 kAlertTop = 31;


class AccessibleTreeTest : public testing::Test {
protected:
	AccessibleTreeTest()
		:
		fTree(fMirror, "Tolvex")
	{
	}

	void SetUp() override
	{
		Window(kMain, kTop, "Tolvex 1.2a", BRect(100, 100, 540, 380));
		View(kBox, kTop, B_DISPLAY_PLAIN_VIEW, BRect(0, 19, 440, 280));
		View(kButton, kBox, B_DISPLAY_BUTTON, BRect(361, 232, 435, 256),
			B_NAVIGABLE);
		Label(kButton, "Codifica!");
		View(kCheck, kBox, B_DISPLAY_CHECK_BOX, BRect(0, 50, 155, 68),
			B_NAVIGABLE);
		Label(kCheck, "Disabilita psico-acustica");
		View(kControl, kBox, B_DISPLAY_TEXT_CONTROL, BRect(0, 1, 329, 21));
		Label(kControl, "Posizione di Gogo:");
		View(kInput, kControl, B_DISPLAY_TEXT_VIEW, BRect(118, 3, 323, 17));
		View(kList, kBox, B_DISPLAY_LIST_VIEW, BRect(2, 2, 392, 148));
		View(kTabs, kBox, B_DISPLAY_TAB_VIEW, BRect(5, 5, 435, 227));
		for (const char* label : { "File", "Opzioni di Gogo" }) {
			DisplayCommand tab(B_DISPLAY_TAB_ADDED);
			tab.window = kMain;
			tab.view = kTabs;
			tab.index = label[0] == 'F' ? 0 : 1;
			tab.text = label;
			tab.value = 1;
			Apply(tab);
		}
		View(kField, kBox, B_DISPLAY_MENU_FIELD, BRect(0, 0, 201, 20));
		Label(kField, "Bit rate:");
		Item(kField, 40, "Default", B_DISPLAY_ITEM_MARKED);
		Item(kField, 41, "32 kbps", 0);
		Command(B_DISPLAY_WINDOW_SHOWN, kMain);
	}

	bool Apply(const DisplayCommand& command)
	{
		return fMirror.Apply(command);
	}

	void Command(uint32 code, int32 window, int32 view = -1, int32 value = 0)
	{
		DisplayCommand command(code);
		command.window = window;
		command.view = view;
		command.value = value;
		ASSERT_TRUE(Apply(command)) << code;
	}

	void Window(int32 id, int32 top, const char* title, BRect frame)
	{
		DisplayCommand command(B_DISPLAY_WINDOW_CREATED);
		command.window = id;
		command.view = top;
		command.text = title;
		command.rect = frame;
		// The top view comes with the window.
		ASSERT_TRUE(Apply(command));
	}

	void View(int32 id, int32 parent, int32 kind, BRect frame,
		uint32 flags = 0, int32 window = kMain)
	{
		DisplayCommand command(B_DISPLAY_VIEW_ADDED);
		command.window = window;
		command.view = id;
		command.parent = parent;
		command.kind = kind;
		command.rect = frame;
		command.flags = flags;
		command.index = 1000;
		ASSERT_TRUE(Apply(command));
	}

	void Label(int32 view, const char* label)
	{
		DisplayCommand command(B_DISPLAY_VIEW_LABEL);
		command.window = kMain;
		command.view = view;
		command.text = label;
		ASSERT_TRUE(Apply(command));
	}

	void Item(int32 view, int32 item, const char* label, uint32 flags)
	{
		DisplayCommand command(B_DISPLAY_MENU_ITEM_ADDED);
		command.window = kMain;
		command.view = view;
		command.item = item;
		command.parent = 0;
		command.index = 1000;
		command.text = label;
		command.value = 1;
		command.flags = flags;
		ASSERT_TRUE(Apply(command));
	}

	void Entries(const std::string& texts)
	{
		DisplayCommand command(B_DISPLAY_LIST_ITEMS_ADDED);
		command.window = kMain;
		command.view = kList;
		command.index = 0;
		command.text = texts;
		ASSERT_TRUE(Apply(command));
	}

	void ShowAlert()
	{
		Window(kAlert, kAlertTop, "EncodeErrors", BRect(200, 200, 509, 290));
		DisplayCommand alert(B_DISPLAY_ALERT_SHOWN);
		alert.window = kAlert;
		alert.name = "EncodeErrors";
		alert.value = 4;		// B_STOP_ALERT
		alert.text = "Codifica terminata.";
		Command(B_DISPLAY_WINDOW_SHOWN, kAlert);
		ASSERT_TRUE(Apply(alert));
	}

	AccessibleRef Main(int32 view) const
	{
		return AccessibleRef::View(kMain, view);
	}

	DisplayMirror fMirror;
	AccessibleTree fTree;
};

} // namespace


// Paths name every kind of object and come back to it; a path that is not
// one of ours names nothing.
TEST(AccessibleRefTest, PathsComeBackToTheirObjects)
{
	const AccessibleRef refs[] = {
		AccessibleRef::Application(), AccessibleRef::Window(7),
		AccessibleRef::View(7, 12), AccessibleRef::MenuItem(7, 40),
		AccessibleRef::Tab(7, 18, 1), AccessibleRef::Entry(7, 17, 99998),
		// The greatest token there can be.
		AccessibleRef::View(0x7fffffff, 0x7fffffff)
	};
	for (const AccessibleRef& ref : refs) {
		AccessibleRef back;
		ASSERT_TRUE(AccessibleRef::FromPath(ref.Path().c_str(), &back))
			<< ref.Path();
		EXPECT_TRUE(back == ref) << ref.Path();
	}
	EXPECT_EQ("/org/a11y/atspi/accessible/e7_17_99998",
		AccessibleRef::Entry(7, 17, 99998).Path());
	EXPECT_EQ("/org/a11y/atspi/null", AccessibleRef().Path());

	AccessibleRef ref;
	for (const char* path : { "/org/a11y/atspi/accessible/", "/org/a11y/"
			"atspi/accessible/v7", "/org/a11y/atspi/accessible/v7_12_3",
			"/org/a11y/atspi/accessible/w7x", "/org/a11y/atspi/accessible/x7",
			"/org/a11y/atspi/cache", "/org/a11y/atspi/accessible/rootx",
			"/org/a11y/atspi/accessible/w2147483648" })
		EXPECT_FALSE(AccessibleRef::FromPath(path, &ref)) << path;
	EXPECT_FALSE(AccessibleRef::FromPath(NULL, &ref));
}


// The application holds its shown windows only; a window holds its top
// view's children; each object knows its parent and its place.
TEST_F(AccessibleTreeTest, ShownWindowsAndTheirViews)
{
	AccessibleRef app = AccessibleRef::Application();
	EXPECT_EQ("Tolvex", fTree.Name(app));
	ASSERT_EQ(1, fTree.CountChildren(app));
	EXPECT_TRUE(fTree.ChildAt(app, 0) == AccessibleRef::Window(kMain));
	EXPECT_EQ(kRoleFrame, fTree.Role(AccessibleRef::Window(kMain)));
	EXPECT_EQ("Tolvex 1.2a", fTree.Name(AccessibleRef::Window(kMain)));

	ASSERT_EQ(1, fTree.CountChildren(AccessibleRef::Window(kMain)));
	EXPECT_TRUE(fTree.ChildAt(AccessibleRef::Window(kMain), 0) == Main(kBox));
	EXPECT_TRUE(fTree.Parent(Main(kBox)) == AccessibleRef::Window(kMain));
	EXPECT_FALSE(fTree.Exists(Main(kTop)));
	EXPECT_TRUE(fTree.Parent(Main(kInput)) == Main(kControl));
	EXPECT_EQ(1, fTree.IndexInParent(Main(kCheck)));
	EXPECT_TRUE(fTree.ChildAt(Main(kBox), 6).type == AccessibleRef::kNone);
	EXPECT_TRUE(fTree.ChildAt(Main(kBox), -1).type == AccessibleRef::kNone);

	// A hidden window is gone from the tree, and so is all in it.
	Command(B_DISPLAY_WINDOW_HIDDEN, kMain);
	EXPECT_EQ(0, fTree.CountChildren(app));
	EXPECT_FALSE(fTree.Exists(Main(kButton)));
}


TEST_F(AccessibleTreeTest, RolesAndNames)
{
	EXPECT_EQ(kRolePushButton, fTree.Role(Main(kButton)));
	EXPECT_EQ("Codifica!", fTree.Name(Main(kButton)));
	EXPECT_EQ(kRoleCheckBox, fTree.Role(Main(kCheck)));
	EXPECT_EQ(kRoleLabel, fTree.Role(Main(kControl)));
	// The entry is named by its control's label, and related to it both
	// ways.
	EXPECT_EQ(kRoleEntry, fTree.Role(Main(kInput)));
	EXPECT_EQ("Posizione di Gogo:", fTree.Name(Main(kInput)));
	auto relations = fTree.Relations(Main(kInput));
	ASSERT_EQ(1u, relations.size());
	EXPECT_EQ(2u, relations[0].first);
	EXPECT_TRUE(relations[0].second == Main(kControl));
	relations = fTree.Relations(Main(kControl));
	ASSERT_EQ(1u, relations.size());
	EXPECT_EQ(1u, relations[0].first);
	EXPECT_TRUE(relations[0].second == Main(kInput));

	// A browsing button is described by the field it fills, on its row;
	// one elsewhere, or one that opens nothing, is not.
	View(50, kBox, B_DISPLAY_BUTTON, BRect(334, 0, 408, 20));
	Label(50, "Sfoglia...");
	View(51, kBox, B_DISPLAY_BUTTON, BRect(334, 30, 408, 50));
	Label(51, "Aggiungi...");
	View(52, kBox, B_DISPLAY_BUTTON, BRect(334, 20, 408, 40));
	Label(52, "Vai");
	EXPECT_EQ("Posizione di Gogo:", fTree.Description(Main(50)));
	relations = fTree.Relations(Main(50));
	ASSERT_EQ(1u, relations.size());
	EXPECT_EQ(18u, relations[0].first);
	EXPECT_TRUE(relations[0].second == Main(kControl));
	for (int32 other : { 51, 52, (int)kButton }) {
		EXPECT_EQ("", fTree.Description(Main(other))) << other;
		EXPECT_TRUE(fTree.Relations(Main(other)).empty()) << other;
	}

	EXPECT_EQ(kRoleComboBox, fTree.Role(Main(kField)));
	ASSERT_EQ(2, fTree.CountChildren(Main(kField)));
	EXPECT_EQ(kRoleCheckMenuItem, fTree.Role(AccessibleRef::MenuItem(kMain,
		40)));
	EXPECT_EQ(kRoleMenuItem, fTree.Role(AccessibleRef::MenuItem(kMain, 41)));
	EXPECT_TRUE(fTree.Parent(AccessibleRef::MenuItem(kMain, 41))
		== Main(kField));

	// Tabs first, then the tab view's own views.
	ASSERT_EQ(2, fTree.CountChildren(Main(kTabs)));
	EXPECT_EQ(kRolePageTab, fTree.Role(fTree.ChildAt(Main(kTabs), 1)));
	EXPECT_EQ("Opzioni di Gogo", fTree.Name(fTree.ChildAt(Main(kTabs), 1)));

	// An entry's name is its whole text, however long.
	std::string longPath = "/home/u/Musica/Artista Molto Lungo/Album con un "
		"titolo lunghissimo (edizione speciale)/03 - Terzo brano.wav";
	Entries(longPath + '\0' + "/b.wav" + '\0');
	ASSERT_EQ(2, fTree.CountChildren(Main(kList)));
	EXPECT_EQ(kRoleListItem, fTree.Role(fTree.ChildAt(Main(kList), 0)));
	EXPECT_EQ(longPath, fTree.Name(fTree.ChildAt(Main(kList), 0)));
	EXPECT_FALSE(fTree.Exists(AccessibleRef::Entry(kMain, kList, 2)));

	ShowAlert();
	EXPECT_EQ(kRoleAlert, fTree.Role(AccessibleRef::Window(kAlert)));
	// Named by its kind, never by its name for scripts; its message is its
	// label's, not its description too.
	EXPECT_EQ("Errore", fTree.Name(AccessibleRef::Window(kAlert)));
	EXPECT_EQ("", fTree.Description(AccessibleRef::Window(kAlert)));
	EXPECT_EQ("", fTree.Description(AccessibleRef::Window(kMain)));
	struct Kind {
		int32 type;
		const char* name;
	} kinds[] = {
		{ 0, "Informazione" }, { 1, "Informazione" }, { 2, "Informazione" },
		{ 3, "Attenzione" }, { 4, "Errore" }
	};
	for (const Kind& kind : kinds) {
		DisplayCommand alert(B_DISPLAY_ALERT_SHOWN);
		alert.window = kAlert;
		alert.name = "MimeInstalled";
		alert.value = kind.type;
		ASSERT_TRUE(Apply(alert));
		EXPECT_EQ(kind.name, fTree.Name(AccessibleRef::Window(kAlert)));
	}

	// A list is named by the tab whose page holds it, its place among the
	// tab view's container's pages; one outside any is not.
	View(60, kTabs, B_DISPLAY_PLAIN_VIEW, BRect(3, 23, 427, 219));
	View(61, 60, B_DISPLAY_PLAIN_VIEW, BRect(0, 0, 400, 180));
	View(62, 60, B_DISPLAY_PLAIN_VIEW, BRect(0, 0, 400, 180));
	View(63, 61, B_DISPLAY_SCROLL_VIEW, BRect(0, 0, 400, 150));
	View(64, 63, B_DISPLAY_LIST_VIEW, BRect(2, 2, 392, 148));
	View(65, 62, B_DISPLAY_LIST_VIEW, BRect(2, 2, 392, 148));
	EXPECT_EQ("File", fTree.Name(Main(64)));
	EXPECT_EQ("Opzioni di Gogo", fTree.Name(Main(65)));
	EXPECT_EQ("", fTree.Name(Main(kList)));
}


TEST_F(AccessibleTreeTest, StatesFollowTheKit)
{
	EXPECT_TRUE(fTree.HasState(Main(kButton), kStateEnabled));
	EXPECT_TRUE(fTree.HasState(Main(kButton), kStateFocusable));
	EXPECT_TRUE(fTree.HasState(Main(kButton), kStateShowing));
	EXPECT_FALSE(fTree.HasState(Main(kList), kStateFocusable));
	Command(B_DISPLAY_VIEW_ENABLED, kMain, kButton, 0);
	EXPECT_FALSE(fTree.HasState(Main(kButton), kStateEnabled));

	EXPECT_FALSE(fTree.HasState(Main(kCheck), kStateChecked));
	Command(B_DISPLAY_VIEW_VALUE, kMain, kCheck, B_CONTROL_ON);
	EXPECT_TRUE(fTree.HasState(Main(kCheck), kStateChecked));

	// Hidden itself: neither visible nor showing; inside a hidden view:
	// visible, not showing.
	Command(B_DISPLAY_VIEW_HIDDEN, kMain, kControl, 1);
	EXPECT_FALSE(fTree.HasState(Main(kControl), kStateVisible));
	EXPECT_FALSE(fTree.HasState(Main(kControl), kStateShowing));
	EXPECT_TRUE(fTree.HasState(Main(kInput), kStateVisible));
	EXPECT_FALSE(fTree.HasState(Main(kInput), kStateShowing));

	// Focused: the kit's focus, in the front window only.
	DisplayCommand focus(B_DISPLAY_WINDOW_FOCUS);
	focus.window = kMain;
	focus.view = kCheck;
	ASSERT_TRUE(Apply(focus));
	EXPECT_TRUE(fTree.HasState(Main(kCheck), kStateFocused));
	EXPECT_FALSE(fTree.HasState(Main(kButton), kStateFocused));
	EXPECT_TRUE(fTree.HasState(AccessibleRef::Window(kMain), kStateActive));
	ShowAlert();
	EXPECT_FALSE(fTree.HasState(Main(kCheck), kStateFocused));
	EXPECT_FALSE(fTree.HasState(AccessibleRef::Window(kMain), kStateActive));
	EXPECT_TRUE(fTree.HasState(AccessibleRef::Window(kAlert), kStateModal));

	// The tab in front is selected, the other not.
	Command(B_DISPLAY_TAB_CHOSEN, kMain, kTabs);
	DisplayCommand chosen(B_DISPLAY_TAB_CHOSEN);
	chosen.window = kMain;
	chosen.view = kTabs;
	chosen.index = 1;
	ASSERT_TRUE(Apply(chosen));
	EXPECT_FALSE(fTree.HasState(AccessibleRef::Tab(kMain, kTabs, 0),
		kStateSelected));
	EXPECT_TRUE(fTree.HasState(AccessibleRef::Tab(kMain, kTabs, 1),
		kStateSelected));
}


// Extents are the kit's inclusive frames on the screen, times the
// display's scale.
TEST_F(AccessibleTreeTest, ExtentsOnTheScreen)
{
	int32 extents[4];
	fTree.GetExtents(Main(kButton), extents);
	EXPECT_EQ(461, extents[0]);
	EXPECT_EQ(351, extents[1]);
	EXPECT_EQ(75, extents[2]);
	EXPECT_EQ(25, extents[3]);
	fTree.SetScale(1.5);
	fTree.GetExtents(AccessibleRef::Window(kMain), extents);
	EXPECT_EQ(150, extents[0]);
	EXPECT_EQ(150, extents[1]);
	EXPECT_EQ(661, extents[2]);
	EXPECT_EQ(421, extents[3]);
}


// Actions are the input a display posts; behind an alert there is none.
TEST_F(AccessibleTreeTest, ActionsPostADisplaysInput)
{
	ASSERT_EQ(1u, fTree.Actions(Main(kButton)).size());
	EXPECT_EQ("click", fTree.Actions(Main(kButton))[0]);
	EXPECT_EQ("toggle", fTree.Actions(Main(kCheck))[0]);
	EXPECT_TRUE(fTree.Actions(Main(kList)).empty());

	BMessage input;
	int32 window = -1;
	ASSERT_TRUE(fTree.ActionInput(Main(kButton), 0, &input, &window));
	EXPECT_EQ(kMain, window);
	EXPECT_EQ((uint32)B_INPUT_CLICK, input.what);
	EXPECT_EQ(kButton, Int32(input, "view"));
	EXPECT_FALSE(fTree.ActionInput(Main(kButton), 1, &input, &window));
	EXPECT_FALSE(fTree.ActionInput(Main(kButton), -1, &input, &window));

	ASSERT_TRUE(fTree.ActionInput(AccessibleRef::MenuItem(kMain, 41), 0,
		&input, &window));
	EXPECT_EQ((uint32)B_INPUT_MENU_ITEM, input.what);
	EXPECT_EQ(kField, Int32(input, "view"));
	EXPECT_EQ(41, Int32(input, "item"));

	Entries(std::string("/a.wav") + '\0' + "/b.wav" + '\0');
	ASSERT_TRUE(fTree.ActionInput(AccessibleRef::Entry(kMain, kList, 1), 1,
		&input, &window));
	EXPECT_EQ((uint32)B_INPUT_SELECTION, input.what);
	EXPECT_EQ(1, Int32(input, "index"));
	EXPECT_TRUE(Bool(input, "invoke"));

	// Behind an alert, or a modal window, there is none; the alert's own
	// button takes its click.
	ShowAlert();
	View(40, kAlertTop, B_DISPLAY_BUTTON, BRect(230, 60, 300, 84), B_NAVIGABLE,
		kAlert);
	EXPECT_FALSE(fTree.ActionInput(Main(kButton), 0, &input, &window));
	EXPECT_FALSE(fTree.ActionInput(AccessibleRef::Entry(kMain, kList, 1), 0,
		&input, &window));
	ASSERT_TRUE(fTree.ActionInput(AccessibleRef::View(kAlert, 40), 0, &input,
		&window));
	EXPECT_EQ(kAlert, window);
	Command(B_DISPLAY_WINDOW_GONE, kAlert);
	EXPECT_TRUE(fTree.ActionInput(Main(kButton), 0, &input, &window));

	// A panel opened modal (B_MODAL_APP_WINDOW_FEEL) in front.
	Window(kAlert, kAlertTop, "Aggiungi file", BRect(150, 120, 650, 520));
	DisplayCommand feel(B_DISPLAY_WINDOW_LOOK);
	feel.window = kAlert;
	feel.feel = 1;
	ASSERT_TRUE(Apply(feel));
	Command(B_DISPLAY_WINDOW_SHOWN, kAlert);
	EXPECT_FALSE(fTree.ActionInput(Main(kButton), 0, &input, &window));
	feel.feel = 0;
	ASSERT_TRUE(Apply(feel));
	EXPECT_TRUE(fTree.ActionInput(Main(kButton), 0, &input, &window));
}


// Text goes in as typed text, only into an enabled text view; selections
// are checked against the children there are.
TEST_F(AccessibleTreeTest, TextAndSelectionInput)
{
	BMessage input;
	int32 window = -1;
	ASSERT_TRUE(fTree.TextInput(Main(kInput), "/usr/bin/Gogo", &input,
		&window));
	EXPECT_EQ((uint32)B_INPUT_TEXT, input.what);
	EXPECT_EQ(kInput, Int32(input, "view"));
	EXPECT_EQ("/usr/bin/Gogo", String(input, "text"));
	EXPECT_FALSE(fTree.TextInput(Main(kButton), "x", &input, &window));
	Command(B_DISPLAY_VIEW_ENABLED, kMain, kInput, 0);
	EXPECT_FALSE(fTree.TextInput(Main(kInput), "x", &input, &window));

	Entries(std::string("/a.wav") + '\0' + "/b.wav" + '\0' + "/c.wav" + '\0');
	DisplayCommand selected(B_DISPLAY_LIST_ITEM_SELECTED);
	selected.window = kMain;
	selected.view = kList;
	selected.index = 2;
	selected.value = 1;
	ASSERT_TRUE(Apply(selected));
	EXPECT_EQ(std::vector<int32>({ 2 }), fTree.SelectedChildren(Main(kList)));
	ASSERT_TRUE(fTree.SelectionInput(Main(kList), { 0, 2 }, &input,
		&window));
	EXPECT_EQ((uint32)B_INPUT_SELECTION, input.what);
	EXPECT_EQ(0, Int32(input, "index", 0));
	EXPECT_EQ(2, Int32(input, "index", 1));
	EXPECT_FALSE(fTree.SelectionInput(Main(kList), { 3 }, &input, &window));
	EXPECT_FALSE(fTree.SelectionInput(Main(kList), { -1 }, &input, &window));

	EXPECT_EQ(std::vector<int32>({ 0 }), fTree.SelectedChildren(Main(kField)));
	ASSERT_TRUE(fTree.SelectionInput(Main(kField), { 1 }, &input, &window));
	EXPECT_EQ((uint32)B_INPUT_MENU_ITEM, input.what);
	EXPECT_EQ(41, Int32(input, "item"));
	EXPECT_FALSE(fTree.SelectionInput(Main(kField), { 0, 1 }, &input,
		&window));

	ASSERT_TRUE(fTree.SelectionInput(Main(kTabs), { 1 }, &input, &window));
	EXPECT_EQ((uint32)B_INPUT_TAB, input.what);
	EXPECT_EQ(1, Int32(input, "index"));
	EXPECT_FALSE(fTree.SelectionInput(Main(kTabs), { 2 }, &input, &window));

	// A text view inside a hidden view takes no text; shown again, it does.
	Command(B_DISPLAY_VIEW_ENABLED, kMain, kInput, 1);
	Command(B_DISPLAY_VIEW_HIDDEN, kMain, kControl, 1);
	EXPECT_FALSE(fTree.TextInput(Main(kInput), "x", &input, &window));
	Command(B_DISPLAY_VIEW_HIDDEN, kMain, kControl, 0);
	EXPECT_TRUE(fTree.TextInput(Main(kInput), "x", &input, &window));

	// Behind an alert neither text nor a selection goes in, as no click
	// would; once it has gone, both do again.
	ShowAlert();
	EXPECT_FALSE(fTree.TextInput(Main(kInput), "x", &input, &window));
	EXPECT_FALSE(fTree.SelectionInput(Main(kTabs), { 1 }, &input, &window));
	EXPECT_FALSE(fTree.SelectionInput(Main(kList), { 0 }, &input, &window));
	Command(B_DISPLAY_WINDOW_HIDDEN, kAlert);
	EXPECT_TRUE(fTree.TextInput(Main(kInput), "x", &input, &window));
	EXPECT_TRUE(fTree.SelectionInput(Main(kTabs), { 1 }, &input, &window));
}
