#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Node.h>
#include <NodeInfo.h>

#include "TestSupport.h"

namespace {

const char* kProgress = "\"Stato della codifica\"";

// A fake encoder at the default location (/boot/home/config/bin/Gogo is
// ~/.local/bin/Gogo). Each start appends "run N" and its words, one a
// line in brackets, to "argv"; line N of "modes" says what it does then:
// exit (the default), fail (silently, status 3), complain (lines on its
// error stream, status 2), long (one line of 300 bytes, status 1), crash,
// disable (takes its own execute bit away, status 0), say (writes the file
// "lineN" to its error stream, status 1), core (dumps core), late (writes
// one byte to its error stream 2 s on, a line a moment later, then
// "late"), stubborn (it and its child
// ignore SIGTERM; both pids go to "children", each SIGTERM adds a line to
// "termed"), or wait to be killed
// in a child of its own, whose pid goes to "children"; or escape: leave its
// team for Tolvex's process group, where no skip or stop reaches it, and
// wait there (its own pid goes to "children").
class RunTest : public testing::Test {
protected:
	void SetUp() override
	{
		fEncoder = fHome.WriteFile(".local/bin/Gogo", "#!/bin/sh\n"
			"h='" + fHome.Path() + "'\n"
			"n=$(( $(cat \"$h/count\" 2>/dev/null || echo 0) + 1 ))\n"
			"echo $n > \"$h/count\"\n"
			"{ echo \"run $n\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; "
			"done; } >> \"$h/argv\"\n"
			"case \"$(sed -n \"${n}p\" \"$h/modes\" 2>/dev/null)\" in\n"
			"fail) exit 3;;\n"
			"complain) echo 'Gogo: lettura' >&2; "
			"printf 'Gogo: -q: unknown option\\n  \\n' >&2; exit 2;;\n"
			"long) printf '\xc3\xa8%.0s' $(seq 150) >&2; exit 1;;\n"
			"crash) kill -SEGV $$;;\n"
			"disable) chmod 644 \"$0\";;\n"
			"wait) sleep 60 & echo $! >> \"$h/children\"; wait;;\n"
			"say) cat \"$h/line$n\" >&2; exit 1;;\n"
			"core) ulimit -c unlimited; cd \"$h\" && kill -SEGV $$;;\n"
			"stubborn) trap '' TERM; sleep 60 & s=$!; "
			"echo $s >> \"$h/children\"; echo $$ >> \"$h/children\"; "
			"trap 'echo x >> \"$h/termed\"' TERM; "
			"while kill -0 $s 2>/dev/null; do wait $s; done;;\n"
			"late) sleep 2; printf . >&2; sleep 0.3; "
			"echo 'Gogo: ancora qui' >&2 && echo fatto > \"$h/late\";;\n"
			"escape) exec perl -MPOSIX -e 'setpgid(0, getpgrp(getppid())) "
			"or exit 9; open(F, \">>\", $ARGV[0]) or exit 9; "
			"print F \"$$\\n\"; close(F); exec(\"sleep\", \"60\")' "
			"\"$h/children\";;\n"
			"esac\nexit 0\n", true);
	}

	void TearDown() override
	{
		for (const std::string& pid : SplitLines(ReadFile(
				fHome.File("children"))))
			kill(atoi(pid.c_str()), SIGKILL);
	}

	void Modes(const std::string& modes)
	{
		fHome.WriteFile("modes", modes);
	}

	std::string Wave(const std::string& name)
	{
		return fHome.WriteFile("music/" + name, "RIFF");
	}

	std::string Argv() { return ReadFile(fHome.File("argv")); }

	// A session fed line by line, so that the test can wait for the fake
	// encoder to be at work (the driver waits only for ended processes)
	// before it clicks on.
	void Begin(TolvexRunner& runner)
	{
		fProgram = -1;
		std::string fifo = fHome.File("script.fifo");
		ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
		// Read and write, so that opening does not wait for the reader.
		fFifo = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
		ASSERT_GE(fFifo, 0);
		fProgram = runner.StartScriptAt(fifo.c_str());
	}

	void Send(const std::string& lines)
	{
		ASSERT_EQ((ssize_t)lines.size(), write(fFifo, lines.data(),
			lines.size()));
	}

	// Waits until this many fake encoders wait to be killed.
	void WaitForChildren(size_t count)
	{
		for (int i = 0; i < 1000 && Children().size() < count; i++)
			usleep(10000);
		ASSERT_EQ(count, Children().size());
	}

	RunResult End(TolvexRunner& runner)
	{
		close(fFifo);
		fFifo = -1;
		return runner.Finish();
	}

	std::vector<std::string> Children()
	{
		return SplitLines(ReadFile(fHome.File("children")));
	}

	static bool ChildAlive(const std::string& pid)
	{
		// Reaped or a zombie: gone either way for the user.
		std::string status = ReadFile("/proc/" + pid + "/stat");
		return !status.empty() && status.find(") Z") == std::string::npos;
	}

	// Gone within 5 seconds: a killed process takes a moment to end, a
	// long one on a busy machine.
	static bool ChildGone(const std::string& pid)
	{
		for (int i = 0; i < 500 && ChildAlive(pid); i++)
			usleep(10000);
		return !ChildAlive(pid);
	}

	// Waits until the program's standard output holds this many whole
	// dumps (the last window's cancel button ends one).
	std::string WaitForDumps(int count)
	{
		std::string shown;
		for (int i = 0; i < 3000; i++) {
			shown = ReadFile(fHome.File("stdout.txt"));
			std::vector<std::string> lines = SplitLines(shown);
			int dumps = 0;
			for (const std::string& line : lines) {
				if (line == "window \"Posizione di Gogo\"" || line.compare(0,
						27, "window \"Posizione di Gogo\" ") == 0)
					dumps++;
			}
			if (dumps >= count && !lines.empty()
				&& Contains(lines.back(), "\"PanelCancel\""))
				break;
			usleep(5000);
		}
		return shown;
	}

	// The fake encoders that Tolvex started and that are still at work (not
	// zombies), by pid; a child of theirs may take a moment longer.
	std::string EncoderProcesses()
	{
		std::string found;
		DIR* processes = opendir("/proc");
		if (processes == NULL)
			return "no /proc";
		while (struct dirent* entry = readdir(processes)) {
			std::string pid = entry->d_name;
			if (pid.find_first_not_of("0123456789") != std::string::npos)
				continue;
			std::string command = ReadFile("/proc/" + pid + "/cmdline");
			std::string status = ReadFile("/proc/" + pid + "/stat");
			size_t end = status.rfind(')');
			if (!Contains(command, fEncoder) || end == std::string::npos
				|| atoi(status.c_str() + end + 4) != fProgram)
				continue;
			if (ChildAlive(pid))
				found += pid + " ";
		}
		closedir(processes);
		return found;
	}

	TemporaryHome fHome;
	std::string fEncoder;
	int fFifo = -1;
	int fProgram = -1;
};

} // namespace


// The options of the encoder tab come first, then the path, quoted when it
// holds a blank: the encoder gets the path as one word, the progress window
// shows the quotes. Without options the path is the only word.
TEST_F(RunTest, TheEncoderGetsTheOptionsThenThePath)
{
	std::string spaced = Wave("My Music/track 1.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList \"" + spaced + "\"\n"
		"tab \"Opzioni di Gogo\"\n"
		"pick BitRateField \"128 kbps\"\n"
		"pick OutputModeField \"Joint stereo\"\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[-b]\n[128]\n[-m]\n[j]\n[" + spaced + "]\n", Argv());
	EXPECT_EQ("BStringView \"FileName\" text=\"\\\"" + spaced + "\\\"\" "
		"hidden=0 frame=(5,25,335,40)", DumpLine(result.output,
		"BStringView \"FileName\""));
	EXPECT_EQ("BStringView \"FileNumber\" text=\"File 1 di 1\" hidden=0 "
		"frame=(5,46,335,61)", DumpLine(result.output,
		"BStringView \"FileNumber\""));

	unlink(fHome.File("argv").c_str());
	unlink(fHome.File("count").c_str());
	std::string plain = Wave("a.wav");
	std::string lead = Wave(" lead.wav");
	result = runner.Run("drop FilesList " + plain + " \"" + lead + "\"\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + plain + "]\nrun 2\n[" + lead + "]\n", Argv());
}


// Two blanks typed in the extra parameters give the encoder an empty word
// between the two.
TEST_F(RunTest, TwoBlanksGiveAnEmptyWord)
{
	std::string wave = Wave("a.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + wave + "\n"
		"tab \"Opzioni di Gogo\"\n"
		"click DisablePsycho\n"
		"type ExtraParam \"-x  -y\"\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[-nopsy]\n[-x]\n[]\n[-y]\n[" + wave + "]\n", Argv());
}


// The progress window counts the files, lies 50 points right of and below
// the main window, and "Salta file" kills the whole encoder (the wrapper
// script and its child) on the middle and the last entry.
TEST_F(RunTest, CounterAndSkip)
{
	Modes("wait\nwait\nwait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + " " + c + "\n"
		"click EncodeButton\n"
		"wait-text FileNumber \"File 1 di 3\" 10\n"
		"dump\n");
	WaitForChildren(1);
	Send("click SkipFile\n"
		"wait-text FileNumber \"File 2 di 3\" 10\n"
		"dump\n");
	WaitForChildren(2);
	Send("click SkipFile\n"
		"wait-text FileNumber \"File 3 di 3\" 10\n");
	WaitForChildren(3);
	Send("click SkipFile\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + b + "]\nrun 3\n[" + c
		+ "]\n", Argv());
	std::string main = DumpLine(result.output, "window \"Tolvex 1.2a\"");
	EXPECT_TRUE(Contains(main, "frame=(100,100,")) << main;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=0 frame=(150,150,490,")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "BButton \"SkipFile\"", 1),
		"enabled=1")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress), 2), "hidden=1")) << result.output;
	std::vector<std::string> children = SplitLines(ReadFile(
		fHome.File("children")));
	ASSERT_EQ(3u, children.size());
	for (const std::string& child : children)
		EXPECT_TRUE(ChildGone(child)) << child;
	// Skipped entries are the user's choice, not failures.
	EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;
}


// Stop kills the encoder and starts nothing more, also when the killed
// process's notice comes; a new run starts from the first entry.
TEST_F(RunTest, StopThenStartAgain)
{
	Modes("wait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + "\n"
		"click EncodeButton\n");
	WaitForChildren(1);
	Send("click StopEncoding\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1")) << result.output;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + a + "]\nrun 3\n[" + b
		+ "]\n", Argv());
	std::vector<std::string> children = SplitLines(ReadFile(
		fHome.File("children")));
	ASSERT_EQ(1u, children.size());
	EXPECT_TRUE(ChildGone(children[0]));
	EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;
}


// Every entry is tried; the entries that did not become an MP3 are told in
// one alert at the end, in the order they ran, each with the encoder's own
// last line (cut to 200 bytes, whole characters), its exit status, or the
// signal that ended it. The encoder's error stream still reaches ours
// unchanged. A run in which every encoder ends well shows nothing.
TEST_F(RunTest, FailuresAreReportedAtTheEnd)
{
	Modes("exit\ncomplain\nfail\ncrash\nlong\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav"),
		d = Wave("d.wav"), e = Wave("e.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + " " + b + " " + c
		+ " " + d + " " + e + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"alert 0\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	ASSERT_EQ(0, result.status) << result.errors;
	// Both runs tried every entry.
	EXPECT_EQ(20u, SplitLines(Argv()).size()) << Argv();
	std::string cut;
	for (int i = 0; i < 100; i++)
		cut += "\xc3\xa8";
	EXPECT_EQ("alert EncodeErrors: Codifica terminata: 4 file su 5 non sono "
		"stati codificati.\\n" + b + ": Gogo: -q: unknown option\\n" + c
		+ ": Gogo è terminato con il codice 3.\\n" + d + ": Gogo è stato "
		"interrotto dal segnale 11.\\n" + e + ": " + cut + "\n",
		result.output);
	EXPECT_TRUE(Contains(result.errors, "Gogo: lettura\nGogo: -q: unknown "
		"option\n  \n")) << result.errors;
}


// No encoder where the setting points: the alert says where it looked,
// and no run starts.
TEST_F(RunTest, MissingEncoder)
{
	unlink(fEncoder.c_str());
	std::string a = Wave("a.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + "\n"
		"click EncodeButton\n"
		"alert 0\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert EncodeFailed: "
		"/boot/home/config/bin/Gogo non trovato. Assicuratevi che il campo "
		"\"Posizione di Gogo:\" nel pannello \"Opzioni programma\" punti "
		"direttamente a Gogo o ad un suo symlink (non alla cartella in cui "
		"si trova).\n")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BStringView \"FileNumber\""),
		"text=\"#\""));
}


// An encoder that cannot be started ends the run at the first entry; the
// others are not tried.
TEST_F(RunTest, EncoderThatCannotStart)
{
	chmod(fEncoder.c_str(), 0644);
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + " " + b + "\n"
		"click EncodeButton\n"
		"alert 0\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert LaunchFailed: È avvenuto un "
		"errore cercando di lanciare Gogo. Assicuratevi che Gogo si trovi "
		"dove dovrebbe essere e non sia in uso e riprovate.\n"))
		<< result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1"));
	EXPECT_EQ("", Argv());
}


// A double quote in a path would make the encoder see other paths than
// the entry's: such an entry is passed over, the others are encoded, and
// the report names it. Past ten the report counts the rest.
TEST_F(RunTest, EntryWithADoubleQuoteIsPassedOverAndReported)
{
	std::string a = Wave("a.wav"), quoted = Wave("q\"b.wav"),
		c = Wave("c.wav");
	TolvexRunner runner(fHome);
	std::string more;
	for (int i = 1; i <= 11; i++) {
		Wave("q\"" + std::to_string(i) + ".wav");
		more += " \"" + fHome.File("music/q\\\"" + std::to_string(i)
			+ ".wav") + "\"";
	}
	RunResult result = runner.Run("drop FilesList " + a + " \""
		+ fHome.File("music/q\\\"b.wav") + "\" " + c + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"alert 0\n"
		"drop FilesList" + more + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"alert 0\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "items=14")) << result.output;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + c + "]\nrun 3\n[" + a
		+ "]\nrun 4\n[" + c + "]\n", Argv());
	std::string reason = ": Il nome del file contiene il carattere \" e non "
		"può essere passato a Gogo.";
	std::vector<std::string> lines = SplitLines(result.output);
	ASSERT_GE(lines.size(), 2u);
	EXPECT_EQ("alert EncodeErrors: Codifica terminata: 1 file su 3 non è "
		"stato codificato.\\n" + quoted + reason, lines[0]);
	std::string many = "alert EncodeErrors: Codifica terminata: 12 file su "
		"14 non sono stati codificati.\\n" + quoted + reason;
	for (int i = 1; i <= 9; i++)
		many += "\\n" + fHome.File("music/q\"" + std::to_string(i) + ".wav")
			+ reason;
	EXPECT_EQ(many + "\\n... e altri 2.", lines[1]);
}


// A destination folder holding a double quote would split into other words
// than the panel meant: an "-delete" nobody ticked, or the WAV's path
// swallowed. The run does not start. Quotes typed among the extra
// parameters are the user's own and group words as always.
TEST_F(RunTest, QuoteInTheFolderStartsNothing)
{
	std::string a = Wave("a.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + "\n"
		"tab \"Opzioni di Gogo\"\n"
		"type OutputDirText \"o\\\" -delete -o \\\"o\"\n"
		"click EncodeButton\n"
		"alert 0\n"
		"type OutputDirText \"a\\\"b\"\n"
		"click EncodeButton\n"
		"alert 0\n"
		"dump\n"
		"type OutputDirText \"\"\n"
		"type ExtraParam \"-x \\\"a  b\\\"\"\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert BadOptions: La cartella di "
		"destinazione \"o\" -delete -o \"o\" contiene il carattere \" e non "
		"può essere passata a Gogo.\nalert BadOptions: La cartella di "
		"destinazione \"a\"b\" contiene il carattere \" e non può essere "
		"passata a Gogo.\n")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BStringView \"FileNumber\""),
		"text=\"#\""));
	EXPECT_EQ("run 1\n[-x]\n[a  b]\n[" + a + "]\n", Argv());
}


// Two different entries that would write one MP3 (the second would replace
// the first, and with "-delete" both WAVs would be gone) keep the run from
// starting. The same file listed twice is no clash, nor are equal names in
// different folders; a link to the destination folder is that folder.
TEST_F(RunTest, TwoEntriesForOneMp3StartNothing)
{
	std::string first = Wave("cd1/track01.wav");
	std::string second = Wave("cd2/track01.WAV");
	ASSERT_EQ(0, mkdir(fHome.File("mp3").c_str(), 0755));
	ASSERT_EQ(0, symlink(fHome.File("mp3").c_str(),
		fHome.File("out").c_str()));
	char* real = realpath(fHome.File("mp3").c_str(), NULL);
	ASSERT_NE(nullptr, real);
	std::string folder = real;
	free(real);
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + first + " " + first
		+ " " + second + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"tab \"Opzioni di Gogo\"\n"
		"type OutputDirText " + fHome.File("out") + "\n"
		"click EncodeButton\n"
		"alert 0\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + first + "]\nrun 2\n[" + first + "]\nrun 3\n["
		+ second + "]\n", Argv());
	EXPECT_TRUE(Contains(result.output, "alert OutputClash: Due file "
		"verrebbero codificati nello stesso file MP3:\\n" + first + "\\n"
		+ second + "\\n" + folder + "/track01.mp3\n")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1"));
}


// Files handed to the application during a run join it.
TEST_F(RunTest, EntryAddedDuringTheRunIsEncoded)
{
	Modes("wait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + "\n"
		"click EncodeButton\n"
		"refs " + b + "\n");
	WaitForChildren(1);
	Send("click SkipFile\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + b + "]\n", Argv());
	EXPECT_TRUE(Contains(DumpLine(result.output, "BStringView \"FileNumber\""),
		"text=\"File 2 di 2\"")) << result.output;
}


// Quitting during a run leaves the encoder at work and starts no more.
TEST_F(RunTest, QuittingLeavesTheEncoderRunning)
{
	Modes("wait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + "\n"
		"click EncodeButton\n");
	WaitForChildren(1);
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> children = Children();
	EXPECT_TRUE(ChildAlive(children[0]));
	EXPECT_EQ("run 1\n[" + a + "]\n", Argv());
}


// The encoder of a stopped run that ends only after a new run has started
// (here one that "Ferma codifica" could not kill) sends its quit notice
// into the new run: it is not the new run's encoder, so the run stays at
// its first entry and no second encoder starts beside the working one.
TEST_F(RunTest, LateNoticeOfAStoppedRunsEncoderIsIgnored)
{
	Modes("escape\nwait\nwait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + "\n"
		"click EncodeButton\n");
	WaitForChildren(1);
	std::string stopped = Children()[0];
	Send("click StopEncoding\n"
		"click EncodeButton\n");
	WaitForChildren(2);
	ASSERT_TRUE(ChildAlive(stopped));
	ASSERT_EQ(0, kill(atoi(stopped.c_str()), SIGKILL));
	// Ended, so the driver waits for its notice before the next line.
	ASSERT_TRUE(ChildGone(stopped));
	Send("dump\n");
	std::string shown;
	for (int i = 0; i < 1000 && !Contains(shown, "\"FileNumber\""); i++) {
		usleep(10000);
		shown = ReadFile(fHome.File("stdout.txt"));
	}
	EXPECT_TRUE(Contains(DumpLine(shown, "BStringView \"FileNumber\""),
		"text=\"File 1 di 2\"")) << shown;
	EXPECT_TRUE(Contains(DumpLine(shown, "window " + std::string(kProgress)),
		"hidden=0")) << shown;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + a + "]\n", Argv());
	EXPECT_TRUE(ChildAlive(Children()[1]));

	Send("click StopEncoding\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + a + "]\n", Argv());
	EXPECT_TRUE(ChildGone(Children()[1]));
}


// A launch refused for a later entry is met when the previous encoder's
// notice comes in: the alert shows, the run ends there, and the main window
// takes the next "Codifica!" as usual once the alert is answered.
TEST_F(RunTest, LaunchRefusedForALaterEntryEndsTheRun)
{
	Modes("disable\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + " " + b + " " + c
		+ "\n"
		"click EncodeButton\n"
		"wait-text FileNumber \"File 2 di 3\" 10\n"
		"alert 0\n"
		"dump\n"
		"click EncodeButton\n"
		"wait-text FileNumber \"File 1 di 3\" 10\n"
		"alert 0\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert LaunchFailed: "))
		<< result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
		kProgress)), "hidden=1")) << result.output;
	EXPECT_TRUE(Contains(DumpLine(result.output, "BStringView \"FileNumber\""),
		"text=\"File 2 di 3\"")) << result.output;
	EXPECT_FALSE(Contains(result.output, "alert EncodeErrors")) << result.output;
	EXPECT_EQ("run 1\n[" + a + "]\n", Argv());
}


namespace {

// A WAV of 16-bit stereo PCM at 44.1 kHz: a tone for the given seconds, or,
// with silent, a sparse file of that much silence that takes no room.
void
WriteWave(const std::string& path, double seconds, bool silent = false)
{
	uint32_t frames = (uint32_t)(seconds * 44100);
	uint32_t dataSize = frames * 4;
	std::string header = "RIFF";
	auto add32 = [&header](uint32_t value) {
		for (int i = 0; i < 4; i++)
			header.push_back((char)(value >> (8 * i)));
	};
	auto add16 = [&header](uint16_t value) {
		header.push_back((char)value);
		header.push_back((char)(value >> 8));
	};
	add32(36 + dataSize);
	header += "WAVEfmt ";
	add32(16);
	add16(1);
	add16(2);
	add32(44100);
	add32(44100 * 4);
	add16(4);
	add16(16);
	header += "data";
	add32(dataSize);
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
		0644);
	ASSERT_GE(fd, 0) << path;
	ASSERT_EQ((ssize_t)header.size(), write(fd, header.data(),
		header.size()));
	if (silent)
		ASSERT_EQ(0, ftruncate(fd, (off_t)(header.size() + dataSize)));
	else {
		std::string samples;
		for (uint32_t i = 0; i < frames; i++) {
			int16_t value = (int16_t)(8000 * ((i / 50) % 2 == 0 ? 1 : -1));
			for (int channel = 0; channel < 2; channel++) {
				samples.push_back((char)value);
				samples.push_back((char)(value >> 8));
			}
		}
		ASSERT_EQ((ssize_t)samples.size(), write(fd, samples.data(),
			samples.size()));
	}
	close(fd);
}

} // namespace


// The whole way with the real encoder: a file that is no audio among two
// WAVs. The two become MP3s, and the report names the third with Gogo's
// own message, the last line it wrote on its error stream (which reached
// ours as well).
TEST_F(RunTest, RealGogoReportsWhatItCouldNotEncode)
{
	unlink(fEncoder.c_str());
	ASSERT_EQ(0, symlink(GOGO_BINARY, fEncoder.c_str()));
	std::string a = fHome.File("music/a.wav");
	std::string notAudio = fHome.WriteFile("music/not-audio.wav",
		"Questo non è un suono.\n");
	std::string b = fHome.File("music/b.wav");
	WriteWave(a, 0.5);
	WriteWave(b, 0.5);
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + " " + notAudio
		+ " " + b + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 60\n"
		"alert 0\n", {}, 120);
	ASSERT_EQ(0, result.status) << result.errors;

	std::string message;
	for (const std::string& line : SplitLines(result.errors)) {
		if (line.compare(0, 6, "Gogo: ") == 0)
			message = line;
	}
	// Gogo names the file itself: the report shows its path once.
	EXPECT_EQ("Gogo: " + notAudio + ": not an audio file Gogo can read "
		"(Format not recognised)", message) << result.errors;
	std::vector<std::string> lines = SplitLines(result.output);
	ASSERT_FALSE(lines.empty());
	EXPECT_EQ("alert EncodeErrors: Codifica terminata: 1 file su 3 non è "
		"stato codificato.\\n" + notAudio + ": not an audio file Gogo can "
		"read (Format not recognised)", lines.back());
	struct stat info;
	EXPECT_EQ(0, stat(fHome.File("music/a.mp3").c_str(), &info));
	EXPECT_EQ(0, stat(fHome.File("music/b.mp3").c_str(), &info));
	EXPECT_NE(0, stat(fHome.File("music/not-audio.mp3").c_str(), &info));
}


// Where the file system has no unnamed files (O_TMPFILE: FUSE mounts, some
// network file systems), Gogo writes under a temporary name. "Salta file"
// asks it to end (SIGTERM) before anything harder, so it removes that name:
// nothing is left beside the WAV, and the skipped entry is no failure.
TEST_F(RunTest, SkipWithoutUnnamedFilesLeavesNoTemporaryFile)
{
	fHome.WriteFile(".local/bin/Gogo", "#!/bin/sh\n"
		"echo $$ >> '" + fHome.File("children") + "'\n"
		// A sanitized Gogo takes a library preloaded before its runtime.
		"ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}"
		"verify_asan_link_order=0\" LD_PRELOAD='" NO_TMPFILE_LIBRARY "' "
		"exec '" GOGO_BINARY "' \"$@\"\n", true);
	ASSERT_EQ(0, mkdir(fHome.File("music").c_str(), 0755));
	// An hour of silence: far longer than the test waits.
	std::string wave = fHome.File("music/a.wav");
	WriteWave(wave, 3600, true);
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + wave + "\n"
		"click EncodeButton\n");
	WaitForChildren(1);
	bool writing = false;
	for (int i = 0; i < 3000 && !writing; i++) {
		DIR* folder = opendir(fHome.File("music").c_str());
		ASSERT_NE(nullptr, folder);
		while (struct dirent* entry = readdir(folder)) {
			if (strncmp(entry->d_name, ".a.mp3.", 7) == 0)
				writing = true;
		}
		closedir(folder);
		if (!writing)
			usleep(10000);
	}
	ASSERT_TRUE(writing) << "Gogo never wrote under a temporary name";
	Send("click SkipFile\n"
		"wait-hidden " + std::string(kProgress) + " 30\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(ChildGone(Children()[0]));
	std::vector<std::string> left;
	DIR* folder = opendir(fHome.File("music").c_str());
	ASSERT_NE(nullptr, folder);
	while (struct dirent* entry = readdir(folder)) {
		if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
			left.push_back(entry->d_name);
	}
	closedir(folder);
	EXPECT_EQ(std::vector<std::string>{ "a.wav" }, left);
	EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;
}


// "x" (a WAV without extension, which Gogo reads) then "x.mp3": the first
// entry's MP3 would replace the second before Gogo reads it, and with
// "Elimina file wave" both would be gone. In either order nothing starts:
// the two entries in list order, then the MP3; both files stay as they
// were. A folder beside a WAV of its name is no entry Gogo encodes: the
// run starts.
TEST_F(RunTest, OutputThatIsAnotherEntrysInputStartsNothing)
{
	std::string x = fHome.WriteFile("d/x", "RIFF senza estensione");
	std::string mp3 = fHome.WriteFile("d/x.mp3", "ID3 di prima");
	char* real = realpath(fHome.File("d").c_str(), NULL);
	ASSERT_NE(nullptr, real);
	std::string folder = real;
	free(real);
	std::string expected = "alert OutputClash: Due file verrebbero "
		"codificati nello stesso file MP3:\\n";
	for (int order = 0; order < 2; order++) {
		TolvexRunner runner(fHome);
		std::string first = order == 0 ? x : mp3;
		std::string second = order == 0 ? mp3 : x;
		RunResult result = runner.Run("drop FilesList " + first + " "
			+ second + "\n"
			"tab \"Opzioni di Gogo\"\n"
			"click DeleteWave\n"
			"click EncodeButton\n"
			"alert 0\n"
			"dump\n");
		ASSERT_EQ(0, result.status) << result.errors;
		EXPECT_EQ(expected + first + "\\n" + second + "\\n" + folder
			+ "/x.mp3", SplitLines(result.output)[0]);
		EXPECT_TRUE(Contains(DumpLine(result.output, "window " + std::string(
			kProgress)), "hidden=1")) << result.output;
	}
	EXPECT_EQ("", Argv());
	EXPECT_EQ("RIFF senza estensione", ReadFile(x));
	EXPECT_EQ("ID3 di prima", ReadFile(mp3));

	ASSERT_EQ(0, mkdir(fHome.File("d/y").c_str(), 0755));
	std::string y = fHome.File("d/y");
	std::string yWave = fHome.WriteFile("d/y.wav", "RIFF");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + y + " " + yWave + "\n"
		"click EncodeButton\n"
		"wait-hidden " + std::string(kProgress) + " 10\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + y + "]\nrun 2\n[" + yWave + "]\n", Argv());
	EXPECT_EQ("", result.output);
}


// A destination folder that is not there (Gogo takes "~" literally, and a
// relative name from the folder Tolvex started in) would fail every entry:
// the run does not start. An existing folder, named relative to where
// Tolvex started, runs.
TEST_F(RunTest, MissingOutputFolderStartsNothing)
{
	std::string a = Wave("a.wav");
	fHome.WriteFile("un file", "");
	struct Case {
		std::string folder;
		bool runs;
	} cases[] = {
		{ "/nonexistent/dir", false },
		{ "~/MP3 uscita", false },
		{ fHome.File("un file"), false },
		{ "music", true },
		{ fHome.File("music") + "/", true },
	};
	// Tolvex, and so Gogo, starts in the folder the test is in.
	char* here = getcwd(NULL, 0);
	ASSERT_NE(nullptr, here);
	ASSERT_EQ(0, chdir(fHome.Path().c_str()));
	for (const Case& test : cases) {
		TolvexRunner runner(fHome);
		RunResult result = runner.Run("drop FilesList " + a + "\n"
			"tab \"Opzioni di Gogo\"\n"
			"type OutputDirText \"" + test.folder + "\"\n"
			"click EncodeButton\n"
			+ (test.runs ? "" : "alert 0\n")
			+ "wait-hidden " + std::string(kProgress) + " 10\n");
		EXPECT_EQ(0, result.status) << result.errors;
		if (test.runs)
			EXPECT_EQ("", result.output) << test.folder;
		else {
			EXPECT_EQ("alert BadOutputFolder: La cartella di destinazione \""
				+ test.folder + "\" non esiste.\n", result.output);
		}
	}
	EXPECT_EQ(0, chdir(here));
	free(here);
	EXPECT_EQ("run 1\n[-o]\n[music]\n[" + a + "]\nrun 2\n[-o]\n["
		+ fHome.File("music") + "/]\n[" + a + "]\n", Argv());
}


// Files handed over during a run: a list is not opened (it would replace
// the batch under the encoder), a WAV joins the run at its end.
TEST_F(RunTest, RefsDuringARunKeepTheBatch)
{
	Modes("wait\n");
	std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav"),
		d = Wave("d.wav");
	std::string list = fHome.WriteFile("lista", "0;" + d + "\n0;" + c
		+ "\n");
	BNode node(list.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(B_OK, info.SetType("text/x-Tolvex-list"));
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + "\n"
		"click EncodeButton\n"
		"refs " + list + "\n"
		"alert 0\n"
		"refs " + c + "\n");
	WaitForChildren(1);
	Send("click SkipFile\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"dump\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("run 1\n[" + a + "]\nrun 2\n[" + b + "]\nrun 3\n[" + c
		+ "]\n", Argv());
	EXPECT_TRUE(Contains(DumpLine(result.output, "BStringView \"FileNumber\""),
		"text=\"File 3 di 3\"")) << result.output;
	EXPECT_EQ("alert BusyEncoding: Non è possibile aprire una lista durante "
		"la codifica.", SplitLines(result.output)[0]);
	EXPECT_TRUE(Contains(DumpLine(result.output, "FilesList \"FilesList\""),
		"items=3")) << result.output;
}


// What the report shows: one failure in the singular; Gogo's own
// "Gogo: PATH: " left out, so the path shows once; a carriage return ends
// a line as a line feed does (the last one counts); control bytes and
// bytes that are no UTF-8 as escapes. A skip does not hide the failures
// that follow it, "Ferma codifica" shows those before it, and a core dump
// is told by its signal.
TEST_F(RunTest, TheReportReadsWell)
{
	std::string a = Wave("a.wav");
	std::string b = Wave("b\x1b[2J.wav");
	fHome.WriteFile("line1", "Gogo: " + a + ": not an audio file\n");
	{
		TolvexRunner runner(fHome);
		Modes("say\nexit\n");
		RunResult result = runner.Run("drop FilesList " + a + " " + b + "\n"
			"click EncodeButton\n"
			"wait-hidden " + std::string(kProgress) + " 10\n"
			"alert 0\n");
		ASSERT_EQ(0, result.status) << result.errors;
		EXPECT_EQ("alert EncodeErrors: Codifica terminata: 1 file su 2 non "
			"è stato codificato.\\n" + a + ": not an audio file\n",
			result.output);
	}

	unlink(fHome.File("count").c_str());
	unlink(fHome.File("argv").c_str());
	// Not Gogo's own prefix: kept whole.
	fHome.WriteFile("line2", "Gogo: " + a + "x: no\n");
	// Whole characters of two, three and four bytes stay; a lone or cut
	// sequence, an overlong one, a surrogate and C1 controls do not.
	fHome.WriteFile("line3", "10%\r20%\rGogo: \x1b]0;titolo\x07 \xff\xc3("
		" \xc2\x9b\x32J \xc0\xaf \xed\xa0\x80 \xe2\x82 fine \xc3\xa8 "
		"\xe2\x80\xa6 \xf0\x9f\x98\x80 ~\x7f\xc2\xa0!\r");
	Modes("wait\nsay\nsay\ncore\nfail\nwait\n");
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + a + " " + b + " " + a + " " + a
		+ " " + a + "\n"
		"click EncodeButton\n");
	WaitForChildren(1);
	Send("click SkipFile\n");
	WaitForChildren(2);
	Send("click StopEncoding\n"
		"wait-hidden " + std::string(kProgress) + " 10\n"
		"alert 0\n");
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(6u, SplitLines(Argv()).size() / 2) << Argv();
	EXPECT_EQ("alert EncodeErrors: Codifica terminata: 4 file su 6 non "
		"sono stati codificati.\\n" + a + ": Gogo: " + a + "x: no\\n"
		+ fHome.File("music/b\\x1b[2J.wav") + ": Gogo: \\x1b]0;titolo"
		"\\x07 \\xff\\xc3( \\xc2\\x9b2J \\xc0\\xaf \\xed\\xa0\\x80 "
		"\\xe2\\x82 fine \xc3\xa8 \xe2\x80\xa6 \xf0\x9f\x98\x80 ~\\x7f"
		"\xc2\xa0!\\n" + a
		+ ": Gogo è stato interrotto dal segnale 11.\\n" + a + ": Gogo è "
		"terminato con il codice 3.\n", result.output);
}


// Quitting while a skipped encoder that ignores SIGTERM has its grace
// time: it is killed at once, it and its child, not left to run on.
TEST_F(RunTest, QuitDuringTheGraceOfASkipKillsTheEncoder)
{
	Modes("stubborn\n");
	std::string a = Wave("a.wav");
	TolvexRunner runner(fHome);
	Begin(runner);
	ASSERT_GT(fProgram, 0);
	Send("drop FilesList " + a + "\n"
		"click EncodeButton\n");
	WaitForChildren(2);
	Send("click SkipFile\n");
	for (int i = 0; i < 1000 && ReadFile(fHome.File("termed")).empty(); i++)
		usleep(5000);
	ASSERT_NE("", ReadFile(fHome.File("termed")));
	// From outside, as the driver would wait for the grace time first.
	ASSERT_EQ(0, kill(fProgram, SIGTERM));
	RunResult result = End(runner);
	EXPECT_EQ(0, result.status) << result.errors;
	for (const std::string& child : Children())
		EXPECT_TRUE(ChildGone(child)) << child;
}


// An encoder left to finish when Tolvex quits still has a reader for its
// error stream: what it writes after Tolvex has gone reaches where
// Tolvex's standard error went, and the encoder finishes.
TEST_F(RunTest, EncoderLeftToFinishKeepsItsErrorStream)
{
	Modes("late\n");
	std::string a = Wave("a.wav");
	TolvexRunner runner(fHome);
	RunResult result = runner.Run("drop FilesList " + a + "\n"
		"click EncodeButton\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("", ReadFile(fHome.File("late")));
	for (int i = 0; i < 1000 && ReadFile(fHome.File("late")).empty(); i++)
		usleep(10000);
	EXPECT_EQ("fatto\n", ReadFile(fHome.File("late")));
	std::string errors;
	for (int i = 0; i < 200 && !Contains(errors, "ancora qui"); i++) {
		usleep(10000);
		errors = ReadFile(fHome.File("stderr.txt"));
	}
	EXPECT_TRUE(Contains(errors, ".Gogo: ancora qui\n")) << errors;
}


// A dump right after a skip or a stop sees its consequence: after a skip
// the next entry at work, after a stop no encoder of the run left. Twenty
// rounds on a machine kept busy, where the killed encoder takes its time
// to end.
TEST_F(RunTest, DumpAfterSkipOrStopSeesItsConsequence)
{
	std::string modes;
	for (int i = 0; i < 40; i++)
		modes += "wait\n";
	Modes(modes);
	std::string a = Wave("a.wav"), b = Wave("b.wav");
	std::vector<pid_t> load;
	for (int i = 0; i < 3; i++) {
		pid_t hog = fork();
		ASSERT_GE(hog, 0);
		if (hog == 0) {
			while (true) {
			}
		}
		load.push_back(hog);
	}
	TolvexRunner runner(fHome);
	Begin(runner);
	Send("drop FilesList " + a + " " + b + "\n");
	for (int round = 0; round < 20; round++) {
		Send("click EncodeButton\n"
			"click SkipFile\n"
			"dump\n");
		std::string shown = WaitForDumps(2 * round + 1);
		EXPECT_TRUE(Contains(DumpLine(shown, "BStringView \"FileNumber\"",
			2 * round), "text=\"File 2 di 2\"")) << round;
		Send("click StopEncoding\n"
			"dump\n");
		WaitForDumps(2 * round + 2);
		EXPECT_EQ("", EncoderProcesses()) << round;
	}
	for (pid_t hog : load) {
		kill(hog, SIGKILL);
		waitpid(hog, NULL, 0);
	}
	RunResult result = End(runner);
	ASSERT_EQ(0, result.status) << result.errors;
}
