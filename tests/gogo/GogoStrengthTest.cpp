#include <gtest/gtest.h>

#include <sys/stat.h>

#include "GogoRun.h"

namespace {

class GogoStrengthTest : public testing::Test {
protected:
	std::string In(const std::string& name) const
		{ return fHome.Path() + "/" + name; }

	TemporaryHome fHome;
};


// Whatever option ends the command line, it is not taken for the input:
// the line is refused as one without an input, and nothing is written.
TEST_F(GogoStrengthTest, NoOptionIsTakenForTheInput)
{
	WriteWave(In("c.wav"), 1, 8000, 0.1);
	for (const char* option : { "-nopsy", "-delete", "-silent", "-b", "-m",
			"-o", "-v" }) {
		SCOPED_TRACE(option);
		RunResult run = RunGogo({ In("c.wav"), option });
		EXPECT_EQ(2, run.status);
		EXPECT_NE(std::string::npos, run.errors.find("no input file"))
			<< run.errors;
	}
	EXPECT_TRUE(Exists(In("c.wav")));
	EXPECT_FALSE(Exists(In("c.mp3")));
}


// Only a final ".wav" gives way to ".mp3", also when it is the whole
// name; anything else keeps its name and gets ".mp3" after it.
TEST_F(GogoStrengthTest, OutputNamesFollowTheInputs)
{
	const struct {
		const char*	input;
		const char*	output;
	} names[] = {
		{ ".wav", ".mp3" },
		{ "Brano.WAV", "Brano.mp3" },
		{ "a.wave", "a.wave.mp3" },
		{ "wav", "wav.mp3" },
	};
	for (const auto& name : names) {
		SCOPED_TRACE(name.input);
		WriteWave(In(name.input), 1, 8000, 0.1);
		RunResult run = RunGogo({ "-silent", In(name.input) });
		EXPECT_EQ(0, run.status) << run.errors;
		EXPECT_TRUE(Exists(In(name.output)));
	}
}


// Mono and stereo only: more channels are refused with a message that says
// so, before anything is written.
TEST_F(GogoStrengthTest, MoreThanTwoChannelsAreRefused)
{
	for (int channels : { 3, 6 }) {
		SCOPED_TRACE(channels);
		WriteWave(In("multi.wav"), channels, 8000, 0.1);
		RunResult run = RunGogo({ "-silent", In("multi.wav") });
		EXPECT_EQ(1, run.status);
		EXPECT_NE(std::string::npos, run.errors.find(std::to_string(channels)
			+ " channels; Gogo encodes mono and stereo only")) << run.errors;
		EXPECT_FALSE(Exists(In("multi.mp3")));
		EXPECT_TRUE(Exists(In("multi.wav")));
	}
}

}	// namespace
