// Tolvex itself on real windows under Xvfb: in this process where the
// test looks at the kit objects too, and as the installed program for
// what must end it (the close box, a vanished X server).

#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <math.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include <Alert.h>
#include <Button.h>
#include <ListItem.h>
#include <Application.h>
#include <CheckBox.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Node.h>
#include <StringView.h>
#include <TabView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include "EncoderView.h"
#include "FilesList.h"
#include "MainWindow.h"
#include "PngWriter.h"
#include "ProgressWindow.h"
#include "TabView.h"
#include "AppOnX.h"
#include "TestSupport.h"
#include "TolvexApp.h"
#include "XProbe.h"
#include "XvfbServer.h"
#include "display/DisplayServer.h"
#include "display/fltk/FltkTabView.h"
#include "display/fltk/FltkView.h"

namespace {

const char* kMainTitle = "Tolvex 1.2a";
const char* kPanels[] = { "File", "Opzioni di Gogo", "Opzioni del programma" };


bool
HasSetting(const std::string& executable, const char* name)
{
	BNode node(executable.c_str());
	attr_info info;
	return node.InitCheck() == B_OK && node.GetAttrInfo(name, &info) == B_OK;
}


std::string
ArtefactPath(const char* name)
{
	std::string folder = std::string(TOLVEX_BINARY_DIR) + "/e2e-screenshots";
	mkdir(folder.c_str(), 0755);
	return folder + "/" + name + ".png";
}


void
ExpectPanelLook(const Screenshot& shot, const char* name)
{
	ASSERT_FALSE(shot.IsEmpty()) << name;
	EXPECT_GT(shot.CountColors(), 8) << name;
	EXPECT_TRUE(shot.Has(216, 216, 216)) << name;
	EXPECT_TRUE(WritePng(ArtefactPath(name), shot.width, shot.height,
		shot.rgb)) << name;
}


class TolvexOnX : public AppOnX {
protected:
	// A progress window of the main window's, shown; its X window in
	// window.
	ProgressWindow* ShowProgress(unsigned long* window)
	{
		ProgressWindow* progress = new ProgressWindow(Main());
		progress->Show();
		*window = fProbe->WaitForWindow("Stato della codifica");
		return progress;
	}
};

} // namespace


TEST_F(TolvexOnX, MainWindowShowsItsTabsOneByOne)
{
	unsigned long window = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, window);
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	EXPECT_EQ(100, geometry.x);
	EXPECT_EQ(100, geometry.y);
	EXPECT_EQ(441, geometry.width);
	EXPECT_EQ(281, geometry.height);
	int width = 0, height = 0;
	ASSERT_TRUE(fProbe->MaxSize(window, &width, &height));
	EXPECT_EQ(441, width);
	EXPECT_EQ(281, height);
	// The program's own icon, from its resources.
	std::vector<long> icon = fProbe->Property(window, "_NET_WM_ICON");
	ASSERT_EQ(2u + 32 * 32, icon.size());
	EXPECT_EQ(32, icon[0]);
	EXPECT_EQ(32, icon[1]);
	EXPECT_TRUE(std::any_of(icon.begin() + 2, icon.end(),
		[](long pixel) { return (pixel >> 24 & 0xff) == 0xff; }));
	// The class the desktop entry names, so that a dock groups the
	// windows under Tolvex's launcher.
	EXPECT_EQ(std::string("tolvex\0Tolvex\0", 14),
		fProbe->StringProperty(window, "WM_CLASS"));

	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_TRUE(main->Lock());
	BTabView* tabView = main->fTabView;
	BRect tabFrame = FrameInWindow(tabView);
	std::vector<int> labels;
	for (const char* panel : kPanels)
		labels.push_back((int)tabView->StringWidth(panel));
	main->Unlock();
	std::vector<int> edges = BPrivate::FltkTabView::TabEdges(labels,
		(int)tabFrame.left, tabFrame.IntegerWidth() + 1);

	Screenshot last;
	for (int index : { 1, 2, 0 }) {
		ASSERT_TRUE(ClickAt(geometry.x + (edges[index] + edges[index + 1]) / 2,
			geometry.y + (int)tabFrame.top + 8));
		ASSERT_TRUE(WaitUntilSettled());
		ASSERT_TRUE(main->Lock());
		for (int panel = 0; panel < 3; panel++) {
			BView* view = main->FindView(kPanels[panel]);
			ASSERT_NE(nullptr, view) << kPanels[panel];
			EXPECT_EQ(panel != index, view->IsHidden()) << kPanels[panel];
		}
		main->Unlock();

		Screenshot shot = fProbe->GrabSettled(window);
		std::string name = std::string("tolvex-tab-") + std::to_string(index);
		ExpectPanelLook(shot, name.c_str());
		EXPECT_FALSE(shot == last) << name;
		last = shot;
	}
}


TEST_F(TolvexOnX, AboutBoxOpensFromTheMenuAndClosesWithItsButton)
{
	unsigned long window = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, window);

	// "?" is the menu after "Lista": open "Lista", step right, and choose
	// the item after "Leggimi" (the separator is passed over).
	ASSERT_TRUE(ClickAt(100 + 15, 100 + 8));
	ASSERT_TRUE(PressKey("Right Down Down Return"));
	// Looked at only once shown and at rest: until then the application's
	// thread may still be building it.
	// An alert has no tab: the desktop's task list shows the
	// application's name, the kit keeps the name it was given.
	const std::string title = "Tolvex";
	ASSERT_NE(0ul, fProbe->WaitForWindow(title));
	ASSERT_TRUE(WaitUntilSettled());

	// Once its window is mapped the alert is built and shown: its
	// constructor is over, and Show released the lock taken here.
	unsigned long alertWindow = fProbe->WaitForWindow(title);
	ASSERT_NE(0ul, alertWindow);
	BAlert* alert = ShowingAlert();
	ASSERT_NE(nullptr, alert);
	EXPECT_STREQ("AboutDialog", alert->Title());
	// The alert is listed as soon as its window part is built: wait until
	// the application rests in Go, so that its constructor is done.
	ASSERT_TRUE(WaitUntilSettled());
	// The alert's thread waits in Go; its views stay as they are.
	ASSERT_TRUE(alert->Lock());
	BButton* close = alert->ButtonAt(1);
	ASSERT_NE(nullptr, close);
	BRect closeFrame = FrameInWindow(close);
	alert->Unlock();

	std::vector<std::string> state = fProbe->AtomNames(alertWindow,
		"_NET_WM_STATE");
	EXPECT_NE(state.end(),
		std::find(state.begin(), state.end(), "_NET_WM_STATE_MODAL"));
	ASSERT_TRUE(WaitUntilSettled());
	ExpectPanelLook(fProbe->GrabSettled(alertWindow), "tolvex-about");

	// Over the middle of the main window.
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(alertWindow, &geometry));
	WindowGeometry mainGeometry;
	ASSERT_TRUE(fProbe->Geometry(window, &mainGeometry));
	EXPECT_NEAR(mainGeometry.x + mainGeometry.width / 2,
		geometry.x + geometry.width / 2, 1);
	EXPECT_NEAR(mainGeometry.y + mainGeometry.height / 2,
		geometry.y + geometry.height / 2, 1);
	ASSERT_TRUE(ClickAt(geometry.x + (int)(closeFrame.left
		+ closeFrame.right) / 2, geometry.y + (int)(closeFrame.top
		+ closeFrame.bottom) / 2));
	EXPECT_TRUE(fProbe->WaitUntilGone(title));
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_EQ(nullptr, ShowingAlert());
}


// A window that the server no longer has (another client took it away, or
// it went while a request about it was on its way) makes the requests
// about it fail: the program goes on, and its other windows with it.
TEST_F(TolvexOnX, AWindowGoneFromTheServerEndsNothing)
{
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	unsigned long window;
	ProgressWindow* progress = ShowProgress(&window);
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(WaitUntilSettled());
	fProbe->DestroyWindow(window);
	ASSERT_TRUE(progress->Lock());
	progress->SetTitle("Stato");
	progress->Hide();
	progress->Unlock();
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(main->Lock());
	main->fTabView->Select(1);
	main->Unlock();
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	ASSERT_TRUE(progress->Lock());
	progress->Quit();
	ASSERT_TRUE(main->Lock());
	main->fTabView->Select(0);
	main->Unlock();
}


TEST_F(TolvexOnX, ProgressWindowIsModalFixedAndHasNoBoxes)
{
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	unsigned long window;
	ProgressWindow* progress = ShowProgress(&window);
	ASSERT_NE(0ul, window);

	std::vector<std::string> state = fProbe->AtomNames(window,
		"_NET_WM_STATE");
	EXPECT_NE(state.end(),
		std::find(state.begin(), state.end(), "_NET_WM_STATE_MODAL"));
	EXPECT_NE(0ul, fProbe->TransientFor(window));
	std::vector<std::string> type = fProbe->AtomNames(window,
		"_NET_WM_WINDOW_TYPE");
	EXPECT_NE(type.end(),
		std::find(type.begin(), type.end(), "_NET_WM_WINDOW_TYPE_UTILITY"));

	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	// Resized to 340 wide in coordinates: 341 pixels.
	EXPECT_EQ(341, geometry.width);
	int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
	ASSERT_TRUE(fProbe->MinSize(window, &minWidth, &minHeight));
	ASSERT_TRUE(fProbe->MaxSize(window, &maxWidth, &maxHeight));
	EXPECT_EQ(minWidth, maxWidth);
	EXPECT_EQ(minHeight, maxHeight);
	EXPECT_EQ(geometry.height, maxHeight);

	// Motif functions: move only; no resize, minimise, maximise, close.
	std::vector<long> motif = fProbe->Property(window, "_MOTIF_WM_HINTS");
	ASSERT_EQ(5u, motif.size());
	EXPECT_EQ(1 << 2, motif[1]);
	EXPECT_EQ(0, motif[2] & (1 << 5 | 1 << 6));

	ASSERT_TRUE(progress->Lock());
	progress->Quit();
	EXPECT_TRUE(fProbe->WaitUntilGone("Stato della codifica"));
}


namespace {

// What of the view's labels and texts the frame the layout gives it
// cuts, as the display measures them; one line each. The window is
// locked.
void
FindCut(BView* view, std::vector<std::string>* cut)
{
	float width = view->Bounds().Width() + 1;
	float height = view->Bounds().Height() + 1;
	font_height fontHeight;
	view->GetFontHeight(&fontHeight);
	float line = ceilf(fontHeight.ascent + fontHeight.descent);
	std::string name = view->Name() != NULL ? view->Name() : "";
	auto check = [&](bool fits, const std::string& what) {
		if (!fits)
			cut->push_back(name + ": " + what);
	};

	if (BStringView* string = dynamic_cast<BStringView*>(view)) {
		std::string text = string->Text() != NULL ? string->Text() : "";
		int lines = 0;
		for (size_t start = 0; start <= text.size(); lines++) {
			size_t end = std::min(text.find('\n', start), text.size());
			std::string part = text.substr(start, end - start);
			check(view->StringWidth(part.c_str()) <= width, "\"" + part
				+ "\" wider than " + std::to_string(width));
			start = end + 1;
		}
		check(lines * line <= height, "text higher than its frame");
	} else if (BTextControl* control = dynamic_cast<BTextControl*>(view)) {
		check(view->StringWidth(control->Label()) <= control->Divider(),
			std::string("label \"") + control->Label() + "\" past the divider");
		// The whole line, descenders too, inside the field.
		check(control->TextView()->Bounds().Height() + 1 >= line,
			"text field lower than a line");
	} else if (BMenuField* field = dynamic_cast<BMenuField*>(view)) {
		check(view->StringWidth(field->Label()) <= field->Divider(),
			std::string("label \"") + field->Label() + "\" past the divider");
		// Any choice shown, beside the pop-up mark.
		BMenu* menu = field->Menu();
		for (int32 i = 0; menu != NULL && i < menu->CountItems(); i++) {
			const char* label = menu->ItemAt(i)->Label();
			check(view->StringWidth(label) + 24 <= width - field->Divider(),
				std::string("choice \"") + label + "\" wider than the field");
		}
		check(line <= height, "lower than a line");
	} else if (BCheckBox* box = dynamic_cast<BCheckBox*>(view)) {
		// The box, as wide as the font is high, and its gaps.
		float boxWidth = BPrivate::FltkView::Unscaled(
			BPrivate::FltkView::FontSize() + 4);
		check(boxWidth + view->StringWidth(box->Label()) <= width,
			std::string("label \"") + box->Label() + "\" wider than the box");
		check(line <= height, "lower than a line");
	} else if (BButton* button = dynamic_cast<BButton*>(view)) {
		// Inside the button's raised border.
		check(view->StringWidth(button->Label()) + 6 <= width,
			std::string("label \"") + button->Label() + "\" wider than "
				+ "the button");
		check(line + 4 <= height, "lower than a line");
	} else if (BTabView* tabs = dynamic_cast<BTabView*>(view)) {
		float all = 4;
		for (int32 i = 0; i < tabs->CountTabs(); i++)
			all += view->StringWidth(tabs->TabAt(i)->Label()) + 20;
		check(all <= width, "tabs wider than the tab view");
	}

	for (int32 i = 0; i < view->CountChildren(); i++)
		FindCut(view->ChildAt(i), cut);
}


std::vector<std::string>
CutIn(BWindow* window)
{
	std::vector<std::string> cut;
	if (!window->Lock())
		return { "window gone" };
	for (int32 i = 0; i < window->CountChildren(); i++)
		FindCut(window->ChildAt(i), &cut);
	window->Unlock();
	return cut;
}


// The application on a screen set to a number of dots per inch, as a
// desktop's settings set Xft.dpi.
class TolvexAtDpi : public AppOnX, public ::testing::WithParamInterface<int> {
protected:
	void SetUp() override
	{
		XProbe probe;
		probe.SetResources("Xft.dpi:\t" + std::to_string(GetParam())
			+ "\n");
		AppOnX::SetUp();
	}
};

} // namespace


// Every label and text of every window fits the frame the application's
// layout gives it, measured in the display's font; on a dense screen the
// window keeps its size on the desk, every frame scaled.
TEST_P(TolvexAtDpi, EveryLabelFitsItsFrame)
{
	int scale = GetParam() / 96;
	unsigned long window = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, window);
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	EXPECT_EQ(441 * scale, geometry.width);
	EXPECT_EQ(281 * scale, geometry.height);
	std::vector<long> icon = fProbe->Property(window, "_NET_WM_ICON");
	ASSERT_GE(icon.size(), 2u);
	EXPECT_EQ(32 * scale, icon[0]);

	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_TRUE(main->Lock());
	EXPECT_EQ(BRect(100, 100, 540, 380), main->Frame());
	main->Unlock();
	std::vector<std::string> cut = CutIn(main);
	EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);

	// A text field's border lies outside its text view: the whole frame is
	// the field's white, and descenders and underscores show in it.
	ASSERT_TRUE(main->Lock());
	main->fTabView->Select(1);
	BTextControl* control = main->fTabView->fEncoderView->fOutputDirText;
	std::string outputFolder = control->Text();
	control->SetText("gjpqy_");
	BRect field = FrameInWindow(control->TextView());
	main->Unlock();
	ASSERT_TRUE(WaitUntilSettled());
	Screenshot shot = fProbe->GrabSettled(window);
	ASSERT_FALSE(shot.IsEmpty());
	int left = (int)field.left * scale;
	int top = (int)field.top * scale;
	int right = ((int)field.right + 1) * scale - 1;
	int bottom = ((int)field.bottom + 1) * scale - 1;
	EXPECT_EQ(0, shot.CountOther(left, top, right, top, 255, 255, 255));
	EXPECT_EQ(right - left + 1, shot.CountOther(left, top - 1, right, top - 1,
		255, 255, 255));
	EXPECT_GT(shot.CountOther(left, bottom - 2 * scale, right, bottom, 255,
		255, 255), 0);
	// As it was: the settings are stored on this test program.
	ASSERT_TRUE(main->Lock());
	control->SetText(outputFolder.c_str());
	main->fTabView->Select(0);
	main->Unlock();

	ProgressWindow* progress = new ProgressWindow(main);
	progress->Show();
	ASSERT_NE(0ul, fProbe->WaitForWindow("Stato della codifica"));
	cut = CutIn(progress);
	EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
	ASSERT_TRUE(progress->Lock());
	progress->Quit();
	ASSERT_TRUE(fProbe->WaitUntilGone("Stato della codifica"));

	// The About box, with its long path, then closed with its button.
	BMessage about(B_ABOUT_REQUESTED);
	be_app_messenger.SendMessage(&about);
	unsigned long alertWindow = fProbe->WaitForWindow("Tolvex");
	ASSERT_NE(0ul, alertWindow);
	ASSERT_TRUE(WaitUntilSettled());
	BAlert* alert = ShowingAlert();
	ASSERT_NE(nullptr, alert);
	cut = CutIn(alert);
	EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
	ASSERT_TRUE(alert->Lock());
	BRect closeFrame = FrameInWindow(alert->ButtonAt(1));
	alert->Unlock();
	ASSERT_TRUE(fProbe->Geometry(alertWindow, &geometry));
	ASSERT_TRUE(ClickAt(geometry.x + (int)(closeFrame.left
		+ closeFrame.right) * scale / 2, geometry.y + (int)(closeFrame.top
		+ closeFrame.bottom) * scale / 2));
	EXPECT_TRUE(fProbe->WaitUntilGone("Tolvex"));
}


INSTANTIATE_TEST_SUITE_P(Screens, TolvexAtDpi, ::testing::Values(96, 192));


// A path too long for any screen: the alert keeps BeOS's width, wraps
// the text and grows downwards, and stays whole on a 1024 x 768 screen
// with its button there to press.
TEST_F(TolvexOnX, LongPathAlertFitsTheScreen)
{
	unsigned long window = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, window);
	std::string location = "/home/utente/Musica/Registrazioni";
	for (int i = 0; i < 6; i++)
		location += "/cartella_con_un_nome_molto_lungo_numero_" + std::to_string(i);
	location += "/Gogo";
	std::string wave = fHome.WriteFile("music/a.wav", "RIFF");
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	// The settings are stored on this test program when the application
	// quits: the tests after this one find the encoder where it was.
	TolvexApp* app = static_cast<TolvexApp*>(be_app);
	char before[kEncoderLocationSize];
	app->GetEncoderLocation(before, sizeof(before));
	struct Restore {
		TolvexApp* app;
		const char* location;
		~Restore() { app->SetEncoderLocation(location); }
	} restore = { app, before };
	app->SetEncoderLocation(location.c_str());
	ASSERT_TRUE(main->Lock());
	main->fFilesList->AddFile(wave.c_str());
	BRect encodeFrame = FrameInWindow(main->fEncodeButton);
	main->Unlock();
	ASSERT_TRUE(WaitUntilSettled());
	WindowGeometry mainGeometry;
	ASSERT_TRUE(fProbe->Geometry(window, &mainGeometry));
	ASSERT_TRUE(ClickAt(mainGeometry.x + (int)(encodeFrame.left
		+ encodeFrame.right) / 2, mainGeometry.y + (int)(encodeFrame.top
		+ encodeFrame.bottom) / 2));

	unsigned long alertWindow = fProbe->WaitForWindow("Tolvex");
	ASSERT_NE(0ul, alertWindow);
	ASSERT_TRUE(WaitUntilSettled());
	BAlert* alert = ShowingAlert();
	ASSERT_NE(nullptr, alert);
	EXPECT_STREQ("EncodeFailed", alert->Title());
	EXPECT_TRUE(Contains(alert->Text(), location));

	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(alertWindow, &geometry));
	EXPECT_GE(geometry.x, 0);
	EXPECT_GE(geometry.y, 0);
	EXPECT_LE(geometry.x + geometry.width, 1024);
	EXPECT_LE(geometry.y + geometry.height, 768);
	EXPECT_LT(geometry.width, 400);

	ASSERT_TRUE(alert->Lock());
	BStringView* text = dynamic_cast<BStringView*>(alert->FindView("_tv_"));
	ASSERT_NE(nullptr, text);
	std::string shown = text->Text();
	BRect okFrame = FrameInWindow(alert->ButtonAt(0));
	alert->Unlock();
	EXPECT_GT(std::count(shown.begin(), shown.end(), '\n'), 3) << shown;
	std::vector<std::string> cut = CutIn(alert);
	EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
	EXPECT_LT(okFrame.bottom, geometry.height);
	EXPECT_LT(okFrame.right, geometry.width);

	// "OK" is where the kit put it.
	ASSERT_TRUE(ClickAt(geometry.x + (int)(okFrame.left + okFrame.right) / 2,
		geometry.y + (int)(okFrame.top + okFrame.bottom) / 2));
	EXPECT_TRUE(fProbe->WaitUntilGone("Tolvex"));
}


// The installed program, ended by the close box as a window manager
// reports it, and by its X server going away.
class TolvexProgramOnX : public ::testing::Test {
protected:
	virtual void SetUp()
	{
		ASSERT_TRUE(fServer.IsRunning());
		setenv("BE_DISPLAY", "fltk", 1);
		fRunner = new TolvexRunner(fHome);
		ASSERT_FALSE(HasSetting(fRunner->Executable(), "encoder_location"));
		ASSERT_GT(fRunner->StartScriptAt(NULL), 0);
		fProbe = new XProbe;
		fWindow = fProbe->WaitForWindow(kMainTitle, 20000);
		ASSERT_NE(0ul, fWindow);
	}

	virtual void TearDown()
	{
		delete fProbe;
		delete fRunner;
	}

	TemporaryHome		fHome;
	XvfbServer			fServer;
	TolvexRunner*		fRunner = NULL;
	XProbe*				fProbe = NULL;
	unsigned long		fWindow = 0;
};


TEST_F(TolvexProgramOnX, CloseBoxQuitsAndStoresTheSettings)
{
	fProbe->SendDeleteWindow(fWindow);
	RunResult result = fRunner->Finish(30);
	EXPECT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(HasSetting(fRunner->Executable(), "encoder_location"));
	EXPECT_TRUE(fProbe->WaitUntilGone(kMainTitle));
	// The toolkit's preferences are nothing Tolvex stores.
	struct stat st;
	EXPECT_NE(0, lstat(fHome.File(".fltk").c_str(), &st));
}


TEST_F(TolvexProgramOnX, LosingTheServerQuitsAndStoresTheSettings)
{
	fProbe->Close();
	fServer.Kill();
	RunResult result = fRunner->Finish(30);
	EXPECT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(HasSetting(fRunner->Executable(), "encoder_location"));
}


// Tolvex in-process under a real window manager (openbox), which hands
// the keyboard to each window as it shows, the way a user's desktop does.
class KeyboardOnX : public AppOnX {
protected:
	virtual void SetUp()
	{
		ASSERT_TRUE(fServer.IsRunning());
		fManager = fork();
		if (fManager == 0) {
			execlp("openbox", "openbox", "--sm-disable", (char*)NULL);
			_exit(127);
		}
		ASSERT_GT(fManager, 0);
		bigtime_t deadline = system_time() + 10000000;
		while (!ManagerRuns() && system_time() < deadline)
			snooze(50000);
		ASSERT_TRUE(ManagerRuns());
		AppOnX::SetUp();
	}

	virtual void TearDown()
	{
		AppOnX::TearDown();
		if (fManager > 0) {
			kill(fManager, SIGTERM);
			waitpid(fManager, NULL, 0);
		}
	}

	static bool ManagerRuns()
	{
		FILE* check = popen("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null",
			"r");
		if (check == NULL)
			return false;
		char line[256] = "";
		bool found = fgets(line, sizeof(line), check) != NULL
			&& strstr(line, "window id") != NULL;
		pclose(check);
		return found;
	}

	// Keys, then until the kits and the display have done with them.
	static void Keys(const char* keys)
	{
		ASSERT_TRUE(PressKey(keys));
		ASSERT_TRUE(WaitUntilSettled());
	}

	// The mapped window of this title, as a window manager has it (its
	// frame around it); 0 for none.
	static unsigned long Mapped(const std::string& title)
	{
		std::string command = "xdotool search --onlyvisible --name '^"
			+ title + "$' 2>/dev/null";
		FILE* search = popen(command.c_str(), "r");
		if (search == NULL)
			return 0;
		char line[64] = "";
		unsigned long window = 0;
		if (fgets(line, sizeof(line), search) != NULL)
			window = strtoul(line, NULL, 10);
		pclose(search);
		return window;
	}

	static unsigned long WaitMapped(const std::string& title, bool mapped)
	{
		bigtime_t deadline = system_time() + 10000000;
		unsigned long window = Mapped(title);
		while ((window != 0) != mapped && system_time() < deadline) {
			snooze(50000);
			window = Mapped(title);
		}
		return mapped ? window : (unsigned long)(window == 0);
	}

	BView* Focus(BWindow* window)
	{
		if (!window->Lock())
			return NULL;
		BView* focus = window->CurrentFocus();
		window->Unlock();
		return focus;
	}

	pid_t fManager = -1;
};


// From start, with the keyboard alone: two files through the add-files
// panel by their typed paths, "128 kbps" in the encoder tab, "Codifica!",
// and "Esci" from the menu bar.
TEST_F(KeyboardOnX, TheKeyboardAloneAddsEncodesAndQuits)
{
	std::string record = fHome.File("gogo-calls");
	fHome.WriteFile(".local/bin/Gogo", "#!/bin/sh\necho \"$@\" >> '" + record
		+ "'\n", true);
	std::string uno = fHome.WriteFile("musica/uno.wav", "RIFF");
	std::string due = fHome.WriteFile("musica/due.wav", "RIFF");
	unsigned long window = WaitMapped(kMainTitle, true);
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(WaitUntilSettled());
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	BView* add = main->FindView("AddFiles");
	ASSERT_NE(nullptr, add);

	// "Esci", the tab view ("Codifica!" is disabled), "Aggiungi..."
	// ("Rimuovi" too).
	Keys("Tab Tab Tab");
	ASSERT_EQ(add, Focus(main));
	for (const std::string& path : { uno, due }) {
		Keys("space");
		ASSERT_NE(0ul, WaitMapped("Aggiungi file", true));
		ASSERT_TRUE(WaitUntilSettled());
		Keys("ctrl+a");
		ASSERT_TRUE(TypeText(path));
		ASSERT_TRUE(WaitUntilSettled());
		Keys("Return");
		ASSERT_TRUE(WaitMapped("Aggiungi file", false));
		ASSERT_TRUE(WaitUntilSettled());
	}
	ASSERT_TRUE(main->Lock());
	ASSERT_EQ(2, main->fFilesList->CountItems());
	EXPECT_STREQ(uno.c_str(), static_cast<BStringItem*>(
		main->fFilesList->ItemAt(0))->Text());
	EXPECT_STREQ(due.c_str(), static_cast<BStringItem*>(
		main->fFilesList->ItemAt(1))->Text());
	main->Unlock();

	// Back to the tabs, the next one, its first field, nine items down.
	Keys("shift+Tab Right Tab");
	Keys("Down Down Down Down Down Down Down Down Down");
	ASSERT_TRUE(main->Lock());
	BMenuItem* marked = main->fTabView->fEncoderView->fBitRateMenu
		->FindMarked();
	ASSERT_NE(nullptr, marked);
	EXPECT_STREQ("128 kbps", marked->Label());
	main->Unlock();

	// Back over the tab view to "Codifica!", marked in the keyboard
	// navigation blue.
	Keys("shift+Tab shift+Tab");
	ASSERT_EQ(main->fEncodeButton, Focus(main));
	Screenshot shot = fProbe->GrabSettled(window);
	EXPECT_TRUE(shot.Has(0, 0, 229));
	EXPECT_TRUE(WritePng(ArtefactPath("tolvex-keyboard-focus"), shot.width,
		shot.height, shot.rgb));

	Keys("space");
	std::string calls;
	bigtime_t deadline = system_time() + 20000000;
	while (std::count(calls.begin(), calls.end(), '\n') < 2
		&& system_time() < deadline) {
		snooze(50000);
		calls = ReadFile(record);
	}
	std::vector<std::string> lines = SplitLines(calls);
	ASSERT_EQ(2u, lines.size()) << calls;
	for (const std::string& line : lines)
		EXPECT_NE(std::string::npos, line.find("-b 128")) << line;
	ASSERT_TRUE(WaitUntilSettled());
	// Whatever the end of the run says is answered by Enter.
	for (int i = 0; i < 3 && ShowingAlert() != NULL; i++)
		Keys("Return");
	EXPECT_EQ(nullptr, ShowingAlert());

	// "Lista" is the first menu; "Esci" its fourth item.
	Keys("F10");
	Keys("Down Down Down Down Return");
	EXPECT_TRUE(WaitMapped(kMainTitle, false));
}
