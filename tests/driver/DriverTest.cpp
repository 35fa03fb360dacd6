#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include <Entry.h>
#include <MimeType.h>

#include "TestSupport.h"

TEST(DriverTest, DumpAndAboutBox)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run(
		"dump\nmenu ? \"Informazioni su...\"\nalert 1\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> lines = SplitLines(result.output);
	ASSERT_FALSE(lines.empty());
	EXPECT_EQ("window \"Tolvex 1.2a\" hidden=0 frame=(100,100,540,380)",
		lines[0]);
	EXPECT_TRUE(Contains(result.output, "  BView \"BackView\" hidden=0"));
	EXPECT_TRUE(Contains(result.output,
		"BButton \"EncodeButton\" label=\"Codifica!\" enabled=0 hidden=0"));
	EXPECT_TRUE(Contains(result.output,
		"BButton \"CloseButton\" label=\"Esci\" enabled=1 hidden=0"));
	EXPECT_TRUE(Contains(result.output, "TabView \"TabView\" hidden=0"));
	EXPECT_TRUE(Contains(result.output, "FilesView \"File\" hidden=0"));
	EXPECT_TRUE(Contains(result.output,
		"EncoderView \"Opzioni di Gogo\" hidden=1"));
	EXPECT_TRUE(Contains(result.output,
		"OptionsView \"Opzioni del programma\" hidden=1"));
	EXPECT_TRUE(Contains(result.output,
		"window \"Stato della codifica\" hidden=1"));
	EXPECT_TRUE(Contains(result.output, "alert AboutDialog: Tolvex 1.2a "
		"(Italiano)\\n")) << result.output;
	EXPECT_TRUE(Contains(result.output,
		"\\nPer le istruzioni e la licenza vedi il file leggimi.\\n\\n"));
}


TEST(DriverTest, TabsShowOnePanelAtATime)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run("tab \"Opzioni del programma\"\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "FilesView \"File\" hidden=1"));
	EXPECT_TRUE(Contains(result.output,
		"OptionsView \"Opzioni del programma\" hidden=0"));
	EXPECT_TRUE(Contains(result.output, "BTab \"Opzioni del programma\" "
		"enabled=1 selected=1"));
}


// A line that a user could not perform stops the script with its line
// number and status 3.
TEST(DriverTest, LinesAUserCannotPerformAreErrors)
{
	struct Case {
		const char* script;
		const char* error;
	} cases[] = {
		{ "click EncodeButton\n", "script error 1: \"EncodeButton\" is disabled" },
		{ "# comment\n\nclick Nowhere\n", "script error 3: no view \"Nowhere\"" },
		{ "click SkipFile\n", "script error 1: \"SkipFile\" is in the hidden "
			"window \"Stato della codifica\"" },
		{ "menu ? \"Informazioni su...\"\nclick CloseButton\n",
			"script error 2: an alert is showing (AboutDialog)" },
		{ "alert 0\n", "script error 1: no alert is showing" },
		{ "menu Lista Nulla\n", "script error 1: no item \"Nulla\" in menu "
			"\"Lista\"" },
		{ "tab Altro\n", "script error 1: no tab \"Altro\"" },
		{ "close \"Stato della codifica\"\n", "script error 1: no window "
			"\"Stato della codifica\" is showing" },
		{ "panel /tmp\n", "script error 1: no file panel is showing" },
		{ "click \"CloseButton\n", "script error 1: a double quote is not "
			"closed" },
		{ "fly away\n", "script error 1: unknown action \"fly\"" },
		{ "key Hyper+Tab\n", "script error 1: unknown key \"Hyper+Tab\"" },
		{ "key ab\n", "script error 1: unknown key \"ab\"" },
		{ "wait-text EncodeButton Altro 0.2\n", "script error 1: "
			"\"EncodeButton\" does not show \"Altro\" after 0.2 seconds" },
		{ "dump\nmenu ? \"Informazioni su...\"\n", "script error 2: the "
			"script ends with an alert showing (AboutDialog)" },
	};
	for (const Case& test : cases) {
		TemporaryHome home;
		TolvexRunner runner(home);
		RunResult result = runner.Run(test.script, {}, 30);
		EXPECT_EQ(3, result.status) << test.script;
		EXPECT_EQ(std::string(test.error) + "\n", result.errors)
			<< test.script;
	}
}


TEST(DriverTest, WaitTextSeesTheShownText)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run("wait-text EncodeButton Codifica! 5\n"
		"wait-text FileName # 5\nwait-hidden \"Stato della codifica\" 1\n");
	EXPECT_EQ(0, result.status) << result.errors;
}


// "Apri sito" starts the preferred application of text/html with the web
// address as its one argument.
TEST(DriverTest, AboutBoxOpensTheWebPage)
{
	TemporaryHome home;
	std::string record = home.File("browser-args.txt");
	ASSERT_TRUE(InstallFakeBrowser(home, record));

	TolvexRunner runner(home);
	RunResult result = runner.Run("menu ? \"Informazioni su...\"\nalert 0\n");
	ASSERT_EQ(0, result.status) << result.errors;
	// The browser is not waited for: it may end after Tolvex.
	std::string recorded = WaitForFile(record);
	std::vector<std::string> arguments = SplitLines(recorded);
	ASSERT_EQ(1u, arguments.size()) << recorded;
	// The manual installed with the program, under the prefix it runs from.
	EXPECT_EQ("file://" + home.Path() + "/prefix/share/doc/tolvex/leggimi.html",
		arguments[0]);
	EXPECT_TRUE(Contains(result.output, "Web: : " + arguments[0] + "\\n"));
}


TEST(DriverTest, RefsAndArgumentsAtLaunch)
{
	TemporaryHome home;
	home.WriteFile("a.tvx", "");
	TolvexRunner runner(home);
	// Other words that are no options are ignored (an unknown option is
	// refused: tests/commandline); --refs hands the files over, even one
	// that looks like an option.
	RunResult result = runner.Run("dump\n", { "qualcosa", "altro",
		"--refs", home.File("a.tvx"), home.File("missing/b.wav"),
		"--verbose" });
	EXPECT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "window \"Tolvex 1.2a\" hidden=0"));
}


// "Sfoglia..." shows the folder panel; a folder chosen there, through a
// link, puts the folder's own path in the field; cancelling changes
// nothing.
TEST(DriverTest, FolderPanelFillsTheOutputFolder)
{
	TemporaryHome home;
	home.WriteFile("musica/uscita/.keep", "");
	std::string folder = home.File("musica/uscita");
	std::string link = home.File("scorciatoia");
	ASSERT_EQ(0, symlink(folder.c_str(), link.c_str()));

	TolvexRunner runner(home);
	RunResult result = runner.Run("tab \"Opzioni di Gogo\"\n"
		"type OutputDirText prima\nclick OutputDirButton\ncancel\ndump\n"
		"click OutputDirButton\npanel " + link + "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> lines = SplitLines(result.output);
	std::vector<std::string> texts;
	int panels = 0;
	for (size_t i = 0; i < lines.size(); i++) {
		if (lines[i] == "panel Seleziona cartella di destinazione")
			panels++;
		if (Contains(lines[i], "BTextControl \"OutputDirText\"")
			&& i + 1 < lines.size())
			texts.push_back(lines[i + 1]);
	}
	EXPECT_EQ(2, panels) << result.output;
	ASSERT_EQ(2u, texts.size()) << result.output;
	EXPECT_TRUE(Contains(texts[0], "text=\"prima\"")) << texts[0];
	EXPECT_TRUE(Contains(texts[1], "text=\"" + folder + "\"")) << texts[1];
}


// In the save panel the name is typed as a user types it, and its default
// button saves under it.
TEST(DriverTest, SavePanelTakesATypedName)
{
	TemporaryHome home;
	std::string wave = home.WriteFile("a.wav", "RIFF");
	home.WriteFile("liste/.keep", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + wave + "\n"
		"menu Lista \"Salva...\"\nsave " + home.File("liste") + " prima.tvx\n"
		"menu Lista \"Salva...\"\ntype PanelName \"la mia lista.tvx\"\n"
		"click PanelDefault\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(ReadFile(home.File("liste/prima.tvx")), wave));
	EXPECT_EQ(ReadFile(home.File("liste/prima.tvx")),
		ReadFile(home.File("liste/la mia lista.tvx")));
}


// Keys alone, as a user without a mouse: Tab walks to "Aggiungi...", the
// file panel is worked by typing, Enter, Backspace, Alt+Up and Escape, the
// bit rate is picked with the arrows, Delete removes from the batch,
// Escape answers the About box and F10 reaches "Esci".
TEST(DriverTest, KeysAloneWalkTheWindows)
{
	TemporaryHome home;
	home.WriteFile("a.wav", "RIFF");
	home.WriteFile("w/b.wav", "RIFF");
	TolvexRunner runner(home);
	RunResult result = runner.Run(
		"key Tab\nkey Tab\nkey Tab\n"
		// Into the folder by typing its name, a file chosen with Enter.
		"key Space\nkey Tab\nkey w\nkey Enter\nkey b\nkey Enter\n"
		// Backspace goes up, Escape cancels.
		"key Space\nkey Backspace\nkey a\nkey Escape\ndump\n"
		// The panel shows again where it was.
		"key Space\nkey a\nkey Enter\n"
		"key Space\nkey w\nkey Enter\nkey Alt+Up\nkey a\nkey Enter\n"
		"key Shift+Tab\nkey Right\nkey Tab\n"
		"key Down\nkey Down\nkey Down\nkey Down\nkey Down\nkey Down\n"
		"key Down\nkey Down\nkey Down\n"
		"key Shift+Tab\nkey Left\nkey Tab\nkey Tab\n"
		"key Delete\nkey Down\nkey Delete\n"
		"key F10\nkey Right\nkey Down\nkey Down\nkey Enter\nkey Escape\n"
		"dump\nkey F10\nkey Down\nkey Down\nkey Down\nkey Down\nkey Enter\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::string output = result.output;
	size_t second = output.find("window \"Tolvex 1.2a\"",
		output.find("window \"Tolvex 1.2a\"") + 1);
	ASSERT_NE(std::string::npos, second) << output;
	std::string first = output.substr(0, second);
	std::string last = output.substr(second);

	EXPECT_TRUE(Contains(first, "window \"Aggiungi file\" hidden=1"));
	EXPECT_TRUE(Contains(first, "FilesList \"FilesList\" hidden=0 "
		"frame=(2,2,392,148) items=1\n              item 0 selected=0 \""
		+ home.File("w/b.wav") + "\"\n")) << first;

	EXPECT_TRUE(Contains(last, "FilesList \"FilesList\" hidden=0 "
		"frame=(2,2,392,148) items=2 focus=1\n"
		"              item 0 selected=0 \"" + home.File("a.wav") + "\"\n"
		"              item 1 selected=0 \"" + home.File("a.wav") + "\"\n"))
		<< last;
	EXPECT_TRUE(Contains(last, "marked=\"128 kbps\" items=16"));
	EXPECT_TRUE(Contains(last, "BMenuItem \"128 kbps\" enabled=1 marked=1"));
	EXPECT_FALSE(Contains(last, " open=1"));
	EXPECT_TRUE(Contains(output, "alert AboutDialog: "));
	std::vector<std::string> lines = SplitLines(output);
	EXPECT_EQ(4, std::count(lines.begin(), lines.end(),
		std::string("panel Aggiungi file")));
}
