// What a screen reader hears as the display is told: the events made of
// each command, checked without a bus.

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/accessibility/AccessibleEvents.h"

using namespace BPrivate;

namespace {

const int32 kMain = 10;
const int32 kMainTop = 11;
const int32 kButton = 12;
const int32 kOther = 13;
const int32 kControl = 14;
const int32 kInput = 15;
const int32 kLabel = 16;
const int32 kPanel = 20;
const int32 kPanelTop = 21;
const int32 kPanelButton = 22;


class Recorder : public AccessibleEventSink {
public:
	void Emit(const AccessibleEvent& event) override
	{
		std::string line = std::string(event.interface
			+ strlen("org.a11y.atspi.Event.")) + ":" + event.member;
		if (!event.detail.empty())
			line += ":" + event.detail;
		line += " " + event.source.Path().substr(
			strlen("/org/a11y/atspi/accessible/"));
		line += " " + std::to_string(event.detail1) + " "
			+ std::to_string(event.detail2);
		if (event.hasText)
			line += " '" + event.text + "'";
		lines.push_back(line);
	}

	std::vector<std::string> lines;
};


class AccessibleEventsTest : public testing::Test {
protected:
	AccessibleEventsTest()
		:
		fTree(fMirror, "Tolvex"),
		fEvents(fMirror, fTree, fRecorder)
	{
	}

	void SetUp() override
	{
		Window(kMain, kMainTop);
		View(kMain, kButton, kMainTop, B_DISPLAY_BUTTON);
		View(kMain, kOther, kMainTop, B_DISPLAY_BUTTON);
		View(kMain, kControl, kMainTop, B_DISPLAY_TEXT_CONTROL);
		View(kMain, kInput, kControl, B_DISPLAY_TEXT_VIEW);
		View(kMain, kLabel, kMainTop, B_DISPLAY_STRING_VIEW);
		Apply(B_DISPLAY_WINDOW_SHOWN, kMain);
		Window(kPanel, kPanelTop);
		View(kPanel, kPanelButton, kPanelTop, B_DISPLAY_BUTTON);
		fRecorder.lines.clear();
	}

	void Apply(uint32 code, int32 window, int32 view = -1,
		const char* text = NULL, int32 index = 0, int32 value = 0)
	{
		DisplayCommand command(code);
		command.window = window;
		command.view = view;
		if (text != NULL)
			command.text = text;
		command.index = index;
		command.value = value;
		fEvents.Apply(command);
		fEvents.Flush();
	}

	void Window(int32 id, int32 top)
	{
		DisplayCommand command(B_DISPLAY_WINDOW_CREATED);
		command.window = id;
		command.view = top;
		command.rect = BRect(100, 100, 540, 380);
		fEvents.Apply(command);
	}

	void View(int32 window, int32 id, int32 parent, int32 kind)
	{
		DisplayCommand command(B_DISPLAY_VIEW_ADDED);
		command.window = window;
		command.view = id;
		command.parent = parent;
		command.kind = kind;
		command.rect = BRect(0, 0, 50, 20);
		command.index = 1000;
		fEvents.Apply(command);
	}

	// What was heard since the last call.
	std::vector<std::string> Heard()
	{
		std::vector<std::string> lines;
		lines.swap(fRecorder.lines);
		return lines;
	}

	DisplayMirror fMirror;
	AccessibleTree fTree;
	Recorder fRecorder;
	AccessibleEvents fEvents;
};


std::string
Path(int32 window, int32 view)
{
	return "v" + std::to_string(window) + "_" + std::to_string(view);
}

} // namespace


// The focus is told where the user is: in the window in front. A window
// behind, whose focus moves (a control disabled there, say), says nothing
// until it comes to the front, and then tells its focus.
TEST_F(AccessibleEventsTest, FocusIsToldOnlyInTheWindowInFront)
{
	Apply(B_DISPLAY_WINDOW_FOCUS, kMain, kButton);
	std::vector<std::string> heard = Heard();
	ASSERT_EQ(2u, heard.size());
	EXPECT_EQ("Object:StateChanged:focused " + Path(kMain, kButton) + " 1 0",
		heard[0]);
	EXPECT_EQ("Focus:Focus " + Path(kMain, kButton) + " 0 0", heard[1]);

	Apply(B_DISPLAY_WINDOW_SHOWN, kPanel);
	Heard();
	Apply(B_DISPLAY_WINDOW_FOCUS, kMain, kOther);
	EXPECT_TRUE(Heard().empty());
	Apply(B_DISPLAY_WINDOW_FOCUS, kPanel, kPanelButton);
	EXPECT_EQ(2u, Heard().size());

	Apply(B_DISPLAY_WINDOW_HIDDEN, kPanel);
	heard = Heard();
	EXPECT_NE(heard.end(), std::find(heard.begin(), heard.end(),
		"Focus:Focus " + Path(kMain, kOther) + " 0 0"));
}


// A label's new text is its new name, and its text replaced.
TEST_F(AccessibleEventsTest, ALabelsNewTextIsToldAsItsName)
{
	Apply(B_DISPLAY_VIEW_TEXT, kMain, kLabel, "File 1 di 4");
	Apply(B_DISPLAY_VIEW_TEXT, kMain, kLabel, "File 2 di 4");
	std::vector<std::string> heard = Heard();
	ASSERT_EQ(5u, heard.size());
	EXPECT_EQ("Object:PropertyChange:accessible-name "
		+ Path(kMain, kLabel) + " 0 0", heard[2]);
	EXPECT_EQ("Object:TextChanged:delete " + Path(kMain, kLabel)
		+ " 0 11 'File 1 di 4'", heard[3]);
	EXPECT_EQ("Object:TextChanged:insert " + Path(kMain, kLabel)
		+ " 0 11 'File 2 di 4'", heard[4]);
	// The same text again says nothing.
	Apply(B_DISPLAY_VIEW_TEXT, kMain, kLabel, "File 2 di 4");
	EXPECT_TRUE(Heard().empty());
}


// Typing, deleting and pasting in a text view are told as what changed,
// where it changed, in characters; the caret as it moves, the user's own
// told back by the kit. Table: the text before, after, and what is heard.
TEST_F(AccessibleEventsTest, TextChangesAreToldWhereTheyHappen)
{
	const std::string input = Path(kMain, kInput);
	struct Case {
		const char* before;
		const char* after;
		std::vector<std::string> heard;
	} cases[] = {
		{ "", "/home", { "Object:TextChanged:insert " + input
			+ " 0 5 '/home'" } },
		// A character typed in the middle.
		{ "/hme", "/home", { "Object:TextChanged:insert " + input
			+ " 2 1 'o'" } },
		// Backspace at the end; Delete at the start.
		{ "/home/", "/home", { "Object:TextChanged:delete " + input
			+ " 5 1 '/'" } },
		{ "x/home", "/home", { "Object:TextChanged:delete " + input
			+ " 0 1 'x'" } },
		// A selection replaced by a paste: both, at the same place.
		{ "/home/tu/a.wav", "/home/io/a.wav", {
			"Object:TextChanged:delete " + input + " 6 2 'tu'",
			"Object:TextChanged:insert " + input + " 6 2 'io'" } },
		// Offsets count characters, not bytes: "è" is two bytes, and a
		// change next to it never splits it.
		{ "città.wav", "cittè.wav", {
			"Object:TextChanged:delete " + input + " 4 1 '\xc3\xa0'",
			"Object:TextChanged:insert " + input + " 4 1 '\xc3\xa8'" } },
		{ "\xc3\xa8", "a\xc3\xa8", { "Object:TextChanged:insert " + input
			+ " 0 1 'a'" } },
		// Repeated letters: the change is told once, at the first place
		// that differs.
		{ "aaa", "aaaa", { "Object:TextChanged:insert " + input
			+ " 3 1 'a'" } },
		{ "/home", "", { "Object:TextChanged:delete " + input
			+ " 0 5 '/home'" } },
	};
	for (const Case& test : cases) {
		Apply(B_DISPLAY_VIEW_TEXT, kMain, kInput, test.before);
		Heard();
		Apply(B_DISPLAY_VIEW_TEXT, kMain, kInput, test.after);
		EXPECT_EQ(test.heard, Heard()) << test.before << " -> " << test.after;
	}

	// The caret, in characters, each time it moves; a selection made or
	// given up is told as well.
	Apply(B_DISPLAY_VIEW_TEXT, kMain, kInput, "citt\xc3\xa0.wav");
	Heard();
	DisplayCommand caret(B_DISPLAY_TEXT_SELECTION);
	caret.window = kMain;
	caret.view = kInput;
	caret.flags = B_DISPLAY_SELECTION_FROM_USER;
	caret.index = caret.value = 6;		// after "città"
	fEvents.Apply(caret);
	EXPECT_EQ(std::vector<std::string>({ "Object:TextCaretMoved " + input
		+ " 5 0" }), Heard());
	fEvents.Apply(caret);
	EXPECT_TRUE(Heard().empty());
	caret.index = 0;
	fEvents.Apply(caret);
	EXPECT_EQ(std::vector<std::string>({ "Object:TextSelectionChanged "
		+ input + " 0 0" }), Heard());
	caret.index = caret.value = 10;
	fEvents.Apply(caret);
	EXPECT_EQ(std::vector<std::string>({ "Object:TextSelectionChanged "
		+ input + " 0 0", "Object:TextCaretMoved " + input + " 9 0" }),
		Heard());
}
