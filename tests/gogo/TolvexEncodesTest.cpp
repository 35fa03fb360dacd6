// The whole way: a fresh install, two WAVs dropped on the list, the options
// picked, "Codifica!", and the MP3s that Gogo leaves are lame's.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "GogoRun.h"


TEST(TolvexEncodesTest, TwoWavesBecomeLamesMp3s)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	// Installed as the install script lays it out: beside Tolvex, with a
	// link in the prefix's bin, and no setting at all.
	std::string prefix = home.File("prefix");
	ASSERT_EQ(0, system(("cp '" GOGO_BINARY "' '" + prefix
		+ "/lib/tolvex/Gogo' && mkdir -p '" + prefix + "/bin' && ln -s "
		"../lib/tolvex/Gogo '" + prefix + "/bin/Gogo'").c_str()));

	std::string first = home.File("music/primo brano.wav");
	std::string second = home.File("music/secondo.wav");
	ASSERT_EQ(0, system(("mkdir -p '" + home.File("music") + "'").c_str()));
	WriteWave(first, 2, 44100, 1.5);
	WriteWave(second, 1, 22050, 1.0);

	RunResult result = runner.Run("drop FilesList \"" + first + "\" "
		+ second + "\n"
		"tab \"Opzioni di Gogo\"\n"
		"pick BitRateField \"128 kbps\"\n"
		"pick OutputModeField \"Joint stereo\"\n"
		"click EncodeButton\n"
		"wait-hidden \"Stato della codifica\" 60\n", {}, 120);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;

	for (const std::string& wave : { first, second }) {
		SCOPED_TRACE(wave);
		std::string mp3 = wave.substr(0, wave.size() - 4) + ".mp3";
		std::string reference = home.File("reference.mp3");
		RunResult lame = RunProgram("lame", { "-b", "128", "-m", "j",
			"--silent", wave, reference });
		ASSERT_EQ(0, lame.status) << "lame is needed: " << lame.errors;
		std::string expected = ReadFile(reference);
		std::string written = ReadFile(mp3);
		ASSERT_GT(expected.size(), 1000u);
		EXPECT_TRUE(written == expected) << "sizes " << written.size()
			<< " and " << expected.size();
		// The WAV stays: no -delete was asked for.
		EXPECT_TRUE(Exists(wave));
	}
}
