// Where the kits meet a real screen, each at its boundary: an alert's long
// path broken only after a '/', a file panel and an alert kept on the
// screen, a dense screen scaling everything by its dots per inch, and long
// paths drawn with their middle elided and shown whole on hover.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <FilePanel.h>
#include <ListItem.h>
#include <ListView.h>
#include <Messenger.h>
#include <StringView.h>
#include <View.h>
#include <Window.h>

#include "AppOnX.h"
#include "MainWindow.h"
#include "ProgressWindow.h"
#include "TestSupport.h"
#include "XProbe.h"
#include "display/DisplayServer.h"
#include "display/MiddleElision.h"
#include "private/interface/OutsideQuit.h"

namespace {

const char* kMainTitle = "Tolvex 1.2a";
const char* kEllipsis = "\xe2\x80\xa6";
const char* kFileName = "/03 - Terzo brano.wav";
// Wider than a list row or the progress window's line, narrower than the
// 400 pixels past which FLTK wraps a tooltip at its blanks.
const char* kLongPath = "/home/utente/Musica/Artista Molto Lungo/"
	"Album dal vivo/03 - Terzo brano.wav";


// In points, which are pixels at 96 dpi.
float
TextWidth(const std::string& text)
{
	return BPrivate::DisplayServer::Current()->StringWidth(text.c_str());
}


// What a line of text that width pixels wide must show of the text.
std::string
Elided(const std::string& text, float width)
{
	return BPrivate::ElideMiddle(text.data(), text.size(), width,
		[](const char* part, size_t length) {
			return TextWidth(std::string(part, length));
		});
}


bool
EndsWith(const std::string& text, const std::string& end)
{
	return text.size() >= end.size()
		&& text.compare(text.size() - end.size(), end.size(), end) == 0;
}


// Pixels that differ between a rectangle of one grab and one of the same
// size in another; -1 where either is not wholly in its grab.
int
Differences(const Screenshot& one, int oneX, int oneY, const Screenshot& two,
	int twoX, int twoY, int width, int height)
{
	if (oneX < 0 || oneY < 0 || twoX < 0 || twoY < 0
		|| oneX + width > one.width || oneY + height > one.height
		|| twoX + width > two.width || twoY + height > two.height)
		return -1;
	int differences = 0;
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			uint8 a[3], b[3];
			one.Pixel(oneX + x, oneY + y, &a[0], &a[1], &a[2]);
			two.Pixel(twoX + x, twoY + y, &b[0], &b[1], &b[2]);
			if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2])
				differences++;
		}
	}
	return differences;
}


BRect
ScreenFrame(BView* view, const WindowGeometry& window)
{
	BWindow* owner = view->Window();
	if (!owner->Lock())
		return BRect();
	BRect frame = FrameInWindow(view);
	owner->Unlock();
	frame.OffsetBy(window.x, window.y);
	return frame;
}


// Shows a window and waits until it is drawn: its X window, 0 when it did
// not come, and what it shows.
unsigned long
ShowDrawn(XProbe* probe, BWindow* window, Screenshot* shot)
{
	window->Show();
	unsigned long xWindow = probe->WaitForWindow(window->Title());
	if (xWindow == 0 || !WaitUntilSettled())
		return 0;
	*shot = probe->GrabSettled(xWindow);
	return shot->IsEmpty() ? 0 : xWindow;
}


// The windows mapped without a window manager's frame that are not the
// application's windows: FLTK's tooltips.
std::vector<WindowGeometry>
ShownTooltips()
{
	std::vector<WindowGeometry> tooltips;
	Display* display = XOpenDisplay(NULL);
	if (display == NULL)
		return tooltips;
	Window root, parent;
	Window* children = NULL;
	unsigned int count = 0;
	if (XQueryTree(display, DefaultRootWindow(display), &root, &parent,
			&children, &count)) {
		for (unsigned int i = 0; i < count; i++) {
			XWindowAttributes attributes;
			if (!XGetWindowAttributes(display, children[i], &attributes)
				|| !attributes.override_redirect
				|| attributes.map_state != IsViewable)
				continue;
			WindowGeometry geometry;
			geometry.x = attributes.x;
			geometry.y = attributes.y;
			geometry.width = attributes.width;
			geometry.height = attributes.height;
			geometry.mapped = true;
			tooltips.push_back(geometry);
		}
		if (children != NULL)
			XFree(children);
	}
	XCloseDisplay(display);
	return tooltips;
}


// The pointer rests on a point as a user's hand leaves it; FLTK shows a
// tooltip a second later. The tooltips shown within timeoutMs (the first
// one that came), or none.
std::vector<WindowGeometry>
TooltipsWhenHovering(int x, int y, int timeoutMs = 5000)
{
	std::string move = "xdotool mousemove " + std::to_string(x - 2) + " "
		+ std::to_string(y) + " sleep 0.1 mousemove " + std::to_string(x)
		+ " " + std::to_string(y);
	if (system(move.c_str()) != 0)
		return {};
	std::vector<WindowGeometry> tooltips;
	for (int i = 0; i < timeoutMs / 50 && tooltips.empty(); i++) {
		snooze(50000);
		tooltips = ShownTooltips();
	}
	return tooltips;
}


class BoundariesOnX : public AppOnX {
protected:
	void TearDown() override
	{
		// An alert a failed test left showing goes as it does when the
		// desktop ends the program.
		if (fAlertThread.joinable()) {
			BPrivate::QuitFromOutside();
			fAlertThread.join();
		}
		AppOnX::TearDown();
	}

	// An alert shown (Go, in a thread of its own) and its X window.
	BAlert* ShowAlert(const std::string& text, unsigned long* window)
	{
		BAlert* alert = new BAlert("EncodeErrors", text.c_str(), "OK", NULL,
			NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		fAlertThread = std::thread([alert] { alert->Go(); });
		*window = fProbe->WaitForWindow("Tolvex");
		EXPECT_TRUE(WaitUntilSettled());
		return alert;
	}

	void PressOK(BAlert* alert, unsigned long window)
	{
		WindowGeometry geometry;
		ASSERT_TRUE(fProbe->Geometry(window, &geometry));
		BRect ok = ScreenFrame(alert->ButtonAt(0), geometry);
		ASSERT_TRUE(ClickAt((int)(ok.left + ok.right) / 2,
			(int)(ok.top + ok.bottom) / 2));
		ASSERT_TRUE(fProbe->WaitUntilGone("Tolvex"));
		fAlertThread.join();
		ASSERT_TRUE(WaitUntilSettled());
	}

	std::vector<std::string> AlertLines(BAlert* alert)
	{
		if (!alert->Lock())
			return {};
		BStringView* view = dynamic_cast<BStringView*>(
			alert->FindView("_tv_"));
		std::string text = view != NULL ? view->Text() : "";
		alert->Unlock();
		return SplitLines(text);
	}

	bool MoveMain(float left, float top, WindowGeometry* geometry)
	{
		MainWindow* main = Main();
		if (main == NULL || !main->Lock())
			return false;
		main->MoveTo(left, top);
		main->Unlock();
		return WaitUntilSettled() && fProbe->Geometry(
			fProbe->WaitForWindow(kMainTitle), geometry)
			&& geometry->x == (int)left && geometry->y == (int)top;
	}

	std::thread			fAlertThread;
};

} // namespace


// A path too long for a line is broken after the last '/' that fits: no
// folder or file name is ever cut in two, and every line is as full as
// whole names let it be. A text that fits is left as it is.
TEST_F(BoundariesOnX, AnAlertBreaksALongPathOnlyAfterASlash)
{
	const float kTextWidth = 310;
	std::string path = "/home/utente/Musica/Registrazioni_dal_vivo/"
		"Concerto_per_violoncello_e_orchestra/Secondo_movimento_Adagio/"
		"03_Terzo_brano.wav";
	ASSERT_GT(TextWidth(path), 2 * kTextWidth);
	unsigned long window = 0;
	BAlert* alert = ShowAlert("1 file su 1 non codificato:\n" + path,
		&window);
	ASSERT_NE(0ul, window);
	std::vector<std::string> lines = AlertLines(alert);
	EXPECT_EQ((std::vector<std::string>{ "1 file su 1 non codificato:",
		"/home/utente/Musica/Registrazioni_dal_vivo/",
		"Concerto_per_violoncello_e_orchestra/",
		"Secondo_movimento_Adagio/03_Terzo_brano.wav" }), lines);
	std::string joined;
	for (size_t i = 1; i < lines.size(); i++) {
		joined += lines[i];
		EXPECT_LE(TextWidth(lines[i]), kTextWidth) << lines[i];
		if (i + 1 == lines.size())
			continue;
		EXPECT_TRUE(EndsWith(lines[i], "/")) << lines[i];
		// The next name, with its '/', would not have fitted.
		const std::string& next = lines[i + 1];
		size_t slash = next.find('/');
		EXPECT_GT(TextWidth(lines[i] + next.substr(0, slash + 1)),
			kTextWidth) << lines[i];
	}
	EXPECT_EQ(path, joined);
	PressOK(alert, window);

	std::string text = "Codifica terminata: 3 file codificati.";
	alert = ShowAlert(text, &window);
	ASSERT_NE(0ul, window);
	EXPECT_EQ(std::vector<std::string>{ text }, AlertLines(alert));
	PressOK(alert, window);
}


// A file panel comes up centred over the window it belongs to, but never
// above or left of the screen: over a small window in the screen's corner
// it stays whole on the screen. FLTK keeps a window on the screen when it
// first maps it; shown again, the panel has only its own placing.
TEST_F(BoundariesOnX, AFilePanelOverASmallWindowInTheCornerStaysOnScreen)
{
	BWindow* small = new BWindow(BRect(450, 340, 569, 419), "Piccola",
		B_TITLED_WINDOW, 0);
	small->Show();
	unsigned long smallWindow = fProbe->WaitForWindow("Piccola");
	ASSERT_NE(0ul, smallWindow);
	BMessenger target(small);
	BFilePanel* panel = new BFilePanel(B_OPEN_PANEL, &target);
	// The panel shown over the small window moved there: where the panel
	// placed itself, and where the screen shows it.
	BRect placed;
	auto showOver = [&](float left, float top, WindowGeometry* owner,
			WindowGeometry* shown) {
		ASSERT_TRUE(small->Lock());
		small->MoveTo(left, top);
		small->Unlock();
		ASSERT_TRUE(WaitUntilSettled());
		ASSERT_TRUE(fProbe->Geometry(smallWindow, owner));
		ASSERT_EQ((int)left, owner->x);
		ASSERT_EQ((int)top, owner->y);
		panel->Show();
		ASSERT_TRUE(panel->Window()->Lock());
		placed = panel->Window()->Frame();
		panel->Window()->Unlock();
		unsigned long window = fProbe->WaitForWindow("Apri");
		ASSERT_NE(0ul, window);
		ASSERT_TRUE(WaitUntilSettled());
		ASSERT_TRUE(fProbe->Geometry(window, shown));
		panel->Hide();
		ASSERT_TRUE(fProbe->WaitUntilUnmapped(window));
		ASSERT_TRUE(WaitUntilSettled());
	};

	// In the middle of the screen: centred over it, as far as whole
	// pixels go.
	WindowGeometry owner;
	WindowGeometry shown;
	showOver(450, 340, &owner, &shown);
	ASSERT_GT(shown.width, owner.width + 20);
	ASSERT_GT(shown.height, owner.height + 20);
	EXPECT_NEAR(owner.x + owner.width / 2.0, shown.x + shown.width / 2.0, 1);
	EXPECT_NEAR(owner.y + owner.height / 2.0, shown.y + shown.height / 2.0,
		1);
	EXPECT_EQ(shown.x, (int)placed.left);
	EXPECT_EQ(shown.y, (int)placed.top);

	// In the top left corner, and a little way out of it: the panel stops
	// at the screen's edges, every edge on the screen. (FLTK, mapping a
	// window, leaves room for a title bar above it: a pixel at the left,
	// 20 at the top.)
	struct Case {
		float left;
		float top;
	} corners[] = { { 0, 0 }, { 8, 5 } };
	for (const Case& corner : corners) {
		SCOPED_TRACE(corner.left);
		showOver(corner.left, corner.top, &owner, &shown);
		EXPECT_EQ(0, placed.left);
		EXPECT_EQ(0, placed.top);
		EXPECT_GE(shown.x, 0);
		EXPECT_LE(shown.x, 1);
		EXPECT_GE(shown.y, 0);
		EXPECT_LE(shown.y, 20);
		EXPECT_LE(shown.x + shown.width, 1024);
		EXPECT_LE(shown.y + shown.height, 768);
	}

	// Just far enough from the corner for the panel to be centred.
	float left = ceilf((shown.width - owner.width) / 2.0f) + 1;
	float top = ceilf((shown.height - owner.height) / 2.0f) + 1;
	showOver(left, top, &owner, &shown);
	EXPECT_NEAR(owner.x + owner.width / 2.0, shown.x + shown.width / 2.0, 1);
	EXPECT_GE(placed.left, 1);
	EXPECT_LE(placed.left, 2);
	EXPECT_GE(placed.top, 1);
	EXPECT_LE(placed.top, 2);

	delete panel;
	ASSERT_TRUE(small->Lock());
	small->Quit();
	ASSERT_TRUE(WaitUntilSettled());
}


// An alert comes up centred over the window the user looks at; over one
// partly beyond the screen's left edge it stops at that edge rather than
// go out of sight with it.
TEST_F(BoundariesOnX, AnAlertOverAWindowPartlyOffTheLeftEdgeStaysOnScreen)
{
	ASSERT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	struct Case {
		float left;
		bool clamped;
	} cases[] = {
		{ -300, true },		// its centre 80 pixels from the edge
		{ -20, false },		// off the edge, yet room for the alert
		{ 300, false },
	};
	for (const Case& which : cases) {
		SCOPED_TRACE(which.left);
		WindowGeometry main;
		ASSERT_TRUE(MoveMain(which.left, 200, &main));
		unsigned long window = 0;
		BAlert* alert = ShowAlert("Il codificatore non risponde.", &window);
		ASSERT_NE(0ul, window);
		WindowGeometry shown;
		ASSERT_TRUE(fProbe->Geometry(window, &shown));
		int centredLeft = main.x + main.width / 2 - shown.width / 2;
		if (which.clamped) {
			// At the edge; FLTK leaves a pixel for a border there.
			ASSERT_LT(centredLeft, 0);
			EXPECT_GE(shown.x, 0);
			EXPECT_LE(shown.x, 1);
		} else
			EXPECT_EQ(centredLeft, shown.x);
		EXPECT_EQ(main.y + main.height / 2 - shown.height / 2, shown.y);
		PressOK(alert, window);
	}
}


// A desktop with a dock along the screen's left edge leaves windows the
// rest (_NET_WORKAREA): an alert over a window partly off that edge stops
// at the dock, not beneath it.
class BoundariesBesideADock : public BoundariesOnX {
protected:
	void SetUp() override
	{
		Display* display = XOpenDisplay(NULL);
		ASSERT_NE(nullptr, display);
		long area[4] = { 40, 0, 1024 - 40, 768 };
		XChangeProperty(display, DefaultRootWindow(display),
			XInternAtom(display, "_NET_WORKAREA", False), XA_CARDINAL, 32,
			PropModeReplace, (unsigned char*)area, 4);
		XCloseDisplay(display);
		BoundariesOnX::SetUp();
	}
};


TEST_F(BoundariesBesideADock, AnAlertStopsAtTheDock)
{
	ASSERT_NE(0ul, fProbe->WaitForWindow(kMainTitle));
	WindowGeometry main;
	ASSERT_TRUE(MoveMain(-300, 200, &main));
	unsigned long window = 0;
	BAlert* alert = ShowAlert("Il codificatore non risponde.", &window);
	ASSERT_NE(0ul, window);
	WindowGeometry shown;
	ASSERT_TRUE(fProbe->Geometry(window, &shown));
	EXPECT_EQ(40, shown.x);
	EXPECT_EQ(main.y + main.height / 2 - shown.height / 2, shown.y);
	PressOK(alert, window);

	// Far enough from it, centred.
	ASSERT_TRUE(MoveMain(300, 200, &main));
	alert = ShowAlert("Il codificatore non risponde.", &window);
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(fProbe->Geometry(window, &shown));
	EXPECT_EQ(main.x + main.width / 2 - shown.width / 2, shown.x);
	PressOK(alert, window);
}


// On a screen of 144 dpi a point takes one and a half pixels: windows and
// the views in them are that much larger, and where they stand too; at
// 96 dpi a point is a pixel.
class BoundariesAtDpi : public AppOnX,
	public ::testing::WithParamInterface<int> {
protected:
	void SetUp() override
	{
		unsetenv("BE_SCALE");
		XProbe probe;
		probe.SetResources("Xft.dpi:\t" + std::to_string(GetParam()) + "\n");
		AppOnX::SetUp();
	}
};


TEST_P(BoundariesAtDpi, WindowsAndViewsScaleByTheDpi)
{
	float scale = GetParam() / 96.0f;
	// A window of 100 x 80 points at (200, 150), white, and in it a red
	// view of 40 x 20 points 10 points in from its corner.
	BWindow* window = new BWindow(BRect(200, 150, 299, 229), "Rosso",
		B_TITLED_WINDOW, 0);
	BView* back = new BView(window->Bounds(), "back", B_FOLLOW_ALL_SIDES, 0);
	back->SetViewColor(255, 255, 255);
	window->AddChild(back);
	BView* red = new BView(BRect(10, 10, 49, 29), "red", B_FOLLOW_NONE, 0);
	red->SetViewColor(255, 0, 0);
	back->AddChild(red);
	Screenshot shot;
	unsigned long redWindow = ShowDrawn(fProbe, window, &shot);
	ASSERT_NE(0ul, redWindow);
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(redWindow, &geometry));
	EXPECT_NEAR(200 * scale, geometry.x, 1);
	EXPECT_NEAR(150 * scale, geometry.y, 1);
	EXPECT_NEAR(100 * scale, geometry.width, 1);
	EXPECT_NEAR(80 * scale, geometry.height, 1);
	int left = shot.width, top = shot.height, right = -1, bottom = -1;
	for (int y = 0; y < shot.height; y++) {
		for (int x = 0; x < shot.width; x++) {
			uint8 r, g, b;
			if (shot.Pixel(x, y, &r, &g, &b) && r == 255 && g == 0
				&& b == 0) {
				left = std::min(left, x);
				top = std::min(top, y);
				right = std::max(right, x);
				bottom = std::max(bottom, y);
			}
		}
	}
	EXPECT_NEAR(10 * scale, left, 1);
	EXPECT_NEAR(10 * scale, top, 1);
	EXPECT_NEAR(40 * scale, right - left + 1, 1);
	EXPECT_NEAR(20 * scale, bottom - top + 1, 1);
	ASSERT_TRUE(window->Lock());
	window->Quit();
}


INSTANTIATE_TEST_SUITE_P(Screens, BoundariesAtDpi, ::testing::Values(96, 144));


// A list row too narrow for its path shows the path's start and its file
// name with "…" between, drawn exactly as that shorter text; hovering it
// shows the whole path, hovering a row that fits shows nothing; the
// entry itself keeps the whole path.
TEST_F(BoundariesOnX, ALongPathInAListShowsItsFileName)
{
	const int kListWidth = 300;
	std::string path = kLongPath;
	std::string shortPath = "/home/utente/Musica/01 - Primo.wav";
	// One line in a tooltip: FLTK wraps a tooltip at blanks past 400
	// pixels.
	ASSERT_GT(TextWidth(path), kListWidth);
	ASSERT_LT(TextWidth(path), 390);
	std::string shown = Elided(path, kListWidth - 8);
	EXPECT_TRUE(EndsWith(shown, std::string(kEllipsis) + kFileName)) << shown;
	EXPECT_EQ(0u, shown.find("/home/utente/Musica/")) << shown;

	BWindow* window = new BWindow(BRect(100, 400, 100 + kListWidth + 19, 479),
		"Elenco", B_TITLED_WINDOW, 0);
	BListView* list = new BListView(BRect(10, 10, 10 + kListWidth - 1, 69),
		"lista");
	list->AddItem(new BStringItem(path.c_str()));
	list->AddItem(new BStringItem(shown.c_str()));
	list->AddItem(new BStringItem(shortPath.c_str()));
	window->AddChild(list);
	Screenshot shot;
	unsigned long xWindow = ShowDrawn(fProbe, window, &shot);
	ASSERT_NE(0ul, xWindow);
	// Rows of 16 pixels from the list's top; the first two alike.
	EXPECT_EQ(0, Differences(shot, 10, 10, shot, 10, 26, kListWidth, 16));
	EXPECT_GT(shot.CountOther(10, 10, 10 + kListWidth - 1, 25, 255, 255,
		255), 0);
	EXPECT_NE(0, Differences(shot, 10, 26, shot, 10, 42, kListWidth, 16));

	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(xWindow, &geometry));
	int x = geometry.x + 10 + kListWidth / 2;
	EXPECT_TRUE(TooltipsWhenHovering(x, geometry.y + 10 + 40, 2500).empty());
	std::vector<WindowGeometry> tooltips
		= TooltipsWhenHovering(x, geometry.y + 10 + 8);
	ASSERT_EQ(1u, tooltips.size());
	// The whole path on one line, between FLTK's margins of 3 pixels.
	EXPECT_NEAR(TextWidth(path) + 6, tooltips[0].width, 2);
	EXPECT_LT(tooltips[0].height, 2 * 16);
	// Away from the list, it goes.
	ASSERT_EQ(0, system(("xdotool mousemove " + std::to_string(geometry.x
		+ 5) + " " + std::to_string(geometry.y + 75)).c_str()));
	for (int i = 0; i < 100 && !ShownTooltips().empty(); i++)
		snooze(50000);
	EXPECT_TRUE(ShownTooltips().empty());

	ASSERT_TRUE(window->Lock());
	EXPECT_STREQ(path.c_str(),
		static_cast<BStringItem*>(list->ItemAt(0))->Text());
	// A list does not own its items, as on BeOS.
	std::vector<BListItem*> items;
	for (int32 i = 0; i < list->CountItems(); i++)
		items.push_back(list->ItemAt(i));
	list->MakeEmpty();
	for (BListItem* item : items)
		delete item;
	window->Quit();
}


// The progress window's file name, one line, is drawn elided in the middle
// and shows the whole path on hover; a text of several lines is drawn as
// it is, line by line, cut at the view's edge; a text that fits has no
// tooltip.
TEST_F(BoundariesOnX, AStringViewElidesOneLineAndNoMore)
{
	std::string path = kLongPath;
	ProgressWindow* progress = new ProgressWindow(Main());
	ASSERT_TRUE(progress->Lock());
	progress->fFileName->SetText(path.c_str());
	BRect nameFrame = FrameInWindow(progress->fFileName);
	rgb_color color = progress->fFileName->ViewColor();
	progress->Unlock();
	int width = nameFrame.IntegerWidth() + 1;
	int height = nameFrame.IntegerHeight() + 1;
	ASSERT_GT(TextWidth(path), width);
	ASSERT_LT(TextWidth(path), 390);
	std::string shown = Elided(path, width);
	EXPECT_TRUE(EndsWith(shown, std::string(kEllipsis) + kFileName)) << shown;

	// Beside it, views as wide: the elided text itself, two texts of two
	// lines whose second lines differ only past the edge, and a short line
	// in a view three lines high.
	BWindow* window = new BWindow(BRect(100, 400, 100 + width + 19,
		400 + 9 * height), "Riferimenti", B_TITLED_WINDOW, 0);
	BView* back = new BView(window->Bounds(), "back", B_FOLLOW_ALL_SIDES, 0);
	back->SetViewColor(color);
	window->AddChild(back);
	auto add = [&](float top, int lines, const std::string& text) {
		BStringView* view = new BStringView(BRect(10, top, 10 + width - 1,
			top + lines * height - 1), "testo", text.c_str());
		view->SetViewColor(color);
		back->AddChild(view);
		return view;
	};
	add(10, 1, shown);
	add(10 + height, 2, "Cartella:\n" + path);
	add(10 + 3 * height, 2, "Cartella:\n" + path + "/altro.wav");
	BStringView* fits = add(10 + 5 * height, 3, "03 - Terzo brano.wav");
	Screenshot references;
	unsigned long reference = ShowDrawn(fProbe, window, &references);
	ASSERT_NE(0ul, reference);
	EXPECT_EQ(0, Differences(references, 10, 10 + height, references, 10,
		10 + 3 * height, width, 2 * height));
	EXPECT_GT(references.CountOther(10, 10 + 2 * height, 10 + width - 1,
		10 + 3 * height - 1, color.red, color.green, color.blue), 0);
	// The second line reaches the edge: cut there, not elided.
	EXPECT_GT(references.CountOther(10 + width - 4, 10 + 2 * height,
		10 + width - 1, 10 + 3 * height - 1, color.red, color.green,
		color.blue), 0);
	// Several lines start at the top, as an alert's do; one line stands in
	// the middle of its view's height, as BeOS places it.
	auto inkRows = [&](int top, int bottom, int* first, int* last) {
		*first = -1;
		for (int y = top; y <= bottom; y++) {
			if (references.CountOther(10, y, 10 + width - 1, y, color.red,
					color.green, color.blue) == 0)
				continue;
			if (*first < 0)
				*first = y;
			*last = y;
		}
	};
	int first = -1, last = -1;
	inkRows(10 + height, 10 + 3 * height - 1, &first, &last);
	EXPECT_GE(first, 10 + height);
	EXPECT_LE(first, 10 + height + 4);
	inkRows(10 + 5 * height, 10 + 8 * height - 1, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_NEAR(10 + 5 * height + 1.5 * height, (first + last) / 2.0, 4);

	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(reference, &geometry));
	BRect fitsFrame = ScreenFrame(fits, geometry);
	EXPECT_TRUE(TooltipsWhenHovering((int)fitsFrame.left + 20,
		(int)(fitsFrame.top + fitsFrame.bottom) / 2, 2500).empty());
	BRect twoLines = ScreenFrame(back->ChildAt(1), geometry);
	EXPECT_TRUE(TooltipsWhenHovering((int)twoLines.left + 20,
		(int)(twoLines.top + twoLines.bottom) / 2, 2500).empty());

	Screenshot shot;
	unsigned long progressWindow = ShowDrawn(fProbe, progress, &shot);
	ASSERT_NE(0ul, progressWindow);
	EXPECT_EQ(0, Differences(shot, (int)nameFrame.left, (int)nameFrame.top,
		references, 10, 10, width, height));
	EXPECT_GT(shot.CountOther((int)nameFrame.left, (int)nameFrame.top,
		(int)nameFrame.right, (int)nameFrame.bottom, color.red, color.green,
		color.blue), 0);
	ASSERT_TRUE(fProbe->Geometry(progressWindow, &geometry));
	std::vector<WindowGeometry> tooltips = TooltipsWhenHovering(
		geometry.x + (int)nameFrame.left + 20,
		geometry.y + (int)(nameFrame.top + nameFrame.bottom) / 2);
	ASSERT_EQ(1u, tooltips.size());
	EXPECT_NEAR(TextWidth(path) + 6, tooltips[0].width, 2);

	ASSERT_TRUE(progress->Lock());
	EXPECT_STREQ(path.c_str(), progress->fFileName->Text());
	progress->Quit();
	ASSERT_TRUE(fProbe->WaitUntilGone("Stato della codifica"));
	ASSERT_TRUE(window->Lock());
	window->Quit();
}
