// Tolvex itself on real windows under Xvfb: in this process where the
// test looks at the kit objects too, and as the installed program for
// what must end it (the close box, a vanished X server).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <thread>

#include <Alert.h>
#include <Button.h>
#include <Application.h>
#include <Node.h>
#include <TabView.h>
#include <View.h>
#include <Window.h>

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
	ASSERT_NE(0ul, fProbe->WaitForWindow("AboutDialog"));
	ASSERT_TRUE(WaitUntilSettled());

	// Once its window is mapped the alert is built and shown: its
	// constructor is over, and Show released the lock taken here.
	const std::string title = "AboutDialog";
	unsigned long alertWindow = fProbe->WaitForWindow(title);
	ASSERT_NE(0ul, alertWindow);
	BAlert* alert = ShowingAlert();
	ASSERT_NE(nullptr, alert);
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

	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(alertWindow, &geometry));
	ASSERT_TRUE(ClickAt(geometry.x + (int)(closeFrame.left
		+ closeFrame.right) / 2, geometry.y + (int)(closeFrame.top
		+ closeFrame.bottom) / 2));
	EXPECT_TRUE(fProbe->WaitUntilGone(title));
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_EQ(nullptr, ShowingAlert());
}


TEST_F(TolvexOnX, ProgressWindowIsModalFixedAndHasNoBoxes)
{
	MainWindow* main = Main();
	ASSERT_NE(nullptr, main);
	ASSERT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	ProgressWindow* progress = new ProgressWindow(main);
	progress->Show();
	unsigned long window = fProbe->WaitForWindow("Stato della codifica");
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
}


TEST_F(TolvexProgramOnX, LosingTheServerQuitsAndStoresTheSettings)
{
	fProbe->Close();
	fServer.Kill();
	RunResult result = fRunner->Finish(30);
	EXPECT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(HasSetting(fRunner->Executable(), "encoder_location"));
}
