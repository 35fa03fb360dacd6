#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include <Alert.h>
#include <Button.h>
#include <Entry.h>
#include <FilePanel.h>
#include <ListView.h>
#include <Looper.h>
#include <Message.h>
#include <Node.h>
#include <Path.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include "TestSupport.h"
#include "display/DisplayProtocol.h"
#include "display/headless/HeadlessDisplay.h"
#include "private/app/HandlerPrivate.h"
#include "private/app/LooperState.h"
#include "private/app/MessengerPrivate.h"

using namespace BPrivate;

namespace {

// Where a panel's replies go.
class ReplyLooper : public BLooper {
public:
	ReplyLooper() : BLooper("replies") {}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(fLock);
		fReplies.push_back(*message);
	}

	std::vector<BMessage> Replies()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fReplies;
	}

	std::mutex fLock;
	std::vector<BMessage> fReplies;
};


// Turns down text files and remembers what it was shown.
class NoTextFilter : public BRefFilter {
public:
	bool Filter(const entry_ref* ref, BNode* node, struct stat* info,
		const char* mimeType) override
	{
		calls++;
		if (node == NULL || info == NULL || mimeType == NULL)
			incomplete++;
		std::string name = ref->name;
		if (name == "typed.wav")
			typedSeen = mimeType;
		return name.size() < 4 || name.substr(name.size() - 4) != ".txt";
	}

	int calls = 0;
	int incomplete = 0;
	std::string typedSeen;
};


// The panel's entries as it lists them.
std::vector<std::string>
Entries(BFilePanel* panel)
{
	std::vector<std::string> entries;
	BWindow* window = panel->Window();
	if (!window->Lock())
		return entries;
	BListView* list = dynamic_cast<BListView*>(window->FindView(
		"PanelEntries"));
	for (int32 i = 0; list != NULL && i < list->CountItems(); i++)
		entries.push_back(static_cast<BStringItem*>(list->ItemAt(i))->Text());
	window->Unlock();
	return entries;
}


int32
IndexOf(BFilePanel* panel, const std::string& text)
{
	std::vector<std::string> entries = Entries(panel);
	for (size_t i = 0; i < entries.size(); i++) {
		if (entries[i] == text)
			return (int32)i;
	}
	return -1;
}


std::string
ShownFolder(BFilePanel* panel)
{
	BWindow* window = panel->Window();
	if (!window->Lock())
		return "";
	BTextControl* path = dynamic_cast<BTextControl*>(window->FindView(
		"PanelPath"));
	std::string text = path != NULL && path->Text() != NULL ? path->Text()
		: "";
	window->Unlock();
	return text;
}


int32
TokenOf(BFilePanel* panel, const char* name)
{
	BWindow* window = panel->Window();
	if (!window->Lock())
		return -1;
	BView* view = window->FindView(name);
	int32 token = view != NULL ? BHandler::Private(view).Token() : -1;
	window->Unlock();
	return token;
}


// A user's click on an entry as a display reports it; a click that the
// display counts as the second of a double click says so.
void
Click(BFilePanel* panel, int32 index, bool second)
{
	BMessage input(B_INPUT_SELECTION);
	input.AddInt32("view", TokenOf(panel, "PanelEntries"));
	input.AddInt32("index", index);
	if (second)
		input.AddBool("invoke", true);
	ASSERT_EQ(B_OK, BMessenger(panel->Window()).SendMessage(&input));
	ASSERT_TRUE(WaitUntilQuiet());
}


// A click on an entry, or a double click: two clicks on it.
void
Pick(BFilePanel* panel, int32 index, bool doubleClick)
{
	if (doubleClick)
		Click(panel, index, false);
	Click(panel, index, doubleClick);
}


// What a user types into a field of the panel (replacing its text), then
// Enter.
void
TypeInto(BFilePanel* panel, const char* fieldName, const std::string& text)
{
	BWindow* window = panel->Window();
	ASSERT_TRUE(window->Lock());
	BTextControl* field = dynamic_cast<BTextControl*>(window->FindView(
		fieldName));
	int32 token = field != NULL ? BHandler::Private(field->TextView()).Token()
		: -1;
	window->Unlock();
	ASSERT_GE(token, 0);
	BMessage typed(B_INPUT_TEXT);
	typed.AddInt32("view", token);
	typed.AddString("text", text.c_str());
	ASSERT_EQ(B_OK, BMessenger(window).SendMessage(&typed));
	BMessage enter(B_INPUT_KEY);
	enter.AddString("bytes", "\n");
	ASSERT_EQ(B_OK, BMessenger(window).SendMessage(&enter));
	ASSERT_TRUE(WaitUntilQuiet());
}


// What a user types into the path field, then Enter.
void
TypePath(BFilePanel* panel, const std::string& text)
{
	TypeInto(panel, "PanelPath", text);
}


void
ClickDefault(BFilePanel* panel)
{
	BMessage input(B_INPUT_CLICK);
	input.AddInt32("view", TokenOf(panel, "PanelDefault"));
	ASSERT_EQ(B_OK, BMessenger(panel->Window()).SendMessage(&input));
	ASSERT_TRUE(WaitUntilQuiet());
}


std::string
RefPath(const BMessage& message, const char* name, int32 index = 0)
{
	entry_ref ref;
	if (message.FindRef(name, index, &ref) != B_OK)
		return "(none)";
	BPath path(&ref);
	return path.InitCheck() == B_OK ? path.Path() : "(no path)";
}


// The alert showing, as the display was told of it: its window's id,
// name and text; -1 when none shows.
int32
ShowingAlert(std::string* name = NULL, std::string* text = NULL)
{
	HeadlessDisplay* display
		= static_cast<HeadlessDisplay*>(DisplayServer::Current());
	std::lock_guard<std::mutex> lock(display->MirrorLock());
	DisplayMirror& mirror = display->Mirror();
	for (int32 id : mirror.FrontToBack()) {
		const MirrorWindow* window = mirror.FindWindow(id);
		if (window == NULL || !window->isAlert)
			continue;
		if (name != NULL)
			*name = window->alertName;
		if (text != NULL)
			*text = window->alertText;
		return id;
	}
	return -1;
}


// A click on button index of the alert showing.
void
PressAlertButton(int32 alert, int32 index)
{
	int32 button = -1;
	{
		HeadlessDisplay* display
			= static_cast<HeadlessDisplay*>(DisplayServer::Current());
		std::lock_guard<std::mutex> lock(display->MirrorLock());
		const MirrorWindow* window = display->Mirror().FindWindow(alert);
		ASSERT_NE(nullptr, window);
		const MirrorView* view = window->FindView("_b" + std::to_string(index)
			+ "_");
		ASSERT_NE(nullptr, view);
		button = view->id;
	}
	BMessage click(B_INPUT_CLICK);
	click.AddInt32("view", button);
	BMessenger messenger;
	BMessenger::Private(&messenger).SetTo(alert, -1);
	ASSERT_EQ(B_OK, messenger.SendMessage(&click));
	ASSERT_TRUE(WaitUntilQuiet());
}


// The text of a panel's field (the name a save panel shows, or the path),
// and what of it is selected, in the kit and as the display was told.
struct ShownName {
	std::string text;
	int32 start = -1;
	int32 end = -1;
	int32 shownStart = -1;
	int32 shownEnd = -1;
};

ShownName
NameOf(BFilePanel* panel, const char* fieldName = "PanelName")
{
	ShownName name;
	BWindow* window = panel->Window();
	if (!window->Lock())
		return name;
	BTextControl* field = dynamic_cast<BTextControl*>(window->FindView(
		fieldName));
	int32 token = -1;
	if (field != NULL) {
		name.text = field->Text();
		field->TextView()->GetSelection(&name.start, &name.end);
		token = BHandler::Private(field->TextView()).Token();
	}
	int32 windowToken = BHandler::Private(window).Token();
	window->Unlock();
	HeadlessDisplay* display
		= static_cast<HeadlessDisplay*>(DisplayServer::Current());
	std::lock_guard<std::mutex> lock(display->MirrorLock());
	MirrorWindow* shown = display->Mirror().FindWindow(windowToken);
	const MirrorView* view = shown != NULL ? shown->FindView(token) : NULL;
	if (view != NULL) {
		name.shownStart = view->selectionStart;
		name.shownEnd = view->selectionEnd;
	}
	return name;
}


// A save panel's reply: the folder and the name to save under.
void
ExpectSaveReply(const BMessage& reply, const std::string& folder,
	const char* name)
{
	EXPECT_EQ(B_SAVE_REQUESTED, reply.what);
	EXPECT_EQ(folder, RefPath(reply, "directory"));
	const char* saved = NULL;
	ASSERT_EQ(B_OK, reply.FindString("name", &saved));
	EXPECT_STREQ(name, saved);
}


// A folder with a file of each kind, a folder, and links to each.
class FilePanelTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		fFolder = fHome.File("panel");
		fHome.WriteFile("panel/a.wav", "");
		fHome.WriteFile("panel/notes.txt", "");
		fHome.WriteFile("panel/typed.wav", "");
		fHome.WriteFile("panel/sub/inner.wav", "");
		ASSERT_EQ(0, symlink((fFolder + "/a.wav").c_str(),
			(fFolder + "/to-a").c_str()));
		ASSERT_EQ(0, symlink((fFolder + "/sub").c_str(),
			(fFolder + "/to-sub").c_str()));
		ASSERT_EQ(0, symlink((fFolder + "/gone.wav").c_str(),
			(fFolder + "/dangling").c_str()));
		BNode typed((fFolder + "/typed.wav").c_str());
		ASSERT_EQ((ssize_t)10, typed.WriteAttr("BEOS:TYPE", 'MIMS', 0,
			"audio/wav", 10));
		fReplies = new ReplyLooper();
		fReplies->Run();
	}

	void TearDown() override
	{
		if (fReplies->Lock())
			fReplies->Quit();
	}

	BFilePanel* NewPanel(file_panel_mode mode, uint32 flavors,
		BRefFilter* filter = NULL)
	{
		BMessenger target(fReplies);
		BFilePanel* panel = new BFilePanel(mode, &target, NULL, flavors,
			false, NULL, filter, false, true);
		panel->SetPanelDirectory(fFolder.c_str());
		panel->Show();
		EXPECT_TRUE(WaitUntilQuiet());
		return panel;
	}

	TemporaryHome fHome;
	std::string fFolder;
	ReplyLooper* fReplies;
};

} // namespace


// Links count as what they point to, dangling ones are left out, unless
// the panel asks for links: then each is offered as itself.
TEST_F(FilePanelTest, LinksAreWhatTheyPointToUnlessLinksAreAskedFor)
{
	BFilePanel* files = NewPanel(B_OPEN_PANEL, B_FILE_NODE);
	EXPECT_EQ(std::vector<std::string>({ "sub/", "to-sub/", "a.wav",
		"notes.txt", "to-a", "typed.wav" }), Entries(files));
	// Chosen, a link gives the file it points to.
	Pick(files, IndexOf(files, "to-a"), false);
	ClickDefault(files);
	ASSERT_EQ(1u, fReplies->Replies().size());
	EXPECT_EQ(B_REFS_RECEIVED, fReplies->Replies()[0].what);
	EXPECT_EQ(fFolder + "/a.wav", RefPath(fReplies->Replies()[0], "refs"));
	delete files;

	BFilePanel* links = NewPanel(B_OPEN_PANEL, B_FILE_NODE | B_SYMLINK_NODE);
	EXPECT_EQ(std::vector<std::string>({ "sub/", "a.wav", "dangling",
		"notes.txt", "to-a", "to-sub", "typed.wav" }), Entries(links));
	Pick(links, IndexOf(links, "to-sub"), false);
	ClickDefault(links);
	ASSERT_EQ(2u, fReplies->Replies().size());
	EXPECT_EQ(fFolder + "/to-sub", RefPath(fReplies->Replies()[1], "refs"));
	delete links;
}


// The filter sees every entry with its node, stat and type, and what it
// turns down is not shown; taken away, everything is back.
TEST_F(FilePanelTest, TheRefFilterHidesWhatItRejects)
{
	NoTextFilter filter;
	BFilePanel* panel = NewPanel(B_OPEN_PANEL, B_FILE_NODE, &filter);
	EXPECT_EQ(std::vector<std::string>({ "sub/", "to-sub/", "a.wav", "to-a",
		"typed.wav" }), Entries(panel));
	EXPECT_GE(filter.calls, 6);
	EXPECT_EQ(0, filter.incomplete);
	EXPECT_EQ("audio/wav", filter.typedSeen);
	EXPECT_EQ(&filter, panel->RefFilter());

	panel->SetRefFilter(NULL);
	EXPECT_EQ(std::vector<std::string>({ "sub/", "to-sub/", "a.wav",
		"notes.txt", "to-a", "typed.wav" }), Entries(panel));

	// Set later, it filters the folder shown at once.
	panel->SetRefFilter(&filter);
	EXPECT_EQ(-1, IndexOf(panel, "notes.txt"));
	delete panel;
}


// A double click enters a folder (a linked one too) and chooses a file as
// the default button would; a single click only selects.
TEST_F(FilePanelTest, ADoubleClickEntersAFolderAndChoosesAFile)
{
	BFilePanel* panel = NewPanel(B_OPEN_PANEL, B_FILE_NODE);
	Pick(panel, IndexOf(panel, "a.wav"), false);
	EXPECT_TRUE(fReplies->Replies().empty());
	EXPECT_TRUE(panel->IsShowing());

	// The folder is the first entry, as the file in it will be.
	ASSERT_EQ(0, IndexOf(panel, "sub/"));
	Pick(panel, 0, true);
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	EXPECT_EQ(std::vector<std::string>({ "inner.wav" }), Entries(panel));
	EXPECT_TRUE(fReplies->Replies().empty());

	// A click soon after, where the folder was: the display counts it as
	// the third of the clicks, but the entry under it is another, in
	// another listing. It only selects.
	Click(panel, 0, true);
	EXPECT_TRUE(fReplies->Replies().empty());
	EXPECT_TRUE(panel->IsShowing());
	EXPECT_EQ(std::vector<std::string>({ "inner.wav" }), Entries(panel));
	// Nor is a click on one entry and then on another a double click.
	TypePath(panel, fFolder);
	Click(panel, IndexOf(panel, "a.wav"), false);
	Click(panel, IndexOf(panel, "notes.txt"), true);
	EXPECT_TRUE(fReplies->Replies().empty());
	EXPECT_EQ(fFolder, ShownFolder(panel));

	Pick(panel, IndexOf(panel, "to-sub/"), true);
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	// The next click, on the entry the last click selected: a double
	// click, which chooses it.
	Click(panel, 0, false);
	Click(panel, 0, true);
	ASSERT_EQ(1u, fReplies->Replies().size());
	EXPECT_EQ(fFolder + "/sub/inner.wav",
		RefPath(fReplies->Replies()[0], "refs"));
	EXPECT_FALSE(panel->IsShowing());
	delete panel;

	// In a save panel a double-clicked file is the name to save under,
	// once the user agrees to replace it.
	BFilePanel* save = NewPanel(B_SAVE_PANEL, B_FILE_NODE);
	Pick(save, IndexOf(save, "sub/"), true);
	EXPECT_EQ(fFolder + "/sub", ShownFolder(save));
	Pick(save, 0, true);
	int32 alert = ShowingAlert();
	ASSERT_GE(alert, 0);
	PressAlertButton(alert, 1);
	ASSERT_EQ(2u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[1], fFolder + "/sub", "inner.wav");
	delete save;
}


// The frame of a view of the panel, in the window's coordinates.
BRect
FrameOf(BFilePanel* panel, const char* name)
{
	BRect frame;
	BWindow* window = panel->Window();
	if (!window->Lock())
		return frame;
	BView* view = window->FindView(name);
	if (view != NULL) {
		frame = view->Frame();
		for (BView* parent = view->Parent(); parent != NULL;
				parent = parent->Parent())
			frame.OffsetBy(parent->Frame().left, parent->Frame().top);
	}
	window->Unlock();
	return frame;
}


// The panel opens centred over the window it is for; a user may make it
// larger, and the entries get the room, or smaller, down to a size at
// which everything still fits.
TEST_F(FilePanelTest, ThePanelOpensOverItsWindowAndResizes)
{
	BWindow* owner = new BWindow(BRect(300, 200, 899, 599), "Proprietario",
		B_TITLED_WINDOW, 0);
	owner->Show();
	BMessenger target(owner);
	BFilePanel* panel = new BFilePanel(B_OPEN_PANEL, &target);
	panel->Show();
	ASSERT_TRUE(WaitUntilQuiet());
	BRect frame = panel->Window()->Frame();
	EXPECT_FLOAT_EQ(599.5f, (frame.left + frame.right) / 2);
	EXPECT_FLOAT_EQ(399.5f, (frame.top + frame.bottom) / 2);

	BRect list = FrameOf(panel, "PanelEntries");
	BRect button = FrameOf(panel, "PanelDefault");
	BMessage resized(B_INPUT_FRAME);
	resized.AddInt32("width", (int32)frame.Width() + 161);
	resized.AddInt32("height", (int32)frame.Height() + 151);
	ASSERT_EQ(B_OK, BMessenger(panel->Window()).SendMessage(&resized));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(frame.Width() + 161, panel->Window()->Frame().Width());
	EXPECT_EQ(frame.LeftTop(), panel->Window()->Frame().LeftTop());
	BRect grown = FrameOf(panel, "PanelEntries");
	EXPECT_EQ(list.LeftTop(), grown.LeftTop());
	EXPECT_EQ(list.Width() + 161, grown.Width());
	EXPECT_EQ(list.Height() + 151, grown.Height());
	EXPECT_EQ(button.OffsetByCopy(161, 151), FrameOf(panel,
		"PanelDefault"));

	resized.ReplaceInt32("width", 10);
	resized.ReplaceInt32("height", 10);
	ASSERT_EQ(B_OK, BMessenger(panel->Window()).SendMessage(&resized));
	ASSERT_TRUE(WaitUntilQuiet());
	float minWidth;
	float minHeight;
	panel->Window()->GetSizeLimits(&minWidth, NULL, &minHeight, NULL);
	EXPECT_EQ(minWidth, panel->Window()->Frame().Width());
	EXPECT_EQ(minHeight, panel->Window()->Frame().Height());
	// Everything still in the window, nothing over the entries.
	auto overlap = [](BRect a, BRect b) {
		return a.left <= b.right && b.left <= a.right && a.top <= b.bottom
			&& b.top <= a.bottom;
	};
	BRect bounds = panel->Window()->Bounds();
	BRect entries = FrameOf(panel, "PanelScroll");
	EXPECT_GT(entries.Height(), 60);
	for (const char* name : { "PanelUp", "PanelPath", "PanelDefault",
			"PanelCancel" }) {
		BRect view = FrameOf(panel, name);
		EXPECT_TRUE(bounds.Contains(view.LeftTop())
			&& bounds.Contains(view.RightBottom())) << name;
		EXPECT_FALSE(overlap(view, entries)) << name;
	}
	EXPECT_FALSE(overlap(FrameOf(panel, "PanelCancel"),
		FrameOf(panel, "PanelDefault")));
	delete panel;
	if (owner->Lock())
		owner->Quit();
}


// Folders first, then files; each as a person reads: capitals and small
// letters alike, numbers by their value. Names that begin with a dot are
// not listed, but a path typed to one is followed.
TEST_F(FilePanelTest, EntriesSortAsPeopleReadThemWithoutDotEntries)
{
	std::string folder = fHome.File("ordine");
	for (const char* name : { "traccia 10.wav", "traccia 2.wav",
			"Traccia 9.wav", "traccia 02b.wav", "Beta.wav", "alfa.wav",
			".nascosto.wav", "Zeta/x", "b-cartella/x", ".cartella/dentro.wav",
			"disco 1/x", "disco 01/x" })
		fHome.WriteFile("ordine/" + std::string(name), "");
	BFilePanel* panel = NewPanel(B_OPEN_PANEL, B_FILE_NODE);
	TypePath(panel, folder);
	EXPECT_EQ(std::vector<std::string>({ "b-cartella/", "disco 01/",
		"disco 1/", "Zeta/", "alfa.wav", "Beta.wav", "traccia 2.wav",
		"traccia 02b.wav", "Traccia 9.wav", "traccia 10.wav" }),
		Entries(panel));

	TypePath(panel, folder + "/.cartella");
	EXPECT_EQ(folder + "/.cartella", ShownFolder(panel));
	EXPECT_EQ(std::vector<std::string>({ "dentro.wav" }), Entries(panel));
	EXPECT_TRUE(fReplies->Replies().empty());
	TypePath(panel, folder + "/.nascosto.wav");
	ASSERT_EQ(1u, fReplies->Replies().size());
	EXPECT_EQ(folder + "/.nascosto.wav",
		RefPath(fReplies->Replies()[0], "refs"));
	delete panel;
}


// A save panel shows the name it is given selected, so that typing
// replaces it. Saving over a file that is there asks first: "Annulla"
// (also Escape) leaves the panel as it was, "Sostituisci" saves.
TEST_F(FilePanelTest, SavingOverAFileAsksFirst)
{
	BMessenger target(fReplies);
	BFilePanel* save = new BFilePanel(B_SAVE_PANEL, &target, NULL,
		B_FILE_NODE, false, NULL, NULL, false, true);
	save->SetPanelDirectory(fFolder.c_str());
	save->SetSaveText("a.wav");
	save->Show();
	ASSERT_TRUE(WaitUntilQuiet());
	ShownName name = NameOf(save);
	EXPECT_EQ("a.wav", name.text);
	EXPECT_EQ(0, name.start);
	EXPECT_EQ(5, name.end);
	EXPECT_EQ(0, name.shownStart);
	EXPECT_EQ(5, name.shownEnd);

	ClickDefault(save);
	std::string alertName;
	std::string text;
	int32 alert = ShowingAlert(&alertName, &text);
	ASSERT_GE(alert, 0);
	EXPECT_EQ("ReplaceFile", alertName);
	EXPECT_EQ("Il file \"a.wav\" esiste già. Vuoi sostituirlo?", text);
	std::shared_ptr<LooperState> state = FindLooperState(alert);
	ASSERT_TRUE(state != nullptr);
	BAlert* shown = dynamic_cast<BAlert*>(state->looper);
	ASSERT_NE(nullptr, shown);
	EXPECT_EQ(2, shown->CountButtons());
	EXPECT_STREQ("Annulla", shown->ButtonAt(0)->Label());
	EXPECT_STREQ("Sostituisci", shown->ButtonAt(1)->Label());
	EXPECT_EQ(B_ESCAPE, shown->Shortcut(0));
	EXPECT_EQ(B_STOP_ALERT, shown->AlertType());
	state.reset();
	PressAlertButton(alert, 0);
	EXPECT_EQ(-1, ShowingAlert());
	EXPECT_TRUE(fReplies->Replies().empty());
	EXPECT_TRUE(save->IsShowing());
	EXPECT_EQ("a.wav", NameOf(save).text);

	// A name that is not there is saved under at once.
	save->SetSaveText("nuovo.wav");
	ClickDefault(save);
	EXPECT_EQ(-1, ShowingAlert());
	ASSERT_EQ(1u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[0], fFolder, "nuovo.wav");

	save->SetSaveText("a.wav");
	save->Show();
	ASSERT_TRUE(WaitUntilQuiet());
	ClickDefault(save);
	alert = ShowingAlert();
	ASSERT_GE(alert, 0);
	PressAlertButton(alert, 1);
	ASSERT_EQ(2u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[1], fFolder, "a.wav");
	EXPECT_FALSE(save->IsShowing());
	delete save;
}


// A path typed into the field that shows the folder, then Enter: a folder
// (absolute, relative, under ~) is entered; a file is chosen in an open
// panel and saved under in a save panel; what is not there changes
// nothing but the field, which shows the folder again. The path is shown
// selected, so that typing one replaces it.
TEST_F(FilePanelTest, ATypedPathIsFollowed)
{
	BFilePanel* panel = NewPanel(B_OPEN_PANEL, B_FILE_NODE);
	ShownName path = NameOf(panel, "PanelPath");
	EXPECT_FALSE(path.text.empty());
	EXPECT_EQ(0, path.start);
	EXPECT_EQ((int32)path.text.size(), path.end);
	EXPECT_EQ(0, path.shownStart);
	EXPECT_EQ((int32)path.text.size(), path.shownEnd);
	TypePath(panel, fFolder + "/sub");
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	EXPECT_EQ(std::vector<std::string>({ "inner.wav" }), Entries(panel));
	TypePath(panel, "..");
	EXPECT_EQ(fFolder, ShownFolder(panel));
	TypePath(panel, "~/panel/to-sub");
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	TypePath(panel, fFolder + "/missing/x.wav");
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	EXPECT_TRUE(fReplies->Replies().empty());
	EXPECT_TRUE(panel->IsShowing());

	TypePath(panel, fFolder + "/typed.wav");
	ASSERT_EQ(1u, fReplies->Replies().size());
	EXPECT_EQ(fFolder + "/typed.wav", RefPath(fReplies->Replies()[0], "refs"));
	entry_ref more;
	EXPECT_NE(B_OK, fReplies->Replies()[0].FindRef("refs", 1, &more));
	EXPECT_FALSE(panel->IsShowing());
	delete panel;

	BFilePanel* save = NewPanel(B_SAVE_PANEL, B_FILE_NODE);
	TypePath(save, fFolder + "/sub/nuova lista.tvx");
	ASSERT_EQ(2u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[1], fFolder + "/sub",
		"nuova lista.tvx");
	delete save;
}


namespace {

// One key pressed where the focus is.
void
Key(BFilePanel* panel, const char* bytes)
{
	BMessage key(B_INPUT_KEY);
	key.AddString("bytes", bytes);
	ASSERT_EQ(B_OK, BMessenger(panel->Window()).SendMessage(&key));
	ASSERT_TRUE(WaitUntilQuiet());
}


int32
CurrentEntry(BFilePanel* panel)
{
	BWindow* window = panel->Window();
	if (!window->Lock())
		return -2;
	BListView* list = dynamic_cast<BListView*>(window->FindView(
		"PanelEntries"));
	int32 selected = list != NULL ? list->CurrentSelection(0) : -2;
	window->Unlock();
	return selected;
}


std::string
FocusName(BFilePanel* panel)
{
	BWindow* window = panel->Window();
	if (!window->Lock())
		return "";
	BView* focus = window->CurrentFocus();
	std::string name = focus == NULL ? "(none)"
		: focus->Parent() != NULL
			&& dynamic_cast<BTextControl*>(focus->Parent()) != NULL
		? focus->Parent()->Name() : focus->Name();
	window->Unlock();
	return name;
}

} // namespace


// A name typed with a '/' in a save panel is a path: relative to the
// folder shown, from home or absolute, it is saved under in its folder; a
// folder alone is entered; a folder that is not there is said so, and the
// panel stays with the name as typed.
TEST_F(FilePanelTest, ANameWithASlashIsAPath)
{
	BFilePanel* save = NewPanel(B_SAVE_PANEL, B_FILE_NODE);
	TypeInto(save, "PanelName", "sub/nuova.tvx");
	ASSERT_EQ(1u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[0], fFolder + "/sub", "nuova.tvx");

	save->SetPanelDirectory(fFolder.c_str());
	save->Show();
	ASSERT_TRUE(WaitUntilQuiet());
	TypeInto(save, "PanelName", "missing/x.tvx");
	std::string name;
	std::string text;
	int32 alert = ShowingAlert(&name, &text);
	ASSERT_GE(alert, 0);
	EXPECT_EQ("NoSuchFolder", name);
	EXPECT_EQ("La cartella \"" + fFolder + "/missing\" non esiste.", text);
	PressAlertButton(alert, 0);
	EXPECT_EQ(-1, ShowingAlert());
	EXPECT_TRUE(save->IsShowing());
	EXPECT_EQ(1u, fReplies->Replies().size());
	EXPECT_EQ(fFolder, ShownFolder(save));
	ShownName shown = NameOf(save);
	EXPECT_EQ("missing/x.tvx", shown.text);
	EXPECT_EQ(0, shown.start);
	EXPECT_EQ(13, shown.end);

	// "a.wav/" is no folder: said so too, not saved as a.wav.
	TypeInto(save, "PanelName", "a.wav/");
	alert = ShowingAlert(&name, &text);
	ASSERT_GE(alert, 0);
	EXPECT_EQ("La cartella \"" + fFolder + "/a.wav\" non esiste.", text);
	PressAlertButton(alert, 0);
	EXPECT_EQ(1u, fReplies->Replies().size());

	TypeInto(save, "PanelName", "sub/");
	EXPECT_EQ(fFolder + "/sub", ShownFolder(save));
	EXPECT_EQ("", NameOf(save).text);
	EXPECT_EQ(1u, fReplies->Replies().size());
	EXPECT_TRUE(save->IsShowing());

	TypeInto(save, "PanelName", "~/panel/x.tvx");
	ASSERT_EQ(2u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[1], fFolder, "x.tvx");
	save->Show();
	ASSERT_TRUE(WaitUntilQuiet());
	TypeInto(save, "PanelName", fFolder + "/sub/../y.tvx");
	ASSERT_EQ(3u, fReplies->Replies().size());
	ExpectSaveReply(fReplies->Replies()[2], fFolder, "y.tvx");
	delete save;
}


// In the entries, '/' and a '~' that begins what is typed start a path:
// the path field takes the focus and the character, nothing selected, so
// that typing goes on after it; a '~' within a name is looked for as usual.
TEST_F(FilePanelTest, ASlashOrTildeInTheEntriesStartsAPath)
{
	BFilePanel* panel = NewPanel(B_OPEN_PANEL, B_FILE_NODE);
	Pick(panel, IndexOf(panel, "a.wav"), false);
	ASSERT_EQ("PanelEntries", FocusName(panel));
	Key(panel, "n");
	EXPECT_EQ(IndexOf(panel, "notes.txt"), CurrentEntry(panel));
	Key(panel, "~");
	EXPECT_EQ("PanelEntries", FocusName(panel));
	EXPECT_EQ(fFolder, ShownFolder(panel));

	for (const char* start : { "/", "~" }) {
		Pick(panel, IndexOf(panel, "a.wav"), false);
		ASSERT_EQ("PanelEntries", FocusName(panel));
		snooze(1100000);
		Key(panel, start);
		EXPECT_EQ("PanelPath", FocusName(panel)) << start;
		ShownName path = NameOf(panel, "PanelPath");
		EXPECT_EQ(start, path.text);
		EXPECT_EQ(0, path.start);
		EXPECT_EQ(0, path.end);
		EXPECT_EQ(0, path.shownStart);
		EXPECT_EQ(0, path.shownEnd);
		// The entry chosen before stays as it was.
		EXPECT_EQ(IndexOf(panel, "a.wav"), CurrentEntry(panel));
	}
	TypePath(panel, "~/panel/sub");
	EXPECT_EQ(fFolder + "/sub", ShownFolder(panel));
	EXPECT_TRUE(fReplies->Replies().empty());
	delete panel;
}
