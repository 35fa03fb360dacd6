// Gogo encodes a long input in segments on several threads: the MP3 is the
// same for any number of threads, every frame decodes, a gapless decoder
// gives back exactly the input's samples, the tag describes the joined
// stream, and the sound is as good as lame's single stream, at the joins
// too.

#include <gtest/gtest.h>

#include <lame/lame.h>
#include <math.h>
#include <mpg123.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>

#include <random>

#include "GogoRun.h"
#include "ReplayGain.h"


namespace {

// An input gets the largest power of two of segments that are at least 400
// frames long: about 10.4 s at 44.1 kHz, so 20.9 s make two.
const int kMinSegmentFrames = 400;


size_t
SegmentCount(size_t samples, int frameSamples)
{
	size_t most = samples / ((size_t)kMinSegmentFrames * frameSamples);
	size_t count = 1;
	while (count * 2 <= most)
		count *= 2;
	return count;
}


// The sample where the second segment's own audio begins.
size_t
FirstBoundary(size_t samples, int frameSamples)
{
	size_t frames = (samples + frameSamples - 1) / frameSamples;
	size_t count = SegmentCount(samples, frameSamples);
	return (frames + count - 1) / count * frameSamples;
}


class GogoParallelTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_EQ(0, mkdir(In("out").c_str(), 0755));
	}

	std::string In(const std::string& name) const
		{ return fHome.Path() + "/" + name; }

	TemporaryHome fHome;
};


struct Decoded {
	std::vector<float>	samples;
	int					channels = 0;
	long				rate = 0;
	// What went wrong while decoding; empty when every frame decoded.
	std::string			problems;
};


Decoded
Decode(const std::string& path)
{
	Decoded decoded;
	int error = MPG123_OK;
	mpg123_handle* handle = mpg123_new(NULL, &error);
	if (handle == NULL) {
		decoded.problems = "no decoder";
		return decoded;
	}
	// Gapless: the tag's delay and padding are taken off.
	mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT
		| MPG123_QUIET, 0);
	if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
		decoded.problems = "cannot open";
		mpg123_delete(handle);
		return decoded;
	}
	int encoding = 0;
	mpg123_getformat(handle, &decoded.rate, &decoded.channels, &encoding);
	std::vector<unsigned char> buffer(65536);
	for (;;) {
		size_t done = 0;
		int status = mpg123_read(handle, buffer.data(), buffer.size(), &done);
		const float* samples = (const float*)buffer.data();
		decoded.samples.insert(decoded.samples.end(), samples,
			samples + done / sizeof(float));
		if (status == MPG123_DONE)
			break;
		if (status == MPG123_NEW_FORMAT) {
			mpg123_getformat(handle, &decoded.rate, &decoded.channels,
				&encoding);
			continue;
		}
		if (status != MPG123_OK) {
			decoded.problems = mpg123_strerror(handle);
			break;
		}
	}
	mpg123_close(handle);
	mpg123_delete(handle);
	return decoded;
}


void
WriteSamples(const std::string& path, const std::vector<float>& samples,
	int channels, int rate)
{
	SF_INFO info;
	memset(&info, 0, sizeof(info));
	info.samplerate = rate;
	info.channels = channels;
	info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
	SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
	ASSERT_TRUE(file != NULL) << sf_strerror(NULL);
	sf_count_t frames = samples.size() / channels;
	EXPECT_EQ(frames, sf_writef_float(file, samples.data(), frames));
	sf_close(file);
}


enum signal_kind {
	SIGNAL_MUSIC,
	SIGNAL_TONE,
	// Music with two seconds of silence around the first join.
	SIGNAL_SILENT_JOIN,
	// Quiet noise with a loud click on the first segment boundary.
	SIGNAL_TRANSIENT_ON_JOIN
};


// Plucked notes over a little noise, and the other kinds, the same for
// every run.
std::vector<float>
MakeSignal(signal_kind kind, int channels, int rate, double seconds,
	int frameSamples)
{
	size_t frames = (size_t)(seconds * rate);
	std::vector<float> samples(frames * channels);
	std::mt19937 random(7);
	std::normal_distribution<float> noise(0, 1);
	for (size_t i = 0; i < frames; i++) {
		for (int c = 0; c < channels; c++) {
			samples[i * channels + c] = kind == SIGNAL_TONE
				? 0.5f * sinf(2 * M_PI * 1000.0 * i / rate)
				: 0.03f * noise(random);
		}
	}
	if (kind == SIGNAL_MUSIC || kind == SIGNAL_SILENT_JOIN) {
		for (double at = 0; at < seconds; at += 0.31) {
			size_t start = (size_t)(at * rate);
			double pitch = 110 * pow(2, (random() % 36) / 12.0);
			for (size_t k = 0; k < (size_t)rate / 2 && start + k < frames;
					k++) {
				double t = (double)k / rate;
				for (int c = 0; c < channels; c++) {
					samples[(start + k) * channels + c] += 0.3 * exp(-6 * t)
						* sin(2 * M_PI * pitch * (1 + 0.01 * c) * t);
				}
			}
		}
	}
	size_t boundary = FirstBoundary(frames, frameSamples);
	if (kind == SIGNAL_SILENT_JOIN) {
		for (size_t i = boundary - rate; i < boundary + rate && i < frames;
				i++) {
			for (int c = 0; c < channels; c++)
				samples[i * channels + c] = 0;
		}
	}
	if (kind == SIGNAL_TRANSIENT_ON_JOIN) {
		for (size_t k = 0; k < 200 && boundary + k < frames; k++) {
			for (int c = 0; c < channels; c++) {
				samples[(boundary + k) * channels + c]
					= 0.9f * expf(-k / 40.0f) * ((k & 1) ? 1 : -1);
			}
		}
	}
	return samples;
}


// The error's energy, per channel sample, between the input and a decoded
// stream over [from, to) frames.
double
ErrorEnergy(const std::vector<float>& input, const std::vector<float>& output,
	size_t from, size_t to, int channels, double* signal)
{
	double error = 0;
	*signal = 0;
	for (size_t i = from * channels; i < to * channels; i++) {
		double difference = input[i] - (i < output.size() ? output[i] : 0);
		error += difference * difference;
		*signal += (double)input[i] * input[i];
	}
	return error;
}


// What the test's own frame walker finds in an MP3.
struct Walked {
	std::vector<size_t>	offsets;
	std::vector<size_t>	sizes;
	int					samples = 0;
	size_t				sideInfo = 0;
	bool				whole = false;
};


Walked
WalkFrames(const std::string& mp3)
{
	static const int kRates[2][15] = {
		{ 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 },
		{ 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 },
	};
	static const int kSampleRates[4][3] = {
		{ 11025, 12000, 8000 }, { 0, 0, 0 }, { 22050, 24000, 16000 },
		{ 44100, 48000, 32000 },
	};
	Walked walked;
	size_t offset = 0;
	const uint8_t* bytes = (const uint8_t*)mp3.data();
	while (offset + 4 <= mp3.size()) {
		const uint8_t* h = bytes + offset;
		if (h[0] != 0xff || (h[1] & 0xe0) != 0xe0 || (h[2] >> 4) == 15
			|| ((h[2] >> 2) & 3) == 3)
			return walked;
		int version = (h[1] >> 3) & 3;
		bool mpeg1 = version == 3;
		int rate = kRates[mpeg1 ? 0 : 1][h[2] >> 4];
		int sampleRate = kSampleRates[version][(h[2] >> 2) & 3];
		if (rate == 0 || sampleRate == 0)
			return walked;
		walked.samples = mpeg1 ? 1152 : 576;
		bool mono = (h[3] >> 6) == 3;
		walked.sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
		size_t size = (size_t)(mpeg1 ? 144 : 72) * rate * 1000 / sampleRate
			+ ((h[2] >> 1) & 1);
		walked.offsets.push_back(offset);
		walked.sizes.push_back(size);
		offset += size;
	}
	walked.whole = offset == mp3.size();
	return walked;
}


uint32_t
Big32(const std::string& bytes, size_t at)
{
	return ((uint32_t)(uint8_t)bytes[at] << 24)
		| ((uint8_t)bytes[at + 1] << 16) | ((uint8_t)bytes[at + 2] << 8)
		| (uint8_t)bytes[at + 3];
}


uint16_t
Crc16(const std::string& bytes, size_t from, size_t to)
{
	uint16_t crc = 0;
	for (size_t i = from; i < to; i++) {
		crc ^= (uint8_t)bytes[i];
		for (int bit = 0; bit < 8; bit++)
			crc = (crc & 1) ? (crc >> 1) ^ 0xa001 : crc >> 1;
	}
	return crc;
}


// The radio gain field of a stream's tag: name, originator, sign and
// tenths of a dB; 0 where no gain is set.
uint16_t
RadioGainField(const std::string& mp3, size_t tag)
{
	return (uint16_t)((uint8_t)mp3[tag + 135] << 8 | (uint8_t)mp3[tag + 136]);
}


// The tag's fields against the frames the walker finds, and a gapless
// decode against the input's length. The radio gain is lame's own for the
// same input (in reference, lame's tagged stream), where the rate has
// loudness weights; otherwise it is left unset rather than guessed.
void
ExpectTagDescribesStream(const std::string& mp3, size_t inputFrames,
	int tocSlack = 0, const std::string& reference = "", int rate = 44100)
{
	Walked walked = WalkFrames(mp3);
	ASSERT_TRUE(walked.whole) << "not a stream of whole frames";
	ASSERT_GT(walked.offsets.size(), 2u);
	size_t tag = 4 + walked.sideInfo;
	ASSERT_TRUE(mp3.compare(tag, 4, "Info") == 0
		|| mp3.compare(tag, 4, "Xing") == 0);
	size_t musicFrames = walked.offsets.size() - 1;
	EXPECT_EQ(musicFrames, Big32(mp3, tag + 8));
	EXPECT_EQ(mp3.size(), Big32(mp3, tag + 12));
	EXPECT_EQ(mp3.size(), Big32(mp3, tag + 148));
	EXPECT_EQ(Crc16(mp3, walked.sizes[0], mp3.size()),
		(uint16_t)((uint8_t)mp3[tag + 152] << 8 | (uint8_t)mp3[tag + 153]));
	EXPECT_EQ(Crc16(mp3, 0, tag + 154),
		(uint16_t)((uint8_t)mp3[tag + 154] << 8 | (uint8_t)mp3[tag + 155]));
	// The seek table: entry i is where the frame i% through begins (lame's
	// own, from a coarser table, may be a little off).
	uint64_t next = walked.offsets[1];
	for (int i = 0; i < 100; i++) {
		size_t frame = 1 + (size_t)i * musicFrames / 100;
		uint64_t expected = (uint64_t)walked.offsets[frame] * 256
			/ mp3.size();
		EXPECT_NEAR((double)std::min<uint64_t>(expected, 255),
			(uint8_t)mp3[tag + 16 + i], tocSlack) << "entry " << i;
		EXPECT_GE(walked.offsets[frame], next);
	}
	int delay = ((uint8_t)mp3[tag + 141] << 4) | ((uint8_t)mp3[tag + 142] >> 4);
	int padding = (((uint8_t)mp3[tag + 142] & 15) << 8)
		| (uint8_t)mp3[tag + 143];
	EXPECT_EQ(576, delay);
	EXPECT_EQ(musicFrames * walked.samples, delay + inputFrames + padding);

	if (reference.empty())
		return;
	uint16_t theirs = RadioGainField(reference,
		4 + WalkFrames(reference).sideInfo);
	ASSERT_NE(0, theirs) << "lame set no gain";
	if (rate == 44100)
		EXPECT_EQ(theirs, RadioGainField(mp3, tag));
	else
		EXPECT_EQ(0, RadioGainField(mp3, tag));
}


struct Setting {
	const char*	name;
	int			channels;
	int			rate;
	std::vector<std::string> gogo;
	std::vector<std::string> lame;
	// In segments of the least length: 2.3 give two, 4.2 four, 8.2 eight.
	double		segments;
	// Constant bit rate: sizes within 0.1% of lame's; VBR within 1%.
	double		sizeTolerance;
};


// Every mode and rate once, in two segments (four and eight for two):
// the same bytes on 1, 2 and 8 threads, every frame decodes, a gapless
// decode has the input's length and the tag describes the stream.
TEST_F(GogoParallelTest, SameStreamOnAnyThreadsAndWhole)
{
	const Setting settings[] = {
		{ "stereo128.wav", 2, 44100, { "-b", "128" }, { "-b", "128" }, 2.3,
			0.001 },
		{ "joint.wav", 2, 44100, { "-b", "160", "-m", "j" },
			{ "-b", "160", "-m", "j" }, 4.2, 0.001 },
		{ "vbr.wav", 2, 44100, { "-v", "2" }, { "-V", "2" }, 2.3, 0.01 },
		{ "nopsy.wav", 2, 44100, { "-nopsy", "-b", "128" },
			{ "-q", "9", "-b", "128" }, 2.3, 0.001 },
		{ "mono48.wav", 1, 48000, { "-b", "64", "-m", "m" },
			{ "-b", "64", "-m", "m" }, 2.3, 0.001 },
		{ "stereo32.wav", 2, 32000, { "-b", "96", "-m", "s" },
			{ "-b", "96", "-m", "s" }, 2.3, 0.001 },
		{ "low22.wav", 1, 22050, { "-b", "32" }, { "-b", "32" }, 2.3,
			0.001 },
		{ "low16vbr.wav", 2, 16000, { "-v", "5" }, { "-V", "5" }, 8.2, 0.01 },
	};
	for (const Setting& setting : settings) {
		SCOPED_TRACE(setting.name);
		int frameSamples = setting.rate >= 32000 ? 1152 : 576;
		double seconds = setting.segments * kMinSegmentFrames * frameSamples
			/ setting.rate;
		std::vector<float> input = MakeSignal(SIGNAL_MUSIC, setting.channels,
			setting.rate, seconds, frameSamples);
		std::string wave = In(setting.name);
		WriteSamples(wave, input, setting.channels, setting.rate);
		size_t inputFrames = input.size() / setting.channels;

		std::string mp3 = wave.substr(0, wave.size() - 4) + ".mp3";
		std::string first;
		for (const char* threads : { "1", "2", "8" }) {
			std::vector<std::string> words = setting.gogo;
			words.insert(words.end(), { "-silent", "-threads", threads,
				wave });
			RunResult run = RunGogo(words);
			ASSERT_EQ(0, run.status) << run.errors;
			std::string written = ReadFile(mp3);
			if (first.empty())
				first = written;
			else
				EXPECT_TRUE(written == first) << threads << " threads";
		}
		// Not lame's stream: this one was joined.
		std::vector<std::string> words = setting.lame;
		words.insert(words.end(), { "--silent", wave, In("lame.mp3") });
		RunResult lame = RunProgram("lame", words);
		ASSERT_EQ(0, lame.status) << lame.errors;
		std::string reference = ReadFile(In("lame.mp3"));
		EXPECT_FALSE(first == reference);
		EXPECT_NEAR(1.0, (double)first.size() / reference.size(),
			setting.sizeTolerance);

		// Where a frame is too small for the tag, lame writes none, and
		// neither does Gogo; a decoder then gives lame's length.
		size_t tag = 4 + WalkFrames(reference).sideInfo;
		bool tagged = reference.compare(tag, 4, "Info") == 0
			|| reference.compare(tag, 4, "Xing") == 0;
		EXPECT_EQ(setting.rate != 22050, tagged);
		Decoded decoded = Decode(mp3);
		EXPECT_EQ("", decoded.problems);
		EXPECT_EQ(setting.channels, decoded.channels);
		if (tagged) {
			ExpectTagDescribesStream(first, inputFrames, 0, reference,
				setting.rate);
			EXPECT_EQ(input.size(), decoded.samples.size());
		} else {
			EXPECT_EQ(first.compare(tag, 4, "Info") == 0, false);
			EXPECT_EQ(Decode(In("lame.mp3")).samples.size(),
				decoded.samples.size());
		}
		RunResult check = RunProgram("mpg123", { "-t", "-q", mp3 });
		EXPECT_EQ(0, check.status);
		EXPECT_EQ("", check.errors);
	}
}


// As good as lame's single stream: over the whole file within 0.05 dB,
// and no 1152-sample window worse by more than 1.5 dB, on the signals
// that a join could spoil. Both are decoded gapless, so both line up with
// the input.
TEST_F(GogoParallelTest, AsGoodAsLameAtEveryJoin)
{
	const struct {
		const char*	name;
		signal_kind	kind;
		std::vector<std::string> gogo;
		std::vector<std::string> lame;
	} cases[] = {
		{ "music.wav", SIGNAL_MUSIC, { "-b", "128" }, { "-b", "128" } },
		{ "tone.wav", SIGNAL_TONE, { "-b", "128" }, { "-b", "128" } },
		{ "silence.wav", SIGNAL_SILENT_JOIN, { "-b", "128" },
			{ "-b", "128" } },
		{ "click.wav", SIGNAL_TRANSIENT_ON_JOIN, { "-b", "128" },
			{ "-b", "128" } },
		{ "vbr.wav", SIGNAL_MUSIC, { "-v", "2" }, { "-V", "2" } },
	};
	const int channels = 2;
	const int rate = 44100;
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::vector<float> input = MakeSignal(test.kind, channels, rate,
			3.2 * kMinSegmentFrames * 1152 / rate, 1152);
		std::string wave = In(test.name);
		WriteSamples(wave, input, channels, rate);
		// What the decoder sees is what the WAV holds, 16 bits.
		SF_INFO info;
		memset(&info, 0, sizeof(info));
		SNDFILE* file = sf_open(wave.c_str(), SFM_READ, &info);
		ASSERT_TRUE(file != NULL);
		sf_readf_float(file, input.data(), info.frames);
		sf_close(file);

		std::vector<std::string> words = test.gogo;
		words.insert(words.end(), { "-silent", "-o", In("out"), wave });
		RunResult run = RunGogo(words);
		ASSERT_EQ(0, run.status) << run.errors;
		words = test.lame;
		words.insert(words.end(), { "--silent", wave, In("lame.mp3") });
		RunResult lame = RunProgram("lame", words);
		ASSERT_EQ(0, lame.status) << lame.errors;

		std::string name = std::string(test.name);
		std::string ourStream = ReadFile(In("out/"
			+ name.substr(0, name.size() - 4) + ".mp3"));
		std::string lameStream = ReadFile(In("lame.mp3"));
		EXPECT_EQ(RadioGainField(lameStream,
				4 + WalkFrames(lameStream).sideInfo),
			RadioGainField(ourStream, 4 + WalkFrames(ourStream).sideInfo));
		Decoded ours = Decode(In("out/" + name.substr(0, name.size() - 4)
			+ ".mp3"));
		Decoded theirs = Decode(In("lame.mp3"));
		ASSERT_EQ("", ours.problems);
		ASSERT_EQ(input.size(), ours.samples.size());
		ASSERT_EQ(input.size(), theirs.samples.size());

		size_t frames = input.size() / channels;
		double ourError = 0;
		double theirError = 0;
		double signal = 0;
		int worseWindows = 0;
		for (size_t from = 0; from < frames; from += 1152) {
			size_t to = std::min(frames, from + 1152);
			double power = 0;
			double ours_ = ErrorEnergy(input, ours.samples, from, to,
				channels, &power);
			double theirs_ = ErrorEnergy(input, theirs.samples, from, to,
				channels, &power);
			ourError += ours_;
			theirError += theirs_;
			signal += power;
			// 1.5 dB worse; in silence, an error a decoder would not
			// even round to one 16-bit step.
			double floor = (to - from) * channels * 1e-10;
			if (ours_ > (theirs_ + floor) * 1.4125) {
				worseWindows++;
				ADD_FAILURE() << "window at " << from << ": "
					<< 10 * log10((ours_ + floor) / (theirs_ + floor))
					<< " dB worse than lame's";
			}
		}
		double ourSnr = 10 * log10(signal / ourError);
		double theirSnr = 10 * log10(signal / theirError);
		EXPECT_NEAR(theirSnr, ourSnr, 0.05);
		EXPECT_EQ(0, worseWindows);
	}
}


// LAME's own analysis of the samples: the radio gain, in tenths of a dB,
// it finds for 16-bit frames encoded with the arguments' settings.
int
LamesGain(const std::vector<short>& samples, int channels, int rate,
	int bitRate, bool mono)
{
	lame_global_flags* lame = lame_init();
	lame_set_in_samplerate(lame, rate);
	lame_set_num_channels(lame, channels);
	lame_set_findReplayGain(lame, 1);
	lame_set_brate(lame, bitRate);
	if (mono)
		lame_set_mode(lame, MONO);
	EXPECT_EQ(0, lame_init_params(lame));
	std::vector<unsigned char> mp3(16384);
	size_t frames = samples.size() / channels;
	for (size_t done = 0; done < frames; done += 1152) {
		int count = (int)std::min<size_t>(1152, frames - done);
		const short* at = samples.data() + done * channels;
		if (channels == 2) {
			lame_encode_buffer_interleaved(lame, (short*)at, count,
				mp3.data(), (int)mp3.size());
		} else {
			lame_encode_buffer(lame, at, at, count, mp3.data(),
				(int)mp3.size());
		}
	}
	lame_encode_flush(lame, mp3.data(), (int)mp3.size());
	int gain = lame_get_RadioGain(lame);
	lame_close(lame);
	return gain;
}


// The weighting across the band, the scaling LAME applies at lower bit
// rates, the mix of stereo into mono and the loudest 5% of a pulsing
// signal: the gain equals LAME's to the tenth of a dB.
TEST(GogoReplayGainTest, SameGainAsLamesAnalysis)
{
	const struct {
		const char*	name;
		// 0: pulsed notes over noise; -1: a 1 kHz tone, 20 of its 400
		// blocks of 50 ms (5%, exactly) five times as loud.
		double		frequency;
		float		level;
		int			channels;
		int			bitRate;
		bool		mono;
		// Of the pulses: 20 s are 400 blocks, 21.3 s 426.
		double		seconds = 20;
	} cases[] = {
		{ "60 Hz, under the high-pass", 60, 0.7f, 2, 320, false },
		{ "150 Hz, its corner", 150, 0.6f, 1, 320, false },
		{ "400 Hz", 400, 0.3f, 2, 128, false },
		{ "3 kHz, where the ear is keenest", 3000, 0.2f, 1, 320, false },
		{ "8 kHz", 8000, 0.4f, 2, 192, false },
		{ "15 kHz, weighed down", 15000, 0.8f, 2, 320, false },
		{ "pulses, stereo", 0, 0.8f, 2, 320, false },
		{ "pulses, 21.3 s: 5% is no whole count", 0, 0.8f, 2, 320, false,
			21.3 },
		{ "pulses, scaled at 128", 0, 0.8f, 2, 128, false },
		{ "pulses, mono", 0, 0.4f, 1, 320, false },
		{ "pulses, stereo into mono", 0, 0.8f, 2, 128, true },
		{ "the loudest 5% exactly", -1, 0.1f, 2, 320, false },
		// On a half tenth: -8.25 dB is stored as -8.2, -8.35 as -8.3, but
		// -8.15 as -8.2.
		{ "-8.25 dB", 1000, 0.5057799f, 1, 320, false },
		{ "-8.35 dB", 1000, 0.5116267f, 1, 320, false },
		{ "-8.15 dB", 1000, 0.5f, 1, 320, false },
	};
	const int rate = 44100;
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::vector<float> signal;
		if (test.frequency > 0) {
			signal.resize((size_t)rate * 6 * test.channels);
			for (size_t i = 0; i < signal.size(); i++) {
				size_t frame = i / test.channels;
				signal[i] = test.level * sinf(2 * M_PI * test.frequency
					* frame / rate);
			}
		} else if (test.frequency < 0) {
			const size_t block = rate / 20;
			signal.resize(block * 400 * test.channels);
			for (size_t i = 0; i < signal.size(); i++) {
				size_t frame = i / test.channels;
				bool loud = frame / block >= 100 && frame / block < 120;
				signal[i] = test.level * (loud ? 5 : 1)
					* sinf(2 * M_PI * 1000.0 * frame / rate);
			}
		} else {
			signal = MakeSignal(SIGNAL_MUSIC, test.channels, rate,
				test.seconds, 1152);
			for (float& sample : signal)
				sample *= test.level / 0.33f;
		}
		std::vector<short> samples(signal.size());
		for (size_t i = 0; i < signal.size(); i++) {
			samples[i] = (short)lrintf(std::max(-1.0f,
				std::min(1.0f, signal[i])) * 32767);
		}

		int expected = LamesGain(samples, test.channels, rate, test.bitRate,
			test.mono);
		lame_global_flags* lame = lame_init();
		lame_set_in_samplerate(lame, rate);
		lame_set_num_channels(lame, test.channels);
		lame_set_brate(lame, test.bitRate);
		if (test.mono)
			lame_set_mode(lame, MONO);
		ASSERT_EQ(0, lame_init_params(lame));
		ReplayGain gain(rate, test.channels, lame_get_scale(lame), test.mono);
		lame_close(lame);
		ASSERT_TRUE(gain.IsValid());
		// In pieces of odd sizes: a block spans them.
		size_t frames = samples.size() / test.channels;
		for (size_t done = 0; done < frames; ) {
			size_t count = std::min<size_t>(frames - done, 1000 + done % 777);
			gain.AddShort(samples.data() + done * test.channels, count);
			done += count;
		}
		EXPECT_EQ(expected, gain.GainTenths());
	}
}


// Rates without published weights give no gain rather than one weighed
// for CD audio; so does an input shorter than one block.
TEST(GogoReplayGainTest, NoGainWithoutWeightsOrBlock)
{
	std::vector<short> samples(44100 * 2, 8000);
	for (int rate : { 48000, 32000, 22050, 16000 }) {
		ReplayGain gain(rate, 2);
		EXPECT_FALSE(gain.IsValid()) << rate;
		gain.AddShort(samples.data(), 44100);
		EXPECT_EQ(INT32_MIN, gain.GainTenths()) << rate;
	}
	ReplayGain gain(44100, 2);
	ASSERT_TRUE(gain.IsValid());
	gain.AddShort(samples.data(), 2204);
	EXPECT_EQ(INT32_MIN, gain.GainTenths());
	gain.AddShort(samples.data(), 1);
	EXPECT_NE(INT32_MIN, gain.GainTenths());
}


// An input one sample short of two segments is lame's stream; with that
// sample it is two, joined into a whole stream.
TEST_F(GogoParallelTest, OneSegmentAndOneSampleMore)
{
	const size_t two = 2 * (size_t)kMinSegmentFrames * 1152;
	const size_t segment = two - 1;
	std::vector<float> all = MakeSignal(SIGNAL_MUSIC, 2, 44100,
		(two + 1.0) / 44100, 1152);
	ASSERT_GE(all.size(), 2 * two);
	for (size_t frames : { segment, two }) {
		SCOPED_TRACE(frames);
		std::vector<float> input(all.begin(), all.begin() + 2 * frames);
		WriteSamples(In("edge.wav"), input, 2, 44100);
		RunResult run = RunGogo({ "-silent", "-b", "128", In("edge.wav") });
		ASSERT_EQ(0, run.status) << run.errors;
		RunResult lame = RunProgram("lame", { "--silent", "-b", "128",
			In("edge.wav"), In("lame.mp3") });
		ASSERT_EQ(0, lame.status) << lame.errors;
		std::string mp3 = ReadFile(In("edge.mp3"));
		EXPECT_EQ(frames == segment, mp3 == ReadFile(In("lame.mp3")));
		ExpectTagDescribesStream(mp3, frames, frames == segment ? 2 : 0);
		Decoded decoded = Decode(In("edge.mp3"));
		EXPECT_EQ("", decoded.problems);
		EXPECT_EQ(2 * frames, decoded.samples.size());
	}
}


// -single keeps lame's own stream, byte for byte, also where the input
// is long enough for segments.
TEST_F(GogoParallelTest, SingleStreamIsLames)
{
	std::vector<float> input = MakeSignal(SIGNAL_MUSIC, 2, 44100, 22, 1152);
	WriteSamples(In("long.wav"), input, 2, 44100);
	RunResult run = RunGogo({ "-single", "-b", "128", "-silent",
		In("long.wav") });
	ASSERT_EQ(0, run.status) << run.errors;
	RunResult lame = RunProgram("lame", { "--silent", "-b", "128",
		In("long.wav"), In("lame.mp3") });
	ASSERT_EQ(0, lame.status) << lame.errors;
	std::string expected = ReadFile(In("lame.mp3"));
	EXPECT_GT(expected.size(), 150000u);
	EXPECT_TRUE(ReadFile(In("long.mp3")) == expected);

	RunResult segmented = RunGogo({ "-b", "128", "-silent", In("long.wav") });
	ASSERT_EQ(0, segmented.status) << segmented.errors;
	EXPECT_FALSE(ReadFile(In("long.mp3")) == expected);
}

}	// namespace
