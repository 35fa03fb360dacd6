#include <gtest/gtest.h>

#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Node.h>
#include <TypeConstants.h>

#include "TestSupport.h"
#include "private/storage/Attributes.h"

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
		+ "/share/applications/org.example.Tolvex.desktop");
	EXPECT_TRUE(Contains(entry, "Exec=" + prefix + "/bin/Tolvex --refs %F"));

	const char location[] = "/opt/Gogo";
	{
		BNode node(executable.c_str());
		ASSERT_EQ((ssize_t)sizeof(location), node.WriteAttr("encoder_location",
			B_STRING_TYPE, 0, location, sizeof(location)));
	}
	// The entry an older install named after the program goes; the one
	// named by the application's id replaces it.
	std::string oldEntry = prefix + "/share/applications/tolvex.desktop";
	home.WriteFile("prefix/share/applications/tolvex.desktop", entry);
	ASSERT_EQ(0, Install(prefix));
	EXPECT_NE(0, access(oldEntry.c_str(), F_OK));
	EXPECT_EQ(entry, ReadFile(prefix
		+ "/share/applications/org.example.Tolvex.desktop"));
	BNode node(executable.c_str());
	char stored[64] = {};
	EXPECT_EQ((ssize_t)sizeof(location), node.ReadAttr("encoder_location",
		B_STRING_TYPE, 0, stored, sizeof(stored)));
	EXPECT_STREQ(location, stored);
}


namespace {

// In a private mount namespace with a ramfs, which keeps no user
// attributes: settings stored through the fallback store, an upgrade, and
// what the upgraded executable reads. One line of results for the parent.
std::string
UpgradeOnAFileSystemWithoutAttributes(const std::string& prefix)
{
	if (unshare(CLONE_NEWNS) != 0)
		return "skip unshare";
	if (mount(NULL, "/", NULL, MS_REC | MS_PRIVATE, NULL) != 0)
		return "skip private";
	mkdir(prefix.c_str(), 0755);
	if (mount("none", prefix.c_str(), "ramfs", 0, NULL) != 0)
		return "skip ramfs";
	if (Install(prefix) != 0)
		return "first install failed";
	std::string executable = prefix + "/lib/tolvex/Tolvex";
	struct stat before;
	stat(executable.c_str(), &before);
	{
		BNode node(executable.c_str());
		if (node.WriteAttr("encoder_location", B_STRING_TYPE, 0, "/opt/Gogo",
				10) != 10
			|| node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, "\1", 1)
				!= 1)
			return "could not store settings";
	}
	if (Install(prefix) != 0)
		return "upgrade failed";
	BNode node(executable.c_str());
	char location[64] = {};
	uint8 closeOnAdd = 0;
	ssize_t read = node.ReadAttr("encoder_location", B_STRING_TYPE, 0,
		location, sizeof(location));
	node.ReadAttr("dont_close_on_add", B_BOOL_TYPE, 0, &closeOnAdd, 1);
	std::string oldEntry = BPrivate::AttributeFallbackFolder(before.st_dev,
		before.st_ino);
	struct stat after;
	stat(executable.c_str(), &after);
	bool orphaned = after.st_ino != before.st_ino
		&& access(oldEntry.c_str(), F_OK) == 0;
	return std::to_string(read) + ":" + location + " "
		+ std::to_string(closeOnAdd) + (orphaned ? " orphaned" : " clean");
}

} // namespace


// Where the executable's file system keeps no attributes, the settings
// live in the fallback store, keyed by the file; an upgrade replaces the
// file, and carries them over to the new one.
TEST(InstallTest, UpgradeKeepsSettingsWithoutFileSystemAttributes)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "a ramfs mount needs root";
	TemporaryHome home;
	std::string prefix = home.File("ramfs");
	int channel[2];
	ASSERT_EQ(0, pipe(channel));
	fflush(NULL);
	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		close(channel[0]);
		alarm(60);
		std::string report = UpgradeOnAFileSystemWithoutAttributes(prefix);
		ssize_t ignored = write(channel[1], report.data(), report.size());
		(void)ignored;
		_exit(0);
	}
	close(channel[1]);
	char buffer[256];
	ssize_t length = read(channel[0], buffer, sizeof(buffer) - 1);
	close(channel[0]);
	int status = 0;
	waitpid(child, &status, 0);
	ASSERT_GT(length, 0) << "the child reported nothing";
	std::string report(buffer, length);
	if (report.compare(0, 4, "skip") == 0)
		GTEST_SKIP() << "not permitted here: " << report;
	EXPECT_EQ("10:/opt/Gogo 1 clean", report);
}
