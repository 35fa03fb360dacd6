// Both ways of writing the MP3: unnamed until complete, and the hidden
// temporary name where the file system has no unnamed files.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "GogoRun.h"
#include "OutputFile.h"


namespace {

class GogoOutputFileTest : public testing::TestWithParam<bool> {
protected:
	void SetUp() override
	{
		fFolder = fHome.Path() + "/out";
		ASSERT_EQ(0, mkdir(fFolder.c_str(), 0755));
	}

	std::string In(const std::string& name) const
		{ return fFolder + "/" + name; }

	TemporaryHome fHome;
	std::string fFolder;
};


TEST_P(GogoOutputFileTest, AppearsWholeOnlyOnCommit)
{
	fHome.WriteFile("out/song.mp3", "older");
	OutputFile file(GetParam());
	// The mode any new file gets, as lame's output has it.
	mode_t mask = umask(002);
	bool opened = file.Open(fFolder, "song.mp3");
	umask(mask);
	ASSERT_TRUE(opened) << file.Error();
	EXPECT_EQ(GetParam(), file.UsesUnnamedFile());
	ASSERT_TRUE(file.Write("xxxxfirst frames", 16));
	ASSERT_TRUE(file.WriteAt("head", 4, 0));

	// Before the commit: the older file as it was, and at most one hidden
	// temporary name beside it.
	EXPECT_EQ("older", ReadFile(In("song.mp3")));
	std::vector<std::string> names = FolderNames(fFolder);
	for (const std::string& name : names) {
		if (name != "song.mp3") {
			EXPECT_EQ(0u, name.find(".song.mp3.")) << name;
		}
	}
	EXPECT_EQ(GetParam() ? 1u : 2u, names.size());

	ASSERT_TRUE(file.Commit()) << file.Error();
	EXPECT_EQ("headfirst frames", ReadFile(In("song.mp3")));
	EXPECT_EQ(std::vector<std::string>{ "song.mp3" },
		FolderNames(fFolder));
	struct stat info;
	ASSERT_EQ(0, stat(In("song.mp3").c_str(), &info));
	EXPECT_EQ(0664, info.st_mode & 0777);
}


// The temporary name never stands in the way of a name the folder takes;
// a longer one is refused before anything is written.
TEST_P(GogoOutputFileTest, TakesTheLongestNameTheFolderTakes)
{
	std::string longest = std::string(251, 'l') + ".mp3";
	OutputFile file(GetParam());
	ASSERT_TRUE(file.Open(fFolder, longest)) << file.Error();
	ASSERT_TRUE(file.Write("frames", 6));
	ASSERT_TRUE(file.Commit()) << file.Error();
	EXPECT_EQ("frames", ReadFile(In(longest)));

	OutputFile tooLong(GetParam());
	EXPECT_FALSE(tooLong.Open(fFolder, "l" + longest));
	EXPECT_TRUE(Contains(tooLong.Error(), "File name too long"))
		<< tooLong.Error();
	EXPECT_EQ(std::vector<std::string>{ longest }, FolderNames(fFolder));
}


TEST_P(GogoOutputFileTest, AbandonedLeavesNothing)
{
	{
		OutputFile file(GetParam());
		ASSERT_TRUE(file.Open(fFolder, "gone.mp3"));
		ASSERT_TRUE(file.Write("partial", 7));
	}
	EXPECT_TRUE(FolderNames(fFolder).empty());
}


TEST_P(GogoOutputFileTest, TerminatedLeavesNothing)
{
	pid_t pid = fork();
	ASSERT_GE(pid, 0);
	if (pid == 0) {
		OutputFile::InstallSignalHandlers();
		OutputFile file(GetParam());
		if (!file.Open(fFolder, "cut.mp3") || !file.Write("partial", 7))
			_exit(1);
		raise(SIGTERM);
		_exit(2);
	}
	int status = 0;
	ASSERT_EQ(pid, waitpid(pid, &status, 0));
	ASSERT_TRUE(WIFSIGNALED(status));
	EXPECT_EQ(SIGTERM, WTERMSIG(status));
	EXPECT_TRUE(FolderNames(fFolder).empty());
}


INSTANTIATE_TEST_SUITE_P(Ways, GogoOutputFileTest, testing::Bool(),
	[](const testing::TestParamInfo<bool>& info) {
		return std::string(info.param ? "Unnamed" : "TemporaryName");
	});

}	// namespace
