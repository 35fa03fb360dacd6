// Gogo encodes as lame does, names its output as the front end expects and
// reads the WAV variants a user is likely to have.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <math.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "GogoRun.h"


namespace {

class GogoEncodeTest : public testing::Test {
protected:
	std::string In(const std::string& name) const
		{ return fHome.Path() + "/" + name; }

	void MakeFolder(const std::string& name) const
		{ ASSERT_EQ(0, mkdir(In(name).c_str(), 0755)); }

	TemporaryHome fHome;
};


struct Source {
	const char*	name;
	int			channels;
	int			rate;
};


TEST_F(GogoEncodeTest, ByteIdenticalToLame)
{
	const Source sources[] = {
		{ "mono22.wav", 1, 22050 },
		{ "stereo22.wav", 2, 22050 },
		{ "mono44.wav", 1, 44100 },
		{ "stereo44.wav", 2, 44100 },
	};
	// Gogo's options, then lame's for the same encoding.
	const std::vector<std::vector<std::string> > settings[] = {
		{ { "-b", "128", "-m", "j" }, { "-b", "128", "-m", "j" } },
		{ { "-b", "64", "-m", "m" }, { "-b", "64", "-m", "m" } },
		{ { "-b", "320", "-m", "s" }, { "-b", "320", "-m", "s" } },
		{ { "-b", "32" }, { "-b", "32" } },
		{ { }, { } },
		{ { "-nopsy", "-b", "96" }, { "-q", "9", "-b", "96" } },
		{ { "-v", "4" }, { "-V", "4" } },
		// Of -b and -v the later counts, as the front end puts the user's
		// extra options after its own.
		{ { "-v", "4", "-b", "96" }, { "-b", "96" } },
		{ { "-b", "96", "-v", "2" }, { "-V", "2" } },
	};
	MakeFolder("out");
	for (const Source& source : sources) {
		WriteWave(In(source.name), source.channels, source.rate, 1.5);
		for (const auto& setting : settings) {
			std::string what = std::string(source.name) + " with lame";
			for (const std::string& word : setting[1])
				what += " " + word;
			SCOPED_TRACE(what);

			std::vector<std::string> gogo = setting[0];
			gogo.insert(gogo.end(), { "-silent", "-o", In("out"),
				In(source.name) });
			RunResult ours = RunGogo(gogo);
			ASSERT_EQ(0, ours.status) << ours.errors;

			std::vector<std::string> lame = setting[1];
			lame.insert(lame.end(), { "--silent", In(source.name),
				In("reference.mp3") });
			RunResult theirs = RunProgram("lame", lame);
			ASSERT_EQ(0, theirs.status) << "lame is needed: " << theirs.errors;

			std::string expected = ReadFile(In("reference.mp3"));
			std::string mp3 = std::string(source.name);
			mp3.replace(mp3.size() - 4, 4, ".mp3");
			std::string written = ReadFile(In("out/" + mp3));
			ASSERT_GT(expected.size(), 1000u);
			EXPECT_TRUE(written == expected) << "sizes " << written.size()
				<< " and " << expected.size();
		}
	}
}


TEST_F(GogoEncodeTest, NamesTheOutputAfterTheInput)
{
	MakeFolder("out");
	const struct {
		const char*	input;
		const char*	output;
	} names[] = {
		{ "song.wav", "song.mp3" },
		{ "LOUD.WAV", "LOUD.mp3" },
		{ "mixed.Wav", "mixed.mp3" },
		{ "twice.wav.wav", "twice.wav.mp3" },
		{ "no extension", "no extension.mp3" },
		{ "other.aiff", "other.aiff.mp3" },
		{ "wav", "wav.mp3" },
	};
	for (const auto& name : names) {
		SCOPED_TRACE(name.input);
		WriteWave(In(name.input), 1, 8000, 0.2);

		// Beside the input, and the same in -o's folder.
		RunResult beside = RunGogo({ "-silent", In(name.input) });
		ASSERT_EQ(0, beside.status) << beside.errors;
		EXPECT_TRUE(Exists(In(name.output)));

		RunResult elsewhere = RunGogo({ "-o", In("out"), "-silent",
			In(name.input) });
		ASSERT_EQ(0, elsewhere.status) << elsewhere.errors;
		EXPECT_TRUE(Exists(In("out/") + name.output));
		EXPECT_EQ(ReadFile(In(name.output)), ReadFile(In("out/") + name.output));
	}
}


// A recorder that stopped before it wrote the sizes leaves a data chunk of
// 0 (or 0xFFFFFFFF) bytes with the audio after it: Gogo encodes all of it,
// as from the proper file, and then may delete the file.
TEST_F(GogoEncodeTest, ReadsAWaveWhoseDataSizeWasNeverWritten)
{
	WriteWave(In("proper.wav"), 2, 44100, 3);
	RunResult lame = RunProgram("lame", { "--silent", "-b", "128",
		In("proper.wav"), In("reference.mp3") });
	ASSERT_EQ(0, lame.status) << lame.errors;
	std::string expected = ReadFile(In("reference.mp3"));
	// Three seconds at 128 kbit/s.
	ASSERT_NEAR(3 * 128000 / 8, expected.size(), 2000u);

	std::string proper = ReadFile(In("proper.wav"));
	size_t data = proper.find("data", 12);
	ASSERT_NE(std::string::npos, data);
	for (const char* size : { "\0\0\0\0", "\xff\xff\xff\xff" }) {
		SCOPED_TRACE(size[0] == 0 ? "size 0" : "size 0xFFFFFFFF");
		std::string cut = proper;
		cut.replace(data + 4, 4, size, 4);
		// The RIFF size as unwritten as the data's.
		cut.replace(4, 4, size, 4);
		fHome.WriteFile("cut.wav", cut);
		RunResult run = RunGogo({ "-silent", "-delete", "-b", "128",
			In("cut.wav") });
		ASSERT_EQ(0, run.status) << run.errors;
		EXPECT_TRUE(ReadFile(In("cut.mp3")) == expected);
		EXPECT_FALSE(Exists(In("cut.wav")));
	}
}


// The longest name a folder takes: from a WAV of 255 bytes an MP3 of 255,
// in either folder. Where the MP3's name would be longer, Gogo says so
// before it encodes anything.
TEST_F(GogoEncodeTest, LongestNames)
{
	MakeFolder("out");
	std::string longest = std::string(251, 'n') + ".wav";
	WriteWave(In(longest), 1, 8000, 0.5);
	RunResult beside = RunGogo({ "-silent", In(longest) });
	ASSERT_EQ(0, beside.status) << beside.errors;
	std::string mp3 = std::string(251, 'n') + ".mp3";
	EXPECT_GT(ReadFile(In(mp3)).size(), 300u);
	RunResult elsewhere = RunGogo({ "-silent", "-o", In("out"), In(longest) });
	ASSERT_EQ(0, elsewhere.status) << elsewhere.errors;
	EXPECT_EQ(std::vector<std::string>{ mp3 }, FolderNames(In("out")));

	std::string other = std::string(250, 'o') + ".aiff";
	WriteWave(In(other), 1, 8000, 0.5);
	RunResult tooLong = RunGogo({ "-delete", "-o", In("out"), In(other) });
	EXPECT_EQ(1, tooLong.status);
	EXPECT_TRUE(Contains(tooLong.errors, other + ".mp3: File name too long"))
		<< tooLong.errors;
	EXPECT_FALSE(Contains(tooLong.output, "%")) << tooLong.output;
	EXPECT_EQ(std::vector<std::string>{ mp3 }, FolderNames(In("out")));
	EXPECT_TRUE(Exists(In(other)));
}


TEST_F(GogoEncodeTest, OutputFolderTakesNothingBesideTheInput)
{
	MakeFolder("in");
	MakeFolder("My Music");
	WriteWave(In("in/track.wav"), 2, 44100, 0.5);
	RunResult run = RunGogo({ "-b", "128", "-m", "j", "-o", In("My Music"),
		In("in/track.wav") });
	ASSERT_EQ(0, run.status) << run.errors;
	EXPECT_EQ(std::vector<std::string>{ "track.mp3" },
		FolderNames(In("My Music")));
	EXPECT_EQ(std::vector<std::string>{ "track.wav" }, FolderNames(In("in")));
}


TEST_F(GogoEncodeTest, EmptyWordsAndAnyOrderOfOptions)
{
	MakeFolder("a");
	MakeFolder("b");
	WriteWave(In("x.wav"), 2, 22050, 0.5);
	// As the front end passes "-b 128  -m j" and trailing blanks.
	RunResult first = RunGogo({ "", "-b", "128", "", "-m", "j", "-o", In("a"),
		"-silent", "", In("x.wav"), "" });
	ASSERT_EQ(0, first.status) << first.errors;
	RunResult second = RunGogo({ "-silent", "-o", In("b"), "-m", "j", "-b",
		"128", In("x.wav") });
	ASSERT_EQ(0, second.status) << second.errors;
	EXPECT_FALSE(ReadFile(In("a/x.mp3")).empty());
	EXPECT_EQ(ReadFile(In("a/x.mp3")), ReadFile(In("b/x.mp3")));
}


// PCM as lame encodes it, byte for byte; floating point is read at full
// precision and may differ from lame in the last bits.
TEST_F(GogoEncodeTest, ReadsTheCommonWaveVariants)
{
	const struct {
		const char*	name;
		int			format;
		int			channels;
		int			rate;
		bool		sameAsLame;
	} variants[] = {
		{ "u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 11025, true },
		{ "s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, true },
		{ "s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2, 32000, true },
		{ "float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, false },
		{ "double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 16000, false },
		{ "extensible.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100,
			true },
		{ "extfloat.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 1, 24000, false },
	};
	for (const auto& variant : variants) {
		SCOPED_TRACE(variant.name);
		const double seconds = 1.0;
		WriteWave(In(variant.name), variant.channels, variant.rate, seconds,
			variant.format);
		RunResult run = RunGogo({ "-silent", "-b", "128", In(variant.name) });
		ASSERT_EQ(0, run.status) << run.errors;

		// lame decodes it back to about the same length, with sound in it.
		std::string mp3 = In(variant.name);
		mp3.replace(mp3.size() - 4, 4, ".mp3");
		if (variant.sameAsLame) {
			RunResult lame = RunProgram("lame", { "--silent", "-b", "128",
				In(variant.name), In("reference.mp3") });
			ASSERT_EQ(0, lame.status) << lame.errors;
			EXPECT_TRUE(ReadFile(mp3) == ReadFile(In("reference.mp3")));
		}
		RunResult decode = RunProgram("lame", { "--silent", "--decode", mp3,
			In("decoded.wav") });
		ASSERT_EQ(0, decode.status) << decode.errors;
		SF_INFO info = {};
		SNDFILE* decoded = sf_open(In("decoded.wav").c_str(), SFM_READ, &info);
		ASSERT_TRUE(decoded != NULL);
		std::vector<float> samples(info.frames * info.channels);
		sf_readf_float(decoded, samples.data(), info.frames);
		sf_close(decoded);
		double seconds_out = (double)info.frames / info.samplerate;
		EXPECT_NEAR(seconds, seconds_out, 0.1);
		double energy = 0;
		for (float sample : samples)
			energy += sample * sample;
		// The tones have a mean square of about 0.065.
		EXPECT_NEAR(0.065, energy / samples.size(), 0.02);
	}
}


// Progress is for someone at a terminal: shown only when standard error
// is one, so that a front end or a pipe reads Gogo's output undisturbed.
TEST_F(GogoEncodeTest, ProgressOnOneLineAtATerminalUnlessSilent)
{
	WriteWave(In("p.wav"), 2, 44100, 3);
	struct Case {
		const char*	name;
		bool		terminal;
		bool		silent;
		bool		shown;
	} cases[] = {
		{ "at a terminal", true, false, true },
		{ "at a terminal, silent", true, true, false },
		{ "errors on a pipe", false, false, false },
		{ "errors on a pipe, silent", false, true, false },
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		std::vector<std::string> arguments;
		if (test.silent)
			arguments.push_back("-silent");
		arguments.push_back(In("p.wav"));
		RunResult run = RunGogo(arguments, -1, test.terminal);
		ASSERT_EQ(0, run.status) << run.errors;
		EXPECT_TRUE(run.errors.empty()) << run.errors;
		if (!test.shown) {
			EXPECT_EQ("", run.output);
			continue;
		}
		EXPECT_NE(std::string::npos, run.output.find("\r100%"))
			<< run.output;
		EXPECT_NE(std::string::npos, run.output.find("x real time"));
		// One line: updates return to its start, and only the end starts
		// a new one.
		EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(),
			'\n'));
		EXPECT_EQ('\n', run.output.back());
	}
}


TEST_F(GogoEncodeTest, HelpDescribesEveryOption)
{
	RunResult help = RunGogo({ "--help" });
	EXPECT_EQ(0, help.status);
	for (const char* option : { "-b KBPS", "-m MODE", "-nopsy", "-delete",
			"-o DIR", "-v N", "-threads N", "-single", "-silent", "--help",
			"lame -q 9" }) {
		EXPECT_NE(std::string::npos, help.output.find(option)) << option;
	}
}

}	// namespace


namespace {

void
Little(std::string* bytes, uint64_t value, int size)
{
	for (int i = 0; i < size; i++)
		bytes->push_back((char)(value >> (8 * i)));
}


// The mean square of a stretch of samples.
double
Power(const std::vector<float>& samples, size_t from, size_t to)
{
	double sum = 0;
	for (size_t i = from; i < to; i++)
		sum += samples[i] * samples[i];
	return sum / (to - from);
}

} // namespace


// A recorder that stopped writing past 4 GiB leaves both sizes at
// 0xFFFFFFFF: Gogo reads the file to its end, so the MP3 is as long as the
// audio and holds the tone of its last seconds, and only then does -delete
// remove the WAV. The file is sparse, so only those seconds take room;
// 64-bit samples at 48 kHz, mono output at 32 kbit/s without the
// psycho-acoustic model make the 1.75 hours of sound cheap to encode
// (about 30 s, as much under the sanitizers: LAME does the work).
TEST_F(GogoEncodeTest, ReadsPastFourGibibytes)
{
	const uint64_t rate = 48000;
	const uint64_t frameBytes = 2 * 8;
	const uint64_t dataSize = 9ull << 29;
	const uint64_t frames = dataSize / frameBytes;
	const uint64_t toneFrames = 10 * rate;
	std::string header = "RIFF";
	Little(&header, 0xFFFFFFFF, 4);
	header += "WAVEfmt ";
	Little(&header, 16, 4);
	Little(&header, 3, 2);
	Little(&header, 2, 2);
	Little(&header, rate, 4);
	Little(&header, rate * frameBytes, 4);
	Little(&header, frameBytes, 2);
	Little(&header, 64, 2);
	header += "data";
	Little(&header, 0xFFFFFFFF, 4);
	std::string tone;
	for (uint64_t i = 0; i < toneFrames; i++) {
		double value = 0.8 * sin(2 * M_PI * 1000 * i / rate);
		uint64_t bits;
		memcpy(&bits, &value, sizeof(bits));
		Little(&tone, bits, 8);
		Little(&tone, bits, 8);
	}
	std::string wave = In("big.wav");
	int fd = open(wave.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	ASSERT_GE(fd, 0);
	ASSERT_EQ((ssize_t)header.size(), write(fd, header.data(),
		header.size()));
	ASSERT_EQ(0, ftruncate(fd, header.size() + dataSize));
	ASSERT_EQ((ssize_t)tone.size(), pwrite(fd, tone.data(), tone.size(),
		header.size() + dataSize - tone.size()));
	close(fd);

	RunResult run = RunGogo({ "-silent", "-delete", "-b", "32", "-m", "m",
		"-nopsy", wave }, -1);
	ASSERT_EQ(0, run.status) << run.errors;
	EXPECT_FALSE(Exists(wave));
	std::string mp3 = ReadFile(In("big.mp3"));
	// 4 GiB would have been 5592 s of sound, 11% less.
	double seconds = (double)frames / rate;
	EXPECT_NEAR(seconds * 4000, (double)mp3.size(), seconds * 4000 * 0.002);

	// The last 20 s of the MP3, decoded: silence, then the tone.
	fHome.WriteFile("tail.mp3", mp3.substr(mp3.size() - 20 * 4000));
	RunResult decode = RunProgram("lame", { "--silent", "--decode",
		In("tail.mp3"), In("tail.wav") });
	ASSERT_EQ(0, decode.status) << decode.errors;
	SF_INFO info;
	memset(&info, 0, sizeof(info));
	SNDFILE* decoded = sf_open(In("tail.wav").c_str(), SFM_READ, &info);
	ASSERT_NE(nullptr, decoded);
	std::vector<float> samples(info.frames * info.channels);
	sf_readf_float(decoded, samples.data(), info.frames);
	sf_close(decoded);
	ASSERT_GT(info.frames, 15 * info.samplerate);
	size_t perSecond = info.samplerate * info.channels;
	EXPECT_LT(Power(samples, perSecond, 8 * perSecond), 1e-6);
	EXPECT_GT(Power(samples, samples.size() - 8 * perSecond,
		samples.size() - perSecond), 0.1);
}
