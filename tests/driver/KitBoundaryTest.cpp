// Keyboard, alert and panel behaviour the accessibility bridge exposes,
// each at its boundary, as a user meets it on the headless display.

#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

std::string
WindowDump(const std::string& output, const std::string& title)
{
	size_t start = output.find("window \"" + title + "\" hidden=0");
	if (start == std::string::npos)
		return "";
	size_t end = output.find("\nwindow ", start + 1);
	return output.substr(start, end == std::string::npos ? std::string::npos
		: end - start);
}


// The program run with another folder as its home: file panels open
// there.
std::string
RunIn(const TemporaryHome& home, const std::string& folder,
	const std::string& script)
{
	std::string path = home.WriteFile("boundary-script", script);
	std::string command = "HOME=" + Quoted(folder) + " BE_DISPLAY=headless "
		"BE_SCRIPT=" + Quoted(path) + " "
		+ Quoted(TolvexRunner(home).Executable()) + " >"
		+ Quoted(home.File("boundary-out")) + " 2>&1";
	EXPECT_EQ(0, system(command.c_str())) << ReadFile(home.File(
		"boundary-out"));
	return ReadFile(home.File("boundary-out"));
}

} // namespace


// Shift+Tab as the first key of a window goes to its last navigable view;
// Tab to its first.
TEST(KitBoundaryTest, ShiftTabFirstFocusesTheLastButton)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run("menu ? \"Informazioni su...\"\n"
		"key Shift+Tab\ndump\nalert 1\n");
	std::string about = WindowDump(result.output, "AboutDialog");
	EXPECT_TRUE(Contains(DumpLine(about, "BButton \"_b1_\""), "focus=1"))
		<< about;
	EXPECT_FALSE(Contains(DumpLine(about, "BButton \"_b0_\""), "focus=1"));

	result = runner.Run("menu ? \"Informazioni su...\"\nkey Tab\ndump\n"
		"alert 1\n");
	about = WindowDump(result.output, "AboutDialog");
	EXPECT_TRUE(Contains(DumpLine(about, "BButton \"_b0_\""), "focus=1"))
		<< about;
}


// Escape in the About box is its "Chiudi": the box goes, and the web page
// of its other button is not opened.
TEST(KitBoundaryTest, EscapeInTheAboutBoxLaunchesNothing)
{
	TemporaryHome home;
	std::string record = home.File("browser-record");
	ASSERT_TRUE(InstallFakeBrowser(home, record));
	TolvexRunner runner(home);
	RunResult result = runner.Run("menu ? \"Informazioni su...\"\n"
		"key Escape\ndump\n");
	EXPECT_EQ(0, result.status) << result.output;
	EXPECT_TRUE(Contains(result.output, "window \"Tolvex 1.2a\" hidden=0"));
	EXPECT_EQ("", WindowDump(result.output, "AboutDialog"));
	EXPECT_EQ("", WaitForFile(record, 2));
}


// Down moves on from the last selected entry, selecting it alone.
TEST(KitBoundaryTest, DownAfterTwoSelectedEntriesSelectsTheNextOfTheLast)
{
	TemporaryHome home;
	std::string files;
	for (const char* name : { "a", "b", "c", "d" })
		files += " " + home.WriteFile(std::string("m/") + name + ".wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList" + files + "\n"
		"select FilesList 0 2\nkey Down\ndump\n");
	EXPECT_TRUE(Contains(DumpLine(result.output, "item 0 "), "selected=0"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "item 2 "), "selected=0"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "item 3 "), "selected=1"))
		<< result.output;
}


// A path longer than the list is wide is drawn elided on real windows;
// the entry, as dump and a screen reader get it, stays whole.
TEST(KitBoundaryTest, ALongPathIsDumpedWhole)
{
	TemporaryHome home;
	std::string path = home.WriteFile("Musica/Orchestra da camera di Santa "
		"Cecilia/Le quattro stagioni (registrazione dal vivo, 1987)/"
		"02 - La primavera, Largo e pianissimo sempre.wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList \"" + path
		+ "\"\ndump\n");
	EXPECT_EQ("item 0 selected=0 \"" + path + "\"",
		DumpLine(result.output, "item 0 ")) << result.output;
}


// Folders sort before those their name starts, and the letters typed
// together find an entry by all of them: "tr" is "traccia", not "rosso".
TEST(KitBoundaryTest, PanelSortingAndTypeAhead)
{
	TemporaryHome home;
	for (const char* folder : { "traccia", "rosso", "disco 1", "disco" })
		home.WriteFile(std::string("p/") + folder + "/x", "");
	std::string output = RunIn(home, home.File("p"), "menu Lista \"Apri...\"\n"
		"key Tab\nkey t\nkey r\ndump\ncancel\n");
	std::string panel = WindowDump(output, "Apri lista");
	ASSERT_NE("", panel) << output;
	EXPECT_EQ("item 0 selected=0 \"disco/\"", DumpLine(panel, "item 0 "));
	EXPECT_EQ("item 1 selected=0 \"disco 1/\"", DumpLine(panel, "item 1 "));
	EXPECT_EQ("item 2 selected=0 \"rosso/\"", DumpLine(panel, "item 2 "));
	EXPECT_EQ("item 3 selected=1 \"traccia/\"", DumpLine(panel, "item 3 "))
		<< panel;
}


// Backspace with a modifier in the save panel's name field leaves the
// folder alone; Backspace on the entries goes up to the parent.
TEST(KitBoundaryTest, ModifiedBackspaceInTheNameFieldKeepsTheFolder)
{
	TemporaryHome home;
	home.WriteFile("a/b/x", "");
	std::string folder = home.File("a/b");
	std::string output = RunIn(home, folder, "menu Lista \"Salva...\"\n"
		"key Ctrl+Backspace\nkey Alt+Backspace\ndump\ncancel\n");
	std::string panel = WindowDump(output, "Salva lista");
	ASSERT_NE("", panel) << output;
	EXPECT_TRUE(Contains(DumpLine(panel, "BTextView \"_input_\"", 1),
		"text=\"" + folder + "\"")) << panel;

	output = RunIn(home, folder, "menu Lista \"Apri...\"\nkey Tab\n"
		"key Backspace\ndump\ncancel\n");
	panel = WindowDump(output, "Apri lista");
	EXPECT_TRUE(Contains(DumpLine(panel, "BTextView \"_input_\""),
		"text=\"" + home.File("a") + "\"")) << panel;
}
