#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <Node.h>
#include <TypeConstants.h>
#include <OS.h>

#include "TestSupport.h"

namespace {

// Quitting the normal way stores the settings on the executable.
bool
SettingsStored(const TolvexRunner& runner)
{
	BNode node(runner.Executable().c_str());
	char location[1024];
	return node.ReadAttr("encoder_location", B_STRING_TYPE, 0, location,
		sizeof(location)) > 0;
}


bool
WaitForOutput(const TemporaryHome& home, const std::string& text,
	int seconds = 20)
{
	bigtime_t deadline = system_time() + (bigtime_t)seconds * 1000000;
	while (system_time() < deadline) {
		if (Contains(ReadFile(home.File("stdout.txt")), text))
			return true;
		usleep(10000);
	}
	return false;
}

} // namespace


// A script that cannot be performed still ends the program the normal
// way: settings stored, then status 3 with the reason.
TEST(ScriptFaultTest, ErrorsQuitTheNormalWayWithStatusThree)
{
	struct Case {
		const char* script;
		const char* error;
	} cases[] = {
		{ "click Nowhere\n", "script error 1: no view \"Nowhere\"\n" },
		{ "menu Lista Esci\ndump\n",
			"script error 2: the application has quit\n" },
		{ "wait-hidden \"Tolvex 1.2a\" 9223372036854\n", "script error 1: "
			"usage: wait-hidden TITLE SECONDS (from 0 to 3600)\n" },
		{ "wait-hidden \"Tolvex 1.2a\" inf\n", "script error 1: "
			"usage: wait-hidden TITLE SECONDS (from 0 to 3600)\n" },
		{ "wait-text EncodeButton Altro nan\n", "script error 1: "
			"usage: wait-text NAME TEXT SECONDS (from 0 to 3600)\n" },
		{ "wait-text EncodeButton Altro 1e300\n", "script error 1: "
			"usage: wait-text NAME TEXT SECONDS (from 0 to 3600)\n" },
		{ "wait-text EncodeButton Altro 1\n", "script error 1: "
			"\"EncodeButton\" does not show \"Altro\" after 1 second\n" },
		// \" inside quotes is a double quote, as the dump writes it.
		{ "wait-text EncodeButton \"Co\\\"di\\\\ca\" 0\n", "script error 1: "
			"\"EncodeButton\" does not show \"Co\\\"di\\\\ca\" after 0 "
			"seconds\n" },
		{ "fly\tx\n", "script error 1: unknown action \"fly\"\n" },
	};
	for (const Case& test : cases) {
		TemporaryHome home;
		TolvexRunner runner(home);
		RunResult result = runner.Run(test.script, {}, 30);
		EXPECT_EQ(3, result.status) << test.script;
		EXPECT_EQ(test.error, result.errors) << test.script;
		EXPECT_TRUE(SettingsStored(runner)) << test.script;
	}
}


// What an error echoes is escaped and short, whatever the line held.
TEST(ScriptFaultTest, EchoedWordsAreEscapedAndShort)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run(std::string("fl\0y\x01 away\n", 12));
	EXPECT_EQ(3, result.status);
	EXPECT_EQ("script error 1: unknown action \"fl\\x00y\\x01\"\n",
		result.errors);

	std::string long_ = "click \"" + std::string(100000, 'x') + "\"\n";
	result = runner.Run(long_, {}, 60);
	EXPECT_EQ(3, result.status);
	EXPECT_EQ(0u, result.errors.find("script error 1: no view \"xxxx"))
		<< result.errors.substr(0, 200);
	EXPECT_LT(result.errors.size(), 200u);
	EXPECT_TRUE(Contains(result.errors, "...\""));

	// No action needs a line of megabytes: it is refused, not read whole.
	std::string huge = "# comment\nclick \"" + std::string(10 << 20, 'x')
		+ "\"\n";
	result = runner.Run(huge, {}, 60);
	EXPECT_EQ(3, result.status);
	EXPECT_EQ("script error 2: the line is longer than 1048576 bytes\n",
		result.errors);
}


// The script as a file: a byte-order mark is skipped; a folder, a missing
// file or a line after the end are errors, each quitting normally.
TEST(ScriptFaultTest, ScriptFilesThatCannotBeReadAreErrors)
{
	{
		TemporaryHome home;
		TolvexRunner runner(home);
		RunResult result = runner.Run("\xef\xbb\xbf" "dump\n");
		EXPECT_EQ(0, result.status) << result.errors;
		EXPECT_TRUE(Contains(result.output, "window \"Tolvex 1.2a\""));
	}
	{
		TemporaryHome home;
		TolvexRunner runner(home);
		runner.StartScriptAt(home.Path().c_str());
		RunResult result = runner.Finish(30);
		EXPECT_EQ(3, result.status);
		EXPECT_EQ("script error 0: cannot read the script " + home.Path()
			+ ": Is a directory\n", result.errors);
		EXPECT_TRUE(SettingsStored(runner));
	}
	{
		TemporaryHome home;
		TolvexRunner runner(home);
		std::string missing = home.File("nessuno.txt");
		runner.StartScriptAt(missing.c_str());
		RunResult result = runner.Finish(30);
		EXPECT_EQ(3, result.status);
		EXPECT_EQ("script error 0: cannot read the script " + missing
			+ ": No such file or directory\n", result.errors);
		EXPECT_TRUE(SettingsStored(runner));
	}
}


// Quitting never waits for the script: a writer that stays open after
// "Esci", or a FIFO that nobody writes to, holds nothing up.
TEST(ScriptFaultTest, QuittingNeverWaitsForTheScript)
{
	{
		TemporaryHome home;
		std::string fifo = home.File("script.fifo");
		ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
		// Read and write, so that opening does not wait for a reader.
		int writer = open(fifo.c_str(), O_RDWR);
		ASSERT_GE(writer, 0);
		TolvexRunner runner(home);
		bigtime_t start = system_time();
		runner.StartScriptAt(fifo.c_str());
		const char line[] = "menu Lista Esci\n";
		ASSERT_EQ((ssize_t)sizeof(line) - 1, write(writer, line,
			sizeof(line) - 1));
		RunResult result = runner.Finish(30);
		bigtime_t took = system_time() - start;
		close(writer);
		EXPECT_EQ(0, result.status) << result.errors;
		EXPECT_LT(took, 10000000);
		EXPECT_TRUE(SettingsStored(runner));
	}
	{
		TemporaryHome home;
		std::string fifo = home.File("script.fifo");
		ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
		TolvexRunner runner(home);
		int pid = runner.StartScriptAt(fifo.c_str());
		// It starts (its settings are read and its window shown) and a
		// signal still ends it the normal way.
		usleep(300000);
		ASSERT_EQ(0, kill(pid, SIGTERM));
		RunResult result = runner.Finish(20);
		EXPECT_EQ(0, result.status) << result.errors;
		EXPECT_TRUE(SettingsStored(runner));
	}
}


// A signal quits the normal way even while an alert waits for an answer
// nobody will give; without a script the program says it waits for one.
TEST(ScriptFaultTest, SignalsQuitWhileAnAlertShows)
{
	{
		TemporaryHome home;
		TolvexRunner runner(home);
		int pid = runner.Start("menu ? \"Informazioni su...\"\n"
			"wait-hidden AboutDialog 60\n");
		ASSERT_TRUE(WaitForOutput(home, "alert AboutDialog"));
		ASSERT_EQ(0, kill(pid, SIGTERM));
		RunResult result = runner.Finish(20);
		EXPECT_EQ(0, result.status) << result.errors;
		EXPECT_EQ("", result.errors);
		EXPECT_TRUE(SettingsStored(runner));
	}
	{
		TemporaryHome home;
		TolvexRunner runner(home);
		int pid = runner.StartScriptAt(NULL);
		bigtime_t deadline = system_time() + 20000000;
		while (!Contains(ReadFile(home.File("stderr.txt")), "SIGTERM")
				&& system_time() < deadline)
			usleep(10000);
		ASSERT_EQ(0, kill(pid, SIGINT));
		RunResult result = runner.Finish(20);
		EXPECT_EQ(0, result.status);
		EXPECT_TRUE(Contains(result.errors, "runs until it gets SIGTERM, "
			"SIGINT or SIGHUP")) << result.errors;
		EXPECT_TRUE(SettingsStored(runner));
	}
}


// Each line waits until everything the lines before it caused is done: an
// alert answered, its window gone, the browser launched through the
// roster. Run many times, a line that ran early would show.
TEST(ScriptFaultTest, NoLineRunsBeforeTheApplicationIsQuiet)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
	const int kRuns = 30;
#else
	const int kRuns = 200;
#endif
	TemporaryHome home;
	std::string record = home.File("browser-args.txt");
	ASSERT_TRUE(InstallFakeBrowser(home, record));
	TolvexRunner runner(home);
	for (int run = 0; run < kRuns; run++) {
		RunResult result = runner.Run("menu ? \"Informazioni su...\"\n"
			"alert 0\ndump\ntab \"Opzioni di Gogo\"\ndump\n");
		ASSERT_EQ(0, result.status) << "run " << run << ": " << result.errors;
		std::vector<std::string> lines = SplitLines(result.output);
		std::vector<std::string> windows;
		for (const std::string& line : lines) {
			if (line.compare(0, 7, "window ") == 0)
				windows.push_back(line.substr(0, line.find(" hidden=")));
			ASSERT_FALSE(Contains(line, "window \"AboutDialog\""))
				<< "run " << run;
		}
		// Both dumps show the same windows: the main window, the progress
		// window and the file panels built hidden with them.
		ASSERT_EQ(0u, windows.size() % 2) << "run " << run;
		ASSERT_GE(windows.size(), 4u) << "run " << run;
		ASSERT_TRUE(std::equal(windows.begin(), windows.begin()
			+ windows.size() / 2, windows.begin() + windows.size() / 2))
			<< "run " << run << ":\n" << result.output;
		ASSERT_TRUE(Contains(result.output, "BTab \"Opzioni di Gogo\" "
			"enabled=1 selected=1")) << "run " << run;
	}
}
