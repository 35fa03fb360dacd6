// The real-window display driven by command streams, as the kits send
// them, and looked at from outside: through the X server, with real input.

#include <algorithm>

#include <InterfaceDefs.h>
#include <Window.h>

#include "DisplayFixture.h"

using namespace BPrivate;
using namespace Commands;

namespace {

const rgb_color kRed = { 255, 0, 0, 255 };

const long kMotifResize = 1 << 1;
const long kMotifMove = 1 << 2;
const long kMotifMinimize = 1 << 3;
const long kMotifMaximize = 1 << 4;
const long kMotifClose = 1 << 5;
const long kMotifTitle = 1 << 3;


bool
Contains(const std::vector<std::string>& names, const std::string& name)
{
	return std::find(names.begin(), names.end(), name) != names.end();
}


long
MotifFunctions(XProbe* probe, unsigned long window)
{
	std::vector<long> hints = probe->Property(window, "_MOTIF_WM_HINTS");
	if (hints.size() != 5 || (hints[0] & 1) == 0)
		return -1;
	return hints[1];
}

} // namespace


TEST_F(DisplayTest, WindowFollowsItsCommands)
{
	InputRecorder* recorder = new InputRecorder;
	recorder->Run();
	int32 id = recorder->Id();

	Send(WindowCreated(id, 1, "Finestra", BRect(100, 100, 540, 380),
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
	Send(ViewAdded(id, 10, 1, B_DISPLAY_PLAIN_VIEW, "BackView",
		BRect(0, 0, 440, 280), kPanelGrey));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, id));

	unsigned long window = fProbe->WaitForWindow("Finestra");
	ASSERT_NE(0ul, window);
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	// The frame is inclusive: 441 by 281 pixels at (100, 100).
	EXPECT_EQ(100, geometry.x);
	EXPECT_EQ(100, geometry.y);
	EXPECT_EQ(441, geometry.width);
	EXPECT_EQ(281, geometry.height);

	int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
	ASSERT_TRUE(fProbe->MinSize(window, &minWidth, &minHeight));
	ASSERT_TRUE(fProbe->MaxSize(window, &maxWidth, &maxHeight));
	EXPECT_EQ(441, minWidth);
	EXPECT_EQ(441, maxWidth);
	EXPECT_EQ(281, minHeight);
	EXPECT_EQ(281, maxHeight);

	long functions = MotifFunctions(fProbe, window);
	ASSERT_GE(functions, 0);
	EXPECT_EQ(0, functions & (kMotifResize | kMotifMaximize));
	EXPECT_EQ(kMotifMove | kMotifMinimize | kMotifClose,
		functions & (kMotifMove | kMotifMinimize | kMotifClose));
	EXPECT_TRUE(Contains(fProbe->AtomNames(window, "_NET_WM_WINDOW_TYPE"),
		"_NET_WM_WINDOW_TYPE_NORMAL"));
	EXPECT_FALSE(Contains(fProbe->AtomNames(window, "_NET_WM_STATE"),
		"_NET_WM_STATE_MODAL"));

	Send(WindowTitle(id, "Altro @titolo & più"));
	EXPECT_NE(0ul, fProbe->WaitForWindow("Altro @titolo & più"));

	// Moved and resized; still of fixed size.
	Send(WindowFrame(id, BRect(200, 150, 399, 249)));
	ASSERT_TRUE(WaitUntilIdle());
	window = fProbe->FindWindow("Altro @titolo & più");
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	EXPECT_EQ(200, geometry.x);
	EXPECT_EQ(150, geometry.y);
	EXPECT_EQ(200, geometry.width);
	EXPECT_EQ(100, geometry.height);
	ASSERT_TRUE(fProbe->MaxSize(window, &maxWidth, &maxHeight));
	EXPECT_EQ(200, maxWidth);
	EXPECT_EQ(100, maxHeight);

	// Hidden and shown again: a new X window, with the same hints.
	Send(Window(B_DISPLAY_WINDOW_HIDDEN, id));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(window));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, id));
	window = fProbe->WaitForWindow("Altro @titolo & più");
	ASSERT_NE(0ul, window);
	EXPECT_EQ(functions, MotifFunctions(fProbe, window));

	Send(Window(B_DISPLAY_WINDOW_GONE, id));
	EXPECT_TRUE(fProbe->WaitUntilGone("Altro @titolo & più"));
	recorder->End();
}


// A floating, modal window of fixed size without close, zoom or minimise,
// as the progress window is: while it shows, the others take no input.
TEST_F(DisplayTest, ModalFloatingWindowTakesAllInput)
{
	InputRecorder* mainRecorder = new InputRecorder;
	mainRecorder->Run();
	InputRecorder* modalRecorder = new InputRecorder;
	modalRecorder->Run();
	int32 main = mainRecorder->Id();
	int32 modal = modalRecorder->Id();
	BRect buttonFrame(10, 10, 89, 33);

	Send(WindowCreated(main, 1, "Principale", BRect(100, 100, 540, 380),
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE));
	Send(ViewAdded(main, 10, 1, B_DISPLAY_BUTTON, "Button", buttonFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, main, 10, "Premi"));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, main));
	unsigned long mainWindow = fProbe->WaitForWindow("Principale");
	ASSERT_NE(0ul, mainWindow);

	Send(WindowCreated(modal, 1, "Stato", BRect(0, 0, 1, 1),
		B_FLOATING_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE
			| B_ASYNCHRONOUS_CONTROLS));
	Send(ViewAdded(modal, 10, 1, B_DISPLAY_BUTTON, "Skip", buttonFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, modal, 10, "Salta"));
	Send(WindowFrame(modal, BRect(600, 300, 939, 399)));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, modal));
	unsigned long modalWindow = fProbe->WaitForWindow("Stato");
	ASSERT_NE(0ul, modalWindow);

	EXPECT_TRUE(Contains(fProbe->AtomNames(modalWindow, "_NET_WM_STATE"),
		"_NET_WM_STATE_MODAL"));
	EXPECT_EQ(mainWindow, fProbe->TransientFor(modalWindow));
	EXPECT_TRUE(Contains(fProbe->AtomNames(modalWindow,
		"_NET_WM_WINDOW_TYPE"), "_NET_WM_WINDOW_TYPE_UTILITY"));
	long functions = MotifFunctions(fProbe, modalWindow);
	ASSERT_GE(functions, 0);
	EXPECT_EQ(0, functions & (kMotifClose | kMotifMaximize | kMotifMinimize
		| kMotifResize));
	EXPECT_NE(0, fProbe->Property(modalWindow, "_MOTIF_WM_HINTS")[2]
		& kMotifTitle);
	int width = 0, height = 0;
	ASSERT_TRUE(fProbe->MaxSize(modalWindow, &width, &height));
	EXPECT_EQ(340, width);
	EXPECT_EQ(100, height);
	ASSERT_TRUE(fProbe->MinSize(modalWindow, &width, &height));
	EXPECT_EQ(340, width);
	EXPECT_EQ(100, height);

	// The click on the main window's button goes nowhere; the one on the
	// modal window's arrives, after it.
	int x, y;
	Centre(buttonFrame, 100, 100, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	Centre(buttonFrame, 600, 300, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	BMessage event;
	ASSERT_TRUE(modalRecorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_CLICK, event.what);
	EXPECT_EQ(10, Int32Of(event, "view"));
	ASSERT_TRUE(WaitUntilIdle());
	EXPECT_EQ(0, mainRecorder->CountWaiting());

	Send(Window(B_DISPLAY_WINDOW_HIDDEN, modal));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(modalWindow));
	ASSERT_TRUE(WaitUntilIdle());
	Centre(buttonFrame, 100, 100, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	ASSERT_TRUE(mainRecorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_CLICK, event.what);

	mainRecorder->End();
	modalRecorder->End();
}


// Clicks, tabs, menu items, the close box and Enter arrive as input
// events with ids; what a user cannot reach sends nothing.
TEST_F(DisplayTest, InputArrivesAsEvents)
{
	InputRecorder* recorder = new InputRecorder;
	recorder->Run();
	int32 id = recorder->Id();
	const int left = 100, top = 100;
	BRect menuFrame(0, 0, 440, 19);
	BRect backFrame(0, 20, 440, 280);
	// In the back view.
	BRect enabledFrame(10, 220, 89, 243);
	BRect disabledFrame(100, 220, 179, 243);
	BRect hiddenFrame(190, 220, 269, 243);
	BRect tabFrame(5, 5, 430, 200);

	Send(WindowCreated(id, 1, "Ingresso", BRect(left, top, left + 440,
		top + 280), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_NOT_RESIZABLE));
	Send(ViewAdded(id, 2, 1, B_DISPLAY_MENU_BAR, "MenuBar", menuFrame,
		kPanelGrey));
	Send(MenuItemAdded(id, 2, 100, 0, "Lista", true,
		B_DISPLAY_ITEM_SUBMENU));
	Send(MenuItemAdded(id, 2, 101, 100, "Nuova", true));
	Send(MenuItemAdded(id, 2, 102, 100, "", true, B_DISPLAY_ITEM_SEPARATOR));
	Send(MenuItemAdded(id, 2, 103, 100, "Salva...", false));
	Send(MenuItemAdded(id, 2, 104, 100, "Apri...", true));
	Send(ViewAdded(id, 3, 1, B_DISPLAY_PLAIN_VIEW, "BackView", backFrame,
		kPanelGrey));
	Send(ViewAdded(id, 4, 3, B_DISPLAY_BUTTON, "Enabled", enabledFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, id, 4, "Sì"));
	Send(ViewAdded(id, 5, 3, B_DISPLAY_BUTTON, "Disabled", disabledFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, id, 5, "No"));
	Send(ViewValue(B_DISPLAY_VIEW_ENABLED, id, 5, 0));
	// A button inside a hidden view, over nothing that takes clicks.
	Send(ViewAdded(id, 6, 3, B_DISPLAY_PLAIN_VIEW, "Hidden", hiddenFrame,
		kPanelGrey, true));
	Send(ViewAdded(id, 7, 6, B_DISPLAY_BUTTON, "Inside",
		hiddenFrame.OffsetToCopy(0, 0), kPanelGrey));
	Send(ViewAdded(id, 8, 3, B_DISPLAY_TAB_VIEW, "TabView", tabFrame,
		kPanelGrey));
	Send(TabAdded(id, 8, 0, "File"));
	Send(TabAdded(id, 8, 1, "Opzioni"));
	Send(TabAdded(id, 8, 2, "Spento", false));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, id));
	unsigned long window = fProbe->WaitForWindow("Ingresso");
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(WaitUntilIdle());

	auto inBack = [&](BRect frame, int* x, int* y) {
		Centre(frame.OffsetByCopy(backFrame.left, backFrame.top), left, top,
			x, y);
	};
	BMessage event;
	int x, y;

	// A disabled button and a hidden one take nothing: the first event is
	// the enabled button's click.
	inBack(disabledFrame, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	inBack(hiddenFrame, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	inBack(enabledFrame, &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	ASSERT_TRUE(recorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_CLICK, event.what);
	EXPECT_EQ(4, Int32Of(event, "view"));
	ASSERT_TRUE(WaitUntilIdle());
	EXPECT_EQ(0, recorder->CountWaiting());

	// Tabs: every tab as wide as the widest; the second is chosen, the
	// disabled third is not.
	int tabHeight = 0;
	{
		font_height height;
		fDisplay->GetFontHeight(&height);
		tabHeight = (int)(height.ascent + height.descent) + 6;
	}
	int tabWidth = (int)fDisplay->StringWidth("Opzioni") + 20;
	int tabTop = top + (int)backFrame.top + (int)tabFrame.top;
	int tabLeft = left + (int)tabFrame.left + 2;
	ASSERT_TRUE(ClickAt(tabLeft + tabWidth * 2 + tabWidth / 2,
		tabTop + tabHeight / 2));
	ASSERT_TRUE(ClickAt(tabLeft + tabWidth + tabWidth / 2,
		tabTop + tabHeight / 2));
	ASSERT_TRUE(recorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_TAB, event.what);
	EXPECT_EQ(8, Int32Of(event, "view"));
	EXPECT_EQ(1, Int32Of(event, "index"));

	// The menu, by keyboard once it is open: the disabled item is passed
	// over.
	ASSERT_TRUE(ClickAt(left + 20, top + 10));
	ASSERT_TRUE(WaitUntilIdle());
	ASSERT_TRUE(PressKey("Down Down Return"));
	ASSERT_TRUE(recorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_MENU_ITEM, event.what);
	EXPECT_EQ(2, Int32Of(event, "view"));
	EXPECT_EQ(104, Int32Of(event, "item"));

	// Keys, with the pointer in the window, go to the kit as BeOS names
	// them, for no view: the kit knows its focus. Escape is no close box,
	// Tab no FLTK navigation.
	inBack(BRect(300, 240, 300, 240), &x, &y);
	ASSERT_TRUE(ClickAt(x, y));
	ASSERT_TRUE(PressKey("Escape shift+Tab F10 alt+Up Return"));
	const struct {
		const char*	bytes;
		int32		key;
		int32		modifiers;
	} kKeys[] = {
		{ "\x1b", -1, -1 },
		{ "\t", -1, B_SHIFT_KEY },
		{ "\x10", B_F10_KEY, -1 },
		{ "\x1e", -1, B_COMMAND_KEY },
		{ "\n", -1, -1 }
	};
	for (const auto& key : kKeys) {
		ASSERT_TRUE(recorder->Next(&event));
		EXPECT_EQ((uint32)B_INPUT_KEY, event.what);
		EXPECT_EQ(key.bytes, StringOf(event, "bytes"));
		EXPECT_EQ(key.key, Int32Of(event, "key"));
		EXPECT_EQ(key.modifiers, Int32Of(event, "modifiers"));
		EXPECT_EQ(-1, Int32Of(event, "view"));
	}

	// The close box, as a window manager reports it; the window stays
	// until the kit says otherwise.
	fProbe->SendDeleteWindow(window);
	ASSERT_TRUE(recorder->Next(&event));
	EXPECT_EQ((uint32)B_INPUT_CLOSE, event.what);
	WindowGeometry geometry;
	ASSERT_TRUE(WaitUntilIdle());
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));
	EXPECT_TRUE(geometry.mapped);
	EXPECT_EQ(0, recorder->CountWaiting());

	recorder->End();
}
