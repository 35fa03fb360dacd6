// Tolvex as a screen reader meets it: each test runs client.py (beside
// this file) in a private session bus with at-spi2-core's accessibility
// bus and registry; the client reads the tree and hears the events through
// libatspi, never through our own code, and acts through AT-SPI alone.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

const char* kClient = TOLVEX_SOURCE_DIR "/tests/accessibility/client.py";


// The client's lines for one scenario, run with Tolvex on a bus of their
// own; the client ends well, or says why.
std::string
ClientSays(const TemporaryHome& home, const std::string& scenario)
{
	std::string executable = TolvexRunner(home).Executable();
	std::string command = "dbus-run-session -- /usr/bin/python3 "
		+ Quoted(kClient) + " " + scenario + " " + Quoted(executable) + " "
		+ Quoted(home.Path()) + " 2>" + Quoted(home.File("client.err"));
	FILE* pipe = popen(command.c_str(), "r");
	std::string output;
	if (pipe == NULL) {
		ADD_FAILURE() << "no client";
		return output;
	}
	char buffer[4096];
	size_t got;
	while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output.append(buffer, got);
	int result = pclose(pipe);
	EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0)
		<< ReadFile(home.File("client.err"));
	// The registry, started on the private bus, greets on the same
	// standard output.
	std::string lines;
	for (const std::string& line : SplitLines(output)) {
		if (line.compare(0, 11, "SpiRegistry") != 0)
			lines += line + "\n";
	}
	return lines;
}


// Environment variables taken away for a test, put back afterwards.
class Unset {
public:
	explicit Unset(const char* name)
		:
		fName(name),
		fHad(getenv(name) != NULL),
		fValue(fHad ? getenv(name) : "")
	{
		unsetenv(name);
	}

	~Unset()
	{
		if (fHad)
			setenv(fName.c_str(), fValue.c_str(), 1);
	}

private:
	std::string fName;
	bool fHad;
	std::string fValue;
};

} // namespace


// The tree of the main window with roles, names, states, relations and
// extents as libatspi reads them; a button's action opens the file panel,
// a tab list's selection brings a tab to the front.
TEST(AccessibilityTest, ScreenReaderReadsTheTreeAndPressesAButton)
{
	TemporaryHome home;
	std::string output = ClientSays(home, "tree");
	EXPECT_EQ("frame Tolvex 1.2a\n"
		"application Tolvex application\n"
		"attributes toolkit:Tolvex\n"
		"active 1\n"
		"Codifica! enabled 0\n"
		"tabs File,Opzioni di Gogo,Opzioni del programma\n"
		"bitrate selected Default\n"
		"encoder location /boot/home/config/bin/Gogo\n"
		"character at 1 ('b', 1, 2), line at 1 ('/boot/home/config/bin/Gogo', "
		"0, 26)\n"
		"selections 0, caret 0\n"
		"labelled by label Posizione di Gogo:\n"
		"menu Lista Nuova,Salva...,Apri...,,Esci\n"
		// The main window's frame (100, 100) and the button's place in
		// it: (361, 232) in the back view at 19, 75 x 25 pixels.
		"Esci extents 461 351 75 25\n"
		// Asked on the bus directly: every child at once (the menu bar and
		// the back view, both unnamed; the bar's two menus), the desktop
		// as the application's parent, and libatspi's own role names.
		"raw children ,\n"
		"raw menus Lista,?\n"
		"raw parent True\n"
		"role names differ: \n"
		"action 1\n"
		"dialog Aggiungi file\n"
		"tab behind the panel 0\n"
		"tab chosen 1\n"
		"page Opzioni di Gogo\n", output);
	EXPECT_EQ("", ReadFile(home.File("tolvex.err")));
}


// Tab gives focus events naming each control in the window's order; a
// check box toggled through its action tells its new state.
TEST(AccessibilityTest, FocusAndCheckedEvents)
{
	TemporaryHome home;
	std::string output = ClientSays(home, "events");
	EXPECT_EQ("focused push button Esci\n"
		"focused page tab list \n"
		"focused push button Aggiungi...\n"
		"checked Disabilita psico-acustica 1\n"
		"state checked 1\n", output);
}


// The main job through accessibility alone: files added through the
// panel's path text and default button, "Codifica!" pressed, the failure
// report read from the alert's own event; the good file became an MP3.
TEST(AccessibilityTest, MainJobThroughAccessibilityAlone)
{
	TemporaryHome home;
	home.WriteFile("musica/buono.wav", "RIFF");
	home.WriteFile("musica/rotto.wav", "RIFF");
	home.WriteFile(".local/bin/Gogo", "#!/bin/sh\n"
		"for a; do last=$a; done\n"
		"case \"$last\" in *rotto*) echo 'Gogo: file rotto' >&2; exit 1;; "
		"esac\n"
		": > \"${last%.wav}.mp3\"\n", true);
	std::string output = ClientSays(home, "main-job");
	std::string music = home.File("musica");
	EXPECT_EQ("entries " + music + "/buono.wav," + music + "/rotto.wav\n"
		"action 1\n"
		"alert Errore: Codifica terminata: 1 file su 2 non è stato "
		"codificato.\\n" + music + "/rotto.wav: Gogo: file rotto\n", output);
	EXPECT_EQ(0, access((music + "/buono.mp3").c_str(), F_OK));
	EXPECT_NE(0, access((music + "/rotto.mp3").c_str(), F_OK));
}


// A list of 99,999 entries opened while a screen reader listens: it hears
// of the new entries in a few events, not one an entry, and reads the
// last one.
TEST(AccessibilityTest, ABigListIsToldInFewEvents)
{
	TemporaryHome home;
	std::string list = "# Generated by Tolvex 1.2a\n";
	for (int i = 0; i < 99999; i++) {
		char line[64];
		snprintf(line, sizeof(line), "0;/home/u/Musica/brano %05d.wav\n", i);
		list += line;
	}
	home.WriteFile("grande.tvx", list);
	std::string output = ClientSays(home, "big-list");
	std::vector<std::string> lines = SplitLines(output);
	ASSERT_EQ(4u, lines.size()) << output;
	EXPECT_EQ("entries 99999", lines[0]);
	EXPECT_EQ("last /home/u/Musica/brano 99998.wav", lines[1]);
	// At least one, as many as the batches the list came in at most.
	int children = atoi(lines[2].c_str() + strlen("children-changed "));
	EXPECT_GE(children, 1) << output;
	EXPECT_LE(children, 10) << output;
	// Those, and "Codifica!" now enabled and sensitive.
	int events = atoi(lines[3].c_str() + strlen("events "));
	EXPECT_LE(events, children + 4) << output;
}


// Without a session bus, and with one that has no accessibility bus,
// Tolvex works as ever and says nothing about it.
TEST(AccessibilityTest, NoBusChangesNothing)
{
	TemporaryHome home;
	home.WriteFile("a.wav", "RIFF");
	const std::string script = "drop FilesList " + home.File("a.wav")
		+ "\ndump\nmenu Lista Esci\n";
	std::string withoutBus;
	{
		Unset session("DBUS_SESSION_BUS_ADDRESS");
		Unset accessibility("AT_SPI_BUS_ADDRESS");
		Unset runtime("XDG_RUNTIME_DIR");
		TolvexRunner runner(home);
		RunResult result = runner.Run(script);
		EXPECT_EQ(0, result.status);
		EXPECT_EQ("", result.errors);
		EXPECT_TRUE(Contains(result.output, "items=1")) << result.output;
		withoutBus = result.output;
	}

	// A session bus where no accessibility bus runs: none is started.
	Unset accessibility("AT_SPI_BUS_ADDRESS");
	std::string scriptPath = home.WriteFile("script", script);
	std::string command = "cd " + Quoted(home.Path())
		+ " && BE_DISPLAY=headless BE_SCRIPT=" + Quoted(scriptPath)
		+ " dbus-run-session -- sh -c " + Quoted(
			Quoted(TolvexRunner(home).Executable()) + " >out 2>err; "
			"echo $? >status; dbus-send --session --print-reply "
			"--dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner "
			"string:org.a11y.Bus >owner") + " 2>/dev/null";
	ASSERT_EQ(0, system(command.c_str()));
	EXPECT_EQ("0\n", ReadFile(home.File("status")));
	EXPECT_EQ("", ReadFile(home.File("err")));
	// The main window as it was; the panels list the home, which the
	// second run's files have joined.
	std::string mainWindow = withoutBus.substr(0,
		withoutBus.find("window \"Stato della codifica\""));
	EXPECT_TRUE(Contains(mainWindow, "a.wav")) << mainWindow;
	EXPECT_EQ(mainWindow, ReadFile(home.File("out")).substr(0,
		mainWindow.size()));
	EXPECT_TRUE(Contains(ReadFile(home.File("owner")), "boolean false"));
}


// A hostile client on the session's accessibility bus: points and offsets
// at the ends of an int, an action on a disabled button, and two actions
// sent back to back that the second of which a modal panel must stop.
TEST(AccessibilityTest, AHostileClientGetsNothingItCouldNotDoByHand)
{
	TemporaryHome home;
	std::string output = ClientSays(home, "hostile");
	EXPECT_EQ("far point /org/a11y/atspi/null\n"
		"far negative point /org/a11y/atspi/null\n"
		"character at 2147483647: 0\n"
		"character at -2147483648: 0\n"
		"character at 25: 111\n"
		"character at 26: 0\n"
		"Rimuovi enabled 0, action False\n"
		"panel Aggiungi file\n"
		"still running True\n"
		"panel still shown True\n", output);
	EXPECT_EQ("", ReadFile(home.File("tolvex.err")));
}
