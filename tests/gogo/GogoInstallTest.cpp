// Gogo is installed with Tolvex, where Tolvex's default encoder location
// finds it.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>
#include <Path.h>

#include "GogoRun.h"


namespace {

int
Install(const std::string& prefix)
{
	std::string command = std::string(TOLVEX_SOURCE_DIR) + "/tools/install.sh '"
		+ TOLVEX_BINARY_DIR + "' '" + prefix + "' > /dev/null";
	return system(command.c_str());
}


TEST(GogoInstallTest, BesideTolvexAndFoundByTheDefaultLocation)
{
	TemporaryHome home;
	// The default prefix, ~/.local, whose bin is the BeOS config/bin.
	std::string prefix = home.File(".local");
	ASSERT_EQ(0, Install(prefix));

	std::string gogo = prefix + "/lib/tolvex/Gogo";
	struct stat info;
	ASSERT_EQ(0, stat(gogo.c_str(), &info));
	EXPECT_TRUE(info.st_mode & S_IXUSR);
	char target[256] = {};
	ASSERT_GT(readlink((prefix + "/bin/Gogo").c_str(), target,
		sizeof(target) - 1), 0);
	EXPECT_STREQ("../lib/tolvex/Gogo", target);
	std::string manual = ReadFile(prefix + "/share/man/man1/gogo.1");
	EXPECT_TRUE(Contains(manual, ".TH GOGO 1"));

	BEntry entry("/boot/home/config/bin/Gogo", true);
	ASSERT_TRUE(entry.Exists());
	BPath path;
	ASSERT_EQ(B_OK, entry.GetPath(&path));
	EXPECT_STREQ(gogo.c_str(), path.Path());

	// The installed one runs, and installing again replaces it.
	RunResult help = RunProgram(prefix + "/bin/Gogo", { "--help" });
	EXPECT_EQ(0, help.status);
	EXPECT_TRUE(Contains(help.output, "-nopsy"));
	ASSERT_EQ(0, Install(prefix));
	EXPECT_EQ(ReadFile(GOGO_BINARY), ReadFile(gogo));
}

}	// namespace
