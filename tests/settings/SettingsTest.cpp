#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <signal.h>

#include <string>

#include <OS.h>

#include <MimeType.h>
#include <TypeConstants.h>
#include <Node.h>
#include <fs_attr.h>

#include "TestSupport.h"

namespace {

struct Attribute {
	bool		present = false;
	type_code	type = 0;
	std::string	bytes;
};


Attribute
ReadAttribute(const std::string& path, const char* name)
{
	Attribute attribute;
	BNode node(path.c_str());
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return attribute;
	attribute.present = true;
	attribute.type = info.type;
	attribute.bytes.resize(info.size);
	ssize_t read = node.ReadAttr(name, info.type, 0, &attribute.bytes[0],
		info.size);
	EXPECT_EQ((ssize_t)info.size, read);
	return attribute;
}


void
WriteAttribute(const std::string& path, const char* name, type_code type,
	const std::string& bytes)
{
	BNode node(path.c_str());
	ASSERT_EQ((ssize_t)bytes.size(), node.WriteAttr(name, type, 0,
		bytes.data(), bytes.size()));
}


void
ExpectSettings(const std::string& path, const std::string& location,
	bool dontCloseOnAdd, bool dontClearOnOpen, bool selfRegister)
{
	Attribute attribute = ReadAttribute(path, "encoder_location");
	ASSERT_TRUE(attribute.present);
	EXPECT_EQ((type_code)B_STRING_TYPE, attribute.type);
	EXPECT_EQ(location + std::string(1, '\0'), attribute.bytes);
	const char* names[] = { "dont_close_on_add", "dont_clear_on_open",
		"self_register_mime_type" };
	bool values[] = { dontCloseOnAdd, dontClearOnOpen, selfRegister };
	for (int i = 0; i < 3; i++) {
		attribute = ReadAttribute(path, names[i]);
		ASSERT_TRUE(attribute.present) << names[i];
		EXPECT_EQ((type_code)B_BOOL_TYPE, attribute.type) << names[i];
		EXPECT_EQ(std::string(1, values[i] ? 1 : 0), attribute.bytes)
			<< names[i];
	}
}

} // namespace


// A fresh install: no attributes. The defaults hold, the list type is
// installed without a word, and quitting stores all four.
TEST(SettingsTest, FirstStartUsesTheDefaultsAndStoresThemAtQuit)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	EXPECT_FALSE(ReadAttribute(runner.Executable(), "encoder_location")
		.present);
	RunResult result = runner.Run("# nothing to do\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("", result.output);
	EXPECT_EQ("", result.errors);

	ExpectSettings(runner.Executable(), "/boot/home/config/bin/Gogo", false,
		false, true);
	// 26 characters and the NUL.
	EXPECT_EQ(27u, ReadAttribute(runner.Executable(), "encoder_location")
		.bytes.size());

	BMimeType list("text/x-Tolvex-list");
	EXPECT_TRUE(list.IsInstalled());
	std::string globs = ReadFile(home.File(".local/share/mime/globs2"));
	if (access("/usr/bin/update-mime-database", X_OK) == 0) {
		EXPECT_TRUE(Contains(globs, ":*.tvx")) << globs;
	}
}


// What one start stores, the next one reads: values written by another
// start come back unchanged, all four attributes written again.
TEST(SettingsTest, StoredValuesSurviveARestart)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	std::string location = "/opt/codificatori/Gogo con spazi";
	WriteAttribute(runner.Executable(), "encoder_location", B_STRING_TYPE,
		location + std::string(1, '\0'));
	WriteAttribute(runner.Executable(), "dont_close_on_add", B_BOOL_TYPE,
		std::string(1, 1));
	WriteAttribute(runner.Executable(), "dont_clear_on_open", B_BOOL_TYPE,
		std::string(1, 1));
	WriteAttribute(runner.Executable(), "self_register_mime_type",
		B_BOOL_TYPE, std::string(1, 0));

	for (int start = 0; start < 2; start++) {
		RunResult result = runner.Run("# restart\n");
		ASSERT_EQ(0, result.status) << result.errors;
		ExpectSettings(runner.Executable(), location, true, true, false);
	}
	// Self-registration off: the list type was not installed.
	EXPECT_FALSE(BMimeType("text/x-Tolvex-list").IsInstalled());
}


// Attributes written by another program are read safely: an overlong
// location without a NUL is cut to 1023 characters, any byte but 0 is
// true, and a missing one gets its default.
TEST(SettingsTest, OddStoredValuesAreReadSafely)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	WriteAttribute(runner.Executable(), "encoder_location", B_STRING_TYPE,
		std::string(2000, 'a'));
	WriteAttribute(runner.Executable(), "dont_close_on_add", B_BOOL_TYPE,
		std::string(1, 7));
	WriteAttribute(runner.Executable(), "self_register_mime_type",
		B_BOOL_TYPE, std::string(1, 0));
	RunResult result = runner.Run("# odd values\n");
	ASSERT_EQ(0, result.status) << result.errors;
	ExpectSettings(runner.Executable(), std::string(1023, 'a'), true, false,
		false);

	WriteAttribute(runner.Executable(), "encoder_location", B_STRING_TYPE,
		"/no/terminator");
	result = runner.Run("# no NUL\n");
	ASSERT_EQ(0, result.status) << result.errors;
	ExpectSettings(runner.Executable(), "/no/terminator", true, false, false);
}


// An executable on a read-only volume starts and quits without a word and
// keeps what was stored on it; the settings of this user go to the user's
// own store, starting from those. A location stored without its NUL would
// be written back with one, so an unchanged attribute proves that nothing
// was written on the executable.
TEST(SettingsTest, ReadOnlyExecutableKeepsTheSettingsForTheUser)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	WriteAttribute(runner.Executable(), "encoder_location", B_STRING_TYPE,
		"/stored/before");
	WriteAttribute(runner.Executable(), "dont_clear_on_open", B_BOOL_TYPE,
		std::string(1, 1));

	std::string folder = home.File("prefix/lib/tolvex");
	std::string script = home.WriteFile("script.txt", "# read-only\n");
	std::string command = "unshare --mount --propagation private sh -c '"
		"mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" "
		"&& touch \"$0/probe\" 2>/dev/null && exit 99; "
		"BE_SCRIPT=\"$1\" exec \"$0/Tolvex\"' '" + folder + "' '" + script
		+ "' > '" + home.File("ro-out.txt") + "' 2> '"
		+ home.File("ro-err.txt") + "'";
	int status = system(command.c_str());
	std::string errors = ReadFile(home.File("ro-err.txt"));
	if (WIFEXITED(status) && WEXITSTATUS(status) != 0
		&& Contains(errors, "unshare"))
		GTEST_SKIP() << "no private mount namespace here: " << errors;
	ASSERT_TRUE(WIFEXITED(status));
	ASSERT_NE(99, WEXITSTATUS(status)) << "the mount was not read-only";
	EXPECT_EQ(0, WEXITSTATUS(status)) << errors;
	EXPECT_EQ("", errors);
	EXPECT_EQ("", ReadFile(home.File("ro-out.txt")));

	EXPECT_EQ("/stored/before", ReadAttribute(runner.Executable(),
		"encoder_location").bytes);
	EXPECT_EQ(std::string(1, 1), ReadAttribute(runner.Executable(),
		"dont_clear_on_open").bytes);
	EXPECT_FALSE(ReadAttribute(runner.Executable(), "dont_close_on_add")
		.present);

	std::string store = home.File(".config/beos_app_attributes")
		+ runner.Executable();
	ExpectSettings(store, "/stored/before", false, true, true);
}


// Settings changed but not followed by a quit through the main window
// (the program is killed) are not stored.
TEST(SettingsTest, KilledProgramStoresNothing)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	int pid = runner.Start("dump\nwait-hidden \"Tolvex 1.2a\" 60\n");
	bigtime_t deadline = system_time() + 20000000;
	while (!Contains(ReadFile(home.File("stdout.txt")), "window")
			&& system_time() < deadline)
		usleep(10000);
	kill(pid, SIGKILL);
	runner.Finish(20);
	EXPECT_FALSE(ReadAttribute(runner.Executable(), "encoder_location")
		.present);
}


// A stored setting whose read fails (here: an attribute of that name that
// is not ours, without a type code) is there, only unknown: the default
// stands in for it while the program runs, and quitting leaves it alone.
TEST(SettingsTest, UnreadableStoredValuesAreNotOverwrittenAtQuit)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	const std::string path = runner.Executable();
	ASSERT_EQ(0, setxattr(path.c_str(), "user.encoder_location", "ab", 2, 0));
	ASSERT_EQ(0, setxattr(path.c_str(), "user.dont_close_on_add", "xy", 2,
		0));
	RunResult result = runner.Run("# nothing to do\n");
	ASSERT_EQ(0, result.status) << result.errors;

	char buffer[16];
	ssize_t size = getxattr(path.c_str(), "user.encoder_location", buffer,
		sizeof(buffer));
	EXPECT_EQ("ab", std::string(buffer, size > 0 ? size : 0));
	size = getxattr(path.c_str(), "user.dont_close_on_add", buffer,
		sizeof(buffer));
	EXPECT_EQ("xy", std::string(buffer, size > 0 ? size : 0));
	// The readable ones are stored as always.
	EXPECT_EQ(std::string(1, 0),
		ReadAttribute(path, "dont_clear_on_open").bytes);
	EXPECT_EQ(std::string(1, 1),
		ReadAttribute(path, "self_register_mime_type").bytes);
}


// An upgrade replaces the executable while the program runs; what the
// program stores at quit goes to the file at the path it was started
// from, not to the replaced one that only it still holds.
TEST(SettingsTest, QuitAfterAnUpgradeStoresOnTheNewExecutable)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	const std::string path = runner.Executable();
	int pid = runner.Start("dump\nwait-hidden \"Tolvex 1.2a\" 60\n");
	bigtime_t deadline = system_time() + 20000000;
	while (!Contains(ReadFile(home.File("stdout.txt")), "window")
			&& system_time() < deadline)
		usleep(10000);

	std::string copy = "cp '" + path + "' '" + path + ".new' && mv -f '"
		+ path + ".new' '" + path + "'";
	ASSERT_EQ(0, system(copy.c_str()));
	ASSERT_FALSE(ReadAttribute(path, "encoder_location").present);
	kill(pid, SIGTERM);
	RunResult result = runner.Finish(30);
	EXPECT_EQ(0, result.status) << result.errors;
	ExpectSettings(path, "/boot/home/config/bin/Gogo", false, false, true);
}
