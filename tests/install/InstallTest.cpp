#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Node.h>
#include <TypeConstants.h>

#include "TestSupport.h"

namespace {

int
Install(const std::string& prefix)
{
	std::string command = std::string(TOLVEX_SOURCE_DIR) + "/tools/install.sh '"
		+ TOLVEX_BINARY_DIR + "' '" + prefix + "' > /dev/null";
	return system(command.c_str());
}

} // namespace


// An upgrade writes the new executable beside the old one, gives it the
// old one's attributes and renames it into place: the settings stay.
TEST(InstallTest, ReinstallKeepsTheSettings)
{
	TemporaryHome home;
	std::string prefix = home.File("prefix");
	ASSERT_EQ(0, Install(prefix));
	std::string executable = prefix + "/lib/tolvex/Tolvex";
	struct stat st;
	ASSERT_EQ(0, stat(executable.c_str(), &st));
	EXPECT_TRUE(st.st_mode & S_IXUSR);
	EXPECT_EQ(0, access((prefix + "/lib/tolvex/leggimi").c_str(), R_OK));
	char target[256] = {};
	ASSERT_GT(readlink((prefix + "/bin/Tolvex").c_str(), target,
		sizeof(target) - 1), 0);
	EXPECT_STREQ("../lib/tolvex/Tolvex", target);
	std::string entry = ReadFile(prefix
		+ "/share/applications/tolvex.desktop");
	EXPECT_TRUE(Contains(entry, "Exec=" + prefix + "/bin/Tolvex --refs %F"));

	const char location[] = "/opt/Gogo";
	{
		BNode node(executable.c_str());
		ASSERT_EQ((ssize_t)sizeof(location), node.WriteAttr("encoder_location",
			B_STRING_TYPE, 0, location, sizeof(location)));
	}
	ASSERT_EQ(0, Install(prefix));
	BNode node(executable.c_str());
	char stored[64] = {};
	EXPECT_EQ((ssize_t)sizeof(location), node.ReadAttr("encoder_location",
		B_STRING_TYPE, 0, stored, sizeof(stored)));
	EXPECT_STREQ(location, stored);
}
