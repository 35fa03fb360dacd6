// What Gogo leaves behind when things go wrong: never a partial MP3 under
// the final name, never a deleted input without a complete MP3, and a
// message for every bad input.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "GogoRun.h"


namespace {

class GogoSafetyTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_EQ(0, mkdir(In("out").c_str(), 0755));
	}

	std::string In(const std::string& name) const
		{ return fHome.Path() + "/" + name; }

	// A clear message names the file or the option and says what is wrong.
	void ExpectRefused(const RunResult& run, const std::string& mentioned,
		const std::string& reason) const
	{
		EXPECT_NE(0, run.status);
		EXPECT_NE(std::string::npos, run.errors.find("Gogo: "))
			<< run.errors;
		EXPECT_NE(std::string::npos, run.errors.find(mentioned)) << run.errors;
		EXPECT_NE(std::string::npos, run.errors.find(reason)) << run.errors;
		// One line: a front end shows the last one as the reason.
		EXPECT_EQ(1, std::count(run.errors.begin(), run.errors.end(), '\n'))
			<< run.errors;
		EXPECT_TRUE(FolderNames(In("out")).empty());
	}

	TemporaryHome fHome;
};


TEST_F(GogoSafetyTest, DeleteRemovesTheInputOnlyAfterSuccess)
{
	WriteWave(In("x.wav"), 2, 44100, 1);
	RunResult run = RunGogo({ "-nopsy", "-delete", "-silent", In("x.wav") });
	ASSERT_EQ(0, run.status) << run.errors;
	EXPECT_FALSE(Exists(In("x.wav")));
	EXPECT_GT(ReadFile(In("x.mp3")).size(), 1000u);

	// Failures keep it: a folder that is not there, a disk that fills up.
	WriteWave(In("y.wav"), 2, 44100, 1);
	RunResult noFolder = RunGogo({ "-delete", "-o", In("missing"),
		In("y.wav") });
	EXPECT_NE(0, noFolder.status);
	EXPECT_TRUE(Exists(In("y.wav")));

	RunResult full = RunGogo({ "-delete", "-o", In("out"), In("y.wav") },
		4096);
	EXPECT_NE(0, full.status);
	EXPECT_TRUE(Exists(In("y.wav")));
	EXPECT_TRUE(FolderNames(In("out")).empty());

	// A WAV without audio is no success, with an empty data chunk last or
	// followed by other chunks.
	WriteWave(In("header.wav"), 2, 44100, 0);
	std::string header = ReadFile(In("header.wav"));
	fHome.WriteFile("listed.wav", header + std::string("LIST\5\0\0\0INFOx",
		13));
	for (const char* name : { "header.wav", "listed.wav" }) {
		SCOPED_TRACE(name);
		RunResult empty = RunGogo({ "-delete", "-o", In("out"), In(name) });
		EXPECT_EQ(1, empty.status);
		EXPECT_TRUE(Contains(empty.errors, std::string(name)
			+ ": the file holds no audio")) << empty.errors;
		EXPECT_TRUE(Exists(In(name)));
		EXPECT_TRUE(FolderNames(In("out")).empty());
	}

	// A recording still under way: what came after Gogo looked is in no
	// MP3, so the WAV stays, and the run is no success.
	WriteWave(In("growing.wav"), 2, 44100, 20);
	GogoProcess gogo({ "-delete", "-o", In("out"), In("growing.wav") });
	ASSERT_TRUE(gogo.WaitForProgress());
	FILE* recorder = fopen(In("growing.wav").c_str(), "ab");
	ASSERT_TRUE(recorder != NULL);
	std::string more(4 * 44100, '\0');
	EXPECT_EQ(more.size(), fwrite(more.data(), 1, more.size(), recorder));
	fclose(recorder);
	int status = gogo.Wait();
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(1, WEXITSTATUS(status));
	EXPECT_TRUE(Exists(In("growing.wav")));

	// One cut short while Gogo reads it gives no MP3 that passes for whole.
	ASSERT_EQ(0, unlink(In("out/growing.mp3").c_str()));
	GogoProcess cut({ "-o", In("out"), In("growing.wav") });
	ASSERT_TRUE(cut.WaitForProgress());
	ASSERT_EQ(0, truncate(In("growing.wav").c_str(), 44 + 4 * 44100 * 10));
	status = cut.Wait();
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(1, WEXITSTATUS(status));
	EXPECT_TRUE(FolderNames(In("out")).empty());
}


TEST_F(GogoSafetyTest, FullDiskLeavesNoFileAndKeepsAnOlderOne)
{
	WriteWave(In("z.wav"), 2, 44100, 2);
	RunResult full = RunGogo({ "-o", In("out"), In("z.wav") }, 8192);
	EXPECT_NE(0, full.status);
	EXPECT_NE(std::string::npos, full.errors.find("z.mp3")) << full.errors;
	EXPECT_NE(std::string::npos, full.errors.find("File too large"))
		<< full.errors;
	EXPECT_TRUE(FolderNames(In("out")).empty());

	// The same message when the disk fills up in the middle of a file
	// encoded in segments on several threads.
	WriteWave(In("long.wav"), 2, 44100, 25);
	RunResult middle = RunGogo({ "-silent", "-threads", "2", "-o", In("out"),
		In("long.wav") }, 200000);
	EXPECT_EQ(1, middle.status);
	EXPECT_EQ("Gogo: cannot write " + In("out/long.mp3") + ": File too "
		"large\n", middle.errors);
	EXPECT_TRUE(FolderNames(In("out")).empty());

	// An MP3 of the same name stays as it was until a new one is whole.
	fHome.WriteFile("out/z.mp3", "older");
	full = RunGogo({ "-o", In("out"), In("z.wav") }, 8192);
	EXPECT_NE(0, full.status);
	EXPECT_EQ("older", ReadFile(In("out/z.mp3")));
	EXPECT_EQ(std::vector<std::string>{ "z.mp3" }, FolderNames(In("out")));

	RunResult whole = RunGogo({ "-silent", "-o", In("out"), In("z.wav") });
	ASSERT_EQ(0, whole.status) << whole.errors;
	EXPECT_GT(ReadFile(In("out/z.mp3")).size(), 10000u);
	EXPECT_EQ(std::vector<std::string>{ "z.mp3" }, FolderNames(In("out")));
}


TEST_F(GogoSafetyTest, KilledRunLeavesNothingAndKeepsTheInput)
{
	// Long enough to be caught in the middle.
	WriteWave(In("long.wav"), 2, 44100, 60);
	fHome.WriteFile("out/long.mp3", "older");
	for (int signalNumber : { SIGKILL, SIGTERM, SIGINT }) {
		SCOPED_TRACE(strsignal(signalNumber));
		GogoProcess gogo({ "-delete", "-o", In("out"), In("long.wav") });
		ASSERT_TRUE(gogo.WaitForProgress());
		gogo.Kill(signalNumber);
		int status = gogo.Wait();
		ASSERT_TRUE(WIFSIGNALED(status)) << "finished before the signal";
		EXPECT_EQ(signalNumber, WTERMSIG(status));
		EXPECT_TRUE(Exists(In("long.wav")));
		EXPECT_EQ("older", ReadFile(In("out/long.mp3")));
		EXPECT_EQ(std::vector<std::string>{ "long.mp3" },
			FolderNames(In("out")));
	}
}


// Gogo x.wav | head -c 3: the reader goes away after the first bytes of
// progress, and the MP3 is still finished whole, with success.
TEST_F(GogoSafetyTest, ReaderThatGoesAwayStopsNothing)
{
	WriteWave(In("piped.wav"), 2, 44100, 20);
	GogoProcess gogo({ "-o", In("out"), In("piped.wav") });
	ASSERT_TRUE(gogo.WaitForProgress());
	gogo.CloseOutput();
	int status = gogo.Wait();
	ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
	EXPECT_EQ(0, WEXITSTATUS(status));

	ASSERT_EQ(0, mkdir(In("whole").c_str(), 0755));
	RunResult whole = RunGogo({ "-silent", "-o", In("whole"),
		In("piped.wav") });
	ASSERT_EQ(0, whole.status) << whole.errors;
	std::string expected = ReadFile(In("whole/piped.mp3"));
	EXPECT_GT(expected.size(), 100000u);
	EXPECT_TRUE(ReadFile(In("out/piped.mp3")) == expected);
}


TEST_F(GogoSafetyTest, BadInputsGiveAMessageAndNoFile)
{
	ExpectRefused(RunGogo({ "-o", In("out"), In("missing.wav") }),
		"missing.wav", "No such file");
	ExpectRefused(RunGogo({ In("missing.wav") }), "missing.wav",
		"No such file");

	fHome.WriteFile("text.wav", "RIFF but then only words, no audio at all");
	ExpectRefused(RunGogo({ "-o", In("out"), In("text.wav") }), "text.wav",
		"not an audio file");
	fHome.WriteFile("empty.wav", "");
	ExpectRefused(RunGogo({ "-o", In("out"), In("empty.wav") }), "empty.wav",
		"not an audio file");
	ExpectRefused(RunGogo({ "-o", In("out"), In("out") }), "out",
		"not a file");
	ASSERT_EQ(0, mkfifo(In("pipe.wav").c_str(), 0644));
	ExpectRefused(RunGogo({ "-o", In("out"), In("pipe.wav") }), "pipe.wav",
		"not a file");

	WriteWave(In("surround.wav"), 6, 44100, 0.2);
	ExpectRefused(RunGogo({ "-o", In("out"), In("surround.wav") }),
		"surround.wav", "mono and stereo only");

	if (geteuid() != 0) {
		WriteWave(In("secret.wav"), 1, 8000, 0.1);
		chmod(In("secret.wav").c_str(), 0);
		ExpectRefused(RunGogo({ "-o", In("out"), In("secret.wav") }),
			"secret.wav", "Permission denied");
	}
}


TEST_F(GogoSafetyTest, BadFoldersGiveAMessage)
{
	WriteWave(In("w.wav"), 1, 8000, 0.1);
	ExpectRefused(RunGogo({ "-o", In("nowhere"), In("w.wav") }), "nowhere",
		"No such file");
	fHome.WriteFile("plain", "a file");
	ExpectRefused(RunGogo({ "-o", In("plain"), In("w.wav") }), "plain",
		"Not a directory");
	// The front end quotes a folder of blanks into one word.
	ExpectRefused(RunGogo({ "-o", "   ", In("w.wav") }), "   ",
		"No such file");
	if (geteuid() != 0) {
		ASSERT_EQ(0, mkdir(In("locked").c_str(), 0555));
		ExpectRefused(RunGogo({ "-o", In("locked"), In("w.wav") }), "locked",
			"Permission denied");
	}
	EXPECT_FALSE(Exists(In("w.mp3")));
	EXPECT_EQ("a file", ReadFile(In("plain")));
}


TEST_F(GogoSafetyTest, BadCommandLinesGiveAMessage)
{
	WriteWave(In("c.wav"), 1, 8000, 0.1);
	const struct {
		std::vector<std::string>	arguments;
		const char*					mentioned;
	} lines[] = {
		{ { "-x", In("c.wav") }, "-x: unknown option" },
		{ { "--bitrate", "128", In("c.wav") }, "--bitrate: unknown option" },
		{ { "-b", "100", In("c.wav") }, "-b 100: not a bit rate" },
		{ { "-b", "fast", In("c.wav") }, "-b fast: not a number" },
		{ { "-m", "q", In("c.wav") }, "-m q: the mode is m, s or j" },
		{ { "-v", "10", In("c.wav") }, "-v 10: the VBR quality is 0 to 9" },
		{ { "-o", In("c.wav") }, "-o needs a value" },
		{ { "-threads", "0", In("c.wav") },
			"-threads 0: the number of threads is 1 to 256" },
		{ { "-threads", "257", In("c.wav") },
			"-threads 257: the number of threads is 1 to 256" },
		{ { "-threads", "two", In("c.wav") }, "-threads two: not a number" },
		{ { In("c.wav"), "-threads" }, "no input file" },
		{ { In("c.wav"), "-single" }, "no input file" },
		{ { In("c.wav"), "-b" }, "no input file" },
		{ { }, "no input file" },
		{ { "", "" }, "no input file" },
	};
	for (const auto& line : lines) {
		SCOPED_TRACE(line.mentioned);
		RunResult run = RunGogo(line.arguments);
		EXPECT_EQ(2, run.status);
		EXPECT_NE(std::string::npos, run.errors.find(line.mentioned))
			<< run.errors;
		EXPECT_EQ("", run.output);
	}
	EXPECT_FALSE(Exists(In("c.mp3")));
}

}	// namespace


// With -delete the WAV goes only when everything after its header is what
// Gogo encoded, other chunks, or an ID3v1 tag of 128 bytes at the end. A
// data chunk that declares half a second followed by a second of samples
// is encoded as declared, as lame does, but the WAV is kept: the rest may
// be audio the MP3 lacks.
TEST_F(GogoSafetyTest, DeleteKeepsAWaveThatHoldsMoreThanItsAudio)
{
	WriteWave(In("whole.wav"), 2, 44100, 1.5);
	std::string whole = ReadFile(In("whole.wav"));
	size_t data = whole.find("data", 12);
	ASSERT_NE(std::string::npos, data);
	std::string half = whole;
	const uint32_t declared = 44100 * 4 / 2;
	for (int i = 0; i < 4; i++)
		half[data + 4 + i] = (char)(declared >> (8 * i));
	std::string audio = half.substr(0, data + 8 + declared);
	std::string tag = "TAG" + std::string(125, 'x');
	std::string list("LIST\5\0\0\0INFOx\0", 14);
	fHome.WriteFile("reference.wav", audio);
	RunResult lame = RunProgram("lame", { "--silent", "-b", "128",
		In("reference.wav"), In("reference.mp3") });
	ASSERT_EQ(0, lame.status) << lame.errors;
	std::string expected = ReadFile(In("reference.mp3"));

	const struct {
		const char*	name;
		std::string	after;
		bool		deleted;
	} cases[] = {
		{ "more.wav", whole.substr(data + 8 + declared), false },
		{ "chunk.wav", list, true },
		{ "tag.wav", tag, true },
		{ "both.wav", list + tag, true },
		// More audio than declared, then a tag: the tag at the end does
		// not make the audio before it a chunk.
		{ "more-tag.wav", whole.substr(data + 8 + declared) + tag, false },
		{ "chunk-more-tag.wav", list + whole.substr(data + 8 + declared)
			+ tag, false },
		{ "short-tag.wav", tag.substr(1), false },
		{ "long-tag.wav", tag + "y", false },
		{ "nothing.wav", "", true },
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		fHome.WriteFile(test.name, audio + test.after);
		RunResult run = RunGogo({ "-silent", "-delete", "-b", "128", "-o",
			In("out"), In(test.name) });
		std::string mp3 = std::string(test.name, strlen(test.name) - 4)
			+ ".mp3";
		EXPECT_TRUE(ReadFile(In("out/" + mp3)) == expected);
		EXPECT_EQ(!test.deleted, Exists(In(test.name)));
		if (test.deleted) {
			EXPECT_EQ(0, run.status) << run.errors;
			continue;
		}
		EXPECT_EQ(1, run.status);
		EXPECT_EQ("Gogo: " + In("out/" + mp3) + " written, but "
			+ In(test.name) + " holds more after its audio than its "
			"header declares; it was not deleted\n", run.errors);
		// Without -delete nothing is wrong: the file stays anyway.
		RunResult kept = RunGogo({ "-silent", "-b", "128", "-o", In("out"),
			In(test.name) });
		EXPECT_EQ(0, kept.status) << kept.errors;
	}
}


// A WAV of two data chunks is refused whole, and kept: libsndfile would
// read the last one, while the length checks and -delete look at the
// first, so that a 0.05 s MP3 once replaced 1.5 s of audio.
TEST_F(GogoSafetyTest, WaveOfTwoDataChunksIsRefusedAndKept)
{
	WriteWave(In("whole.wav"), 2, 44100, 1.5);
	std::string whole = ReadFile(In("whole.wav"));
	size_t data = whole.find("data", 12);
	ASSERT_NE(std::string::npos, data);
	std::string header = whole.substr(0, data);
	std::string audio = whole.substr(data);
	std::string sliver("data\144\0\0\0", 8);
	sliver += std::string(100, '\1');
	std::string list("LIST\5\0\0\0INFOx\0", 14);
	std::string tag = "TAG" + std::string(125, 'x');
	std::string empty("data\0\0\0\0", 8);

	const struct {
		const char*	name;
		std::string	bytes;
	} cases[] = {
		{ "sliver.wav", header + audio + sliver + list },
		{ "sliver-tag.wav", header + audio + sliver + tag },
		{ "chunk-between.wav", header + audio + list + sliver },
		{ "sliver-first.wav", header + sliver + audio },
		{ "empty-first.wav", header + empty + audio },
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		fHome.WriteFile(test.name, test.bytes);
		for (bool remove : { true, false }) {
			std::vector<std::string> words = { "-silent", "-o", In("out"),
				In(test.name) };
			if (remove)
				words.insert(words.begin(), "-delete");
			RunResult run = RunGogo(words);
			ExpectRefused(run, test.name, "holds more than one data chunk");
			EXPECT_EQ("Gogo: " + In(test.name) + ": holds more than one data "
				"chunk; Gogo encodes a WAV of one only\n", run.errors);
			EXPECT_EQ(1, run.status);
			EXPECT_TRUE(ReadFile(In(test.name)) == test.bytes);
		}
	}

	// One data chunk followed by other chunks is no such file.
	fHome.WriteFile("one.wav", whole + list);
	RunResult one = RunGogo({ "-silent", "-delete", "-o", In("out"),
		In("one.wav") });
	EXPECT_EQ(0, one.status) << one.errors;
	EXPECT_FALSE(Exists(In("one.wav")));
}


// Files that change under Gogo, or are cut short, are never taken for
// whole: another file renamed over the input while it is encoded is not
// deleted, and a 24-bit WAV cut short gives no MP3.
TEST_F(GogoSafetyTest, ChangedOrCutInputsAreNotTakenForWhole)
{
	WriteWave(In("x.wav"), 2, 44100, 20);
	fHome.WriteFile("other.wav", "un altro file");
	GogoProcess gogo({ "-delete", "-o", In("out"), In("x.wav") });
	ASSERT_TRUE(gogo.WaitForProgress());
	ASSERT_EQ(0, rename(In("other.wav").c_str(), In("x.wav").c_str()));
	int status = gogo.Wait();
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(1, WEXITSTATUS(status));
	EXPECT_EQ("un altro file", ReadFile(In("x.wav")));

	WriteWave(In("deep.wav"), 2, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
	std::string deep = ReadFile(In("deep.wav"));
	fHome.WriteFile("deep.wav", deep.substr(0, deep.size() - 6 * 1000));
	RunResult cut = RunGogo({ "-delete", "-o", In("out"), In("deep.wav") });
	EXPECT_EQ(1, cut.status);
	EXPECT_TRUE(Contains(cut.errors, "deep.wav: only 43100 of 44100 frames "
		"could be read")) << cut.errors;
	EXPECT_TRUE(Exists(In("deep.wav")));
	EXPECT_FALSE(Exists(In("out/deep.mp3")));
}


// Odd inputs and outputs: an empty data chunk followed by an "id3 " chunk
// holds no audio; a line end in the input's name does not split the one
// line of the message; an MP3 the user may not write is not replaced.
TEST_F(GogoSafetyTest, OddInputsAndOutputs)
{
	WriteWave(In("header.wav"), 2, 44100, 0);
	std::string id3("id3 \12\0\0\0ID3\3\0\0\0\0\0\0", 18);
	fHome.WriteFile("tagged.wav", ReadFile(In("header.wav")) + id3);
	ExpectRefused(RunGogo({ "-delete", "-o", In("out"), In("tagged.wav") }),
		"tagged.wav", "tagged.wav: the file holds no audio");
	EXPECT_TRUE(Exists(In("tagged.wav")));

	RunResult lines = RunGogo({ In("a\rb\nc.wav") });
	EXPECT_EQ("Gogo: " + In("a?b?c.wav") + ": No such file or directory\n",
		lines.errors);

	// As nobody, where the test runs as root: root may write any file.
	ASSERT_EQ(0, chmod(fHome.Path().c_str(), 0755));
	ASSERT_EQ(0, chmod(In("out").c_str(), 0777));
	WriteWave(In("out/x.wav"), 1, 8000, 0.2);
	fHome.WriteFile("out/x.mp3", "non mio");
	ASSERT_EQ(0, chmod(In("out/x.mp3").c_str(), 0444));
	std::vector<std::string> words;
	std::string program = GOGO_BINARY;
	if (geteuid() == 0) {
		words = { "--reuid=65534", "--regid=65534", "--clear-groups",
			program };
		program = "setpriv";
	}
	words.insert(words.end(), { "-silent", In("out/x.wav") });
	RunResult refused = RunProgram(program, words);
	EXPECT_EQ(1, refused.status);
	EXPECT_EQ("Gogo: cannot write " + In("out/x.mp3") + ": Permission "
		"denied\n", refused.errors);
	EXPECT_EQ("non mio", ReadFile(In("out/x.mp3")));
	std::vector<std::string> names = FolderNames(In("out"));
	std::sort(names.begin(), names.end());
	EXPECT_EQ((std::vector<std::string>{ "x.mp3", "x.wav" }), names);
}
