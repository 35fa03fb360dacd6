#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

// Tolvex installed for every user of a machine: the executable is root's,
// and each ordinary user's settings are their own.

namespace {

// Ordinary users that need no entry in the password file: setpriv takes
// numeric ids, and HOME names their homes.
const uid_t kFirstUser = 61001;
const uid_t kSecondUser = 61002;

const char* kShowOptions = "tab \"Opzioni del programma\"\ndump\n";


// The four settings as the options panel shows them: the location, then
// the three check boxes' values, "|" between them.
std::string
ShownSettings(const std::string& dump)
{
	std::vector<std::string> lines = SplitLines(dump);
	std::string shown;
	for (size_t i = 0; i + 1 < lines.size(); i++) {
		if (!Contains(lines[i], "BTextControl \"EncoderLocation\""))
			continue;
		const std::string& textView = lines[i + 1];
		size_t start = textView.find("text=\"");
		size_t end = start == std::string::npos ? start
			: textView.find('"', start + 6);
		if (end != std::string::npos)
			shown = textView.substr(start + 6, end - start - 6);
	}
	const char* boxes[] = { "DontCloseOnAdd", "DontClearOnOpen",
		"SelfRegisterMIMEType" };
	for (const char* box : boxes) {
		std::string line = DumpLine(dump,
			std::string("BCheckBox \"") + box + "\"");
		size_t value = line.find(" value=");
		shown += "|" + (value == std::string::npos ? std::string("?")
			: line.substr(value + 7, 1));
	}
	return shown;
}


std::vector<std::string>
XattrNames(const std::string& path)
{
	char names[4096];
	ssize_t size = listxattr(path.c_str(), names, sizeof(names));
	std::vector<std::string> found;
	for (ssize_t at = 0; at < size; at += strlen(names + at) + 1)
		found.push_back(names + at);
	return found;
}


std::string
RawXattr(const std::string& path, const char* name)
{
	char buffer[2048];
	ssize_t size = getxattr(path.c_str(), name, buffer, sizeof(buffer));
	return size < 0 ? std::string("<none>") : std::string(buffer, size);
}


// One ordinary user: a home of their own inside the test's folder.
class User {
public:
	User(const TemporaryHome& home, uid_t uid)
		:
		fUid(uid),
		fHome(home.File("users/" + std::to_string(uid)))
	{
		std::string command = "mkdir -p '" + fHome + "/.config' '" + fHome
			+ "/.local/share' && chown -R " + std::to_string(uid) + ":"
			+ std::to_string(uid) + " '" + fHome + "' && chmod 700 '" + fHome
			+ "'";
		if (system(command.c_str()) != 0)
			ADD_FAILURE() << "could not make the home of " << uid;
	}

	const std::string& Home() const { return fHome; }

	std::string Store(const std::string& executable) const
	{
		return fHome + "/.config/beos_app_attributes" + executable;
	}

	// The program on the headless display with the script, as this user;
	// standard output, or the failure.
	std::string Run(const std::string& executable, const std::string& script)
	{
		return Finish(Start(executable, script));
	}

	// The same without waiting: the program's process, a child of this
	// one (the shell and setpriv become it).
	pid_t Start(const std::string& executable, const std::string& script)
	{
		std::string scriptPath = fHome + "/script.txt";
		std::string write = "printf '%s' " + Quoted(script) + " > '"
			+ scriptPath + "' && chmod 644 '" + scriptPath + "'";
		if (system(write.c_str()) != 0)
			return -1;
		std::string id = std::to_string(fUid);
		std::string command = "exec setpriv --reuid=" + id + " --regid=" + id
			+ " --clear-groups env -i PATH=/usr/bin:/bin HOME='" + fHome
			+ "' XDG_CONFIG_HOME='" + fHome + "/.config' XDG_DATA_HOME='"
			+ fHome + "/.local/share' XDG_CACHE_HOME='" + fHome
			+ "/.cache' BE_DISPLAY=headless BE_SCRIPT='" + scriptPath + "' '"
			+ executable + "' > '" + Output() + "' 2> '" + fHome + ".err'";
		fflush(NULL);
		pid_t child = fork();
		if (child == 0) {
			execl("/bin/sh", "sh", "-c", command.c_str(), (char*)NULL);
			_exit(127);
		}
		return child;
	}

	std::string Finish(pid_t child)
	{
		int status = -1;
		if (child < 0 || waitpid(child, &status, 0) != child)
			return "<not started>";
		if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
			return "<status " + std::to_string(status) + ": "
				+ ReadFile(fHome + ".err") + ">";
		}
		return ReadFile(Output());
	}

	std::string Output() const { return fHome + ".out"; }

private:
	uid_t				fUid;
	std::string			fHome;
};


class SharedInstallTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (geteuid() != 0)
			GTEST_SKIP() << "running as other users needs root";
		if (system("command -v setpriv > /dev/null") != 0)
			GTEST_SKIP() << "no setpriv";
		// The users pass through the test's folder to the program.
		ASSERT_EQ(0, chmod(fHome.Path().c_str(), 0755));
		fRunner.reset(new TolvexRunner(fHome));
		ASSERT_EQ(0, chmod(fHome.File("prefix").c_str(), 0755));
		ASSERT_EQ(0, chown(fRunner->Executable().c_str(), 0, 0));
		ASSERT_EQ(0, chmod(fRunner->Executable().c_str(), 0755));
	}

	TemporaryHome						fHome;
	std::unique_ptr<TolvexRunner>		fRunner;
};

} // namespace


// Two users of one root-owned executable: the first sets all four
// settings and finds them at the next start, the second sees the
// defaults and keeps their own; the executable is not touched.
TEST_F(SharedInstallTest, EachUserKeepsTheirOwnSettings)
{
	const std::string executable = fRunner->Executable();
	struct stat before;
	ASSERT_EQ(0, stat(executable.c_str(), &before));
	User first(fHome, kFirstUser);
	User second(fHome, kSecondUser);

	std::string shown = first.Run(executable, kShowOptions);
	EXPECT_EQ("/boot/home/config/bin/Gogo|0|0|1", ShownSettings(shown))
		<< shown;
	std::string set = first.Run(executable, std::string(kShowOptions)
		+ "type EncoderLocation \"/home/primo/bin/Gogo\"\n"
		"click DontCloseOnAdd\nclick DontClearOnOpen\n"
		"click SelfRegisterMIMEType\nmenu Lista Esci\n");
	EXPECT_EQ("/boot/home/config/bin/Gogo|0|0|1", ShownSettings(set)) << set;
	shown = first.Run(executable, kShowOptions);
	EXPECT_EQ("/home/primo/bin/Gogo|1|1|0", ShownSettings(shown)) << shown;

	std::string store = first.Store(executable);
	EXPECT_EQ(std::string("CSTR/home/primo/bin/Gogo", 25),
		RawXattr(store, "user.encoder_location"));
	EXPECT_EQ("BOOL\1", RawXattr(store, "user.dont_close_on_add"));
	EXPECT_EQ("BOOL\1", RawXattr(store, "user.dont_clear_on_open"));
	EXPECT_EQ(std::string("BOOL\0", 5),
		RawXattr(store, "user.self_register_mime_type"));
	struct stat info;
	ASSERT_EQ(0, stat(store.c_str(), &info));
	EXPECT_EQ(kFirstUser, info.st_uid);
	EXPECT_EQ(0600u, info.st_mode & 0777);

	shown = second.Run(executable, std::string(kShowOptions)
		+ "type EncoderLocation /home/secondo/Gogo\nclick DontClearOnOpen\n");
	EXPECT_EQ("/boot/home/config/bin/Gogo|0|0|1", ShownSettings(shown))
		<< shown;
	shown = second.Run(executable, kShowOptions);
	EXPECT_EQ("/home/secondo/Gogo|0|1|1", ShownSettings(shown)) << shown;
	// The second user's changes did not reach the first.
	shown = first.Run(executable, kShowOptions);
	EXPECT_EQ("/home/primo/bin/Gogo|1|1|0", ShownSettings(shown)) << shown;

	// The executable carries none of it, and its data are as they were.
	EXPECT_EQ(std::vector<std::string>(), XattrNames(executable));
	struct stat after;
	ASSERT_EQ(0, stat(executable.c_str(), &after));
	EXPECT_EQ(before.st_ino, after.st_ino);
	EXPECT_EQ(before.st_size, after.st_size);
	EXPECT_EQ(before.st_mtime, after.st_mtime);
	EXPECT_EQ(0u, after.st_uid);
}


// An executable the user owns keeps the settings on itself, exactly as a
// home install always did: no store is made.
TEST_F(SharedInstallTest, AnExecutableTheUserOwnsKeepsThemOnItself)
{
	const std::string executable = fRunner->Executable();
	ASSERT_EQ(0, chown(executable.c_str(), kFirstUser, kFirstUser));
	User first(fHome, kFirstUser);
	first.Run(executable, std::string(kShowOptions)
		+ "type EncoderLocation /mio/Gogo\nclick DontCloseOnAdd\n");
	std::string shown = first.Run(executable, kShowOptions);
	EXPECT_EQ("/mio/Gogo|1|0|1", ShownSettings(shown)) << shown;
	EXPECT_EQ(std::string("CSTR/mio/Gogo", 14),
		RawXattr(executable, "user.encoder_location"));
	EXPECT_EQ("BOOL\1", RawXattr(executable, "user.dont_close_on_add"));
	EXPECT_NE(0, access((first.Home() + "/.config/beos_app_attributes")
		.c_str(), F_OK));

	// Given to another user, the file is shared for the first: its
	// settings start from those on the executable, and stay theirs.
	User second(fHome, kSecondUser);
	shown = second.Run(executable, std::string(kShowOptions)
		+ "click DontCloseOnAdd\n");
	EXPECT_EQ("/mio/Gogo|1|0|1", ShownSettings(shown)) << shown;
	shown = second.Run(executable, kShowOptions);
	EXPECT_EQ("/mio/Gogo|0|0|1", ShownSettings(shown)) << shown;
	EXPECT_EQ("BOOL\1", RawXattr(executable, "user.dont_close_on_add"));
	EXPECT_EQ(std::string("BOOL\0", 5), RawXattr(second.Store(executable),
		"user.dont_close_on_add"));
}


// A package upgrade while a user runs Tolvex: root's new file replaces the
// one the program runs from, and what the user changed is stored at quit
// for the executable at that path, which the next start reads.
TEST_F(SharedInstallTest, SettingsChangedDuringAnUpgradeAreKept)
{
	const std::string executable = fRunner->Executable();
	User first(fHome, kFirstUser);
	pid_t running = first.Start(executable, std::string(kShowOptions)
		+ "type EncoderLocation /durante/aggiornamento/Gogo\ndump\n"
		"wait-hidden \"Tolvex 1.2a\" 60\n");
	ASSERT_GT(running, 0);
	// Once the second dump shows the typed text, the program has it.
	for (int i = 0; i < 2000 && !Contains(ReadFile(first.Output()),
			"/durante/aggiornamento/Gogo"); i++)
		usleep(10000);
	ASSERT_TRUE(Contains(ReadFile(first.Output()),
		"/durante/aggiornamento/Gogo"));

	std::string replace = "cp '" + executable + "' '" + executable
		+ ".dpkg-new' && mv -f '" + executable + ".dpkg-new' '" + executable
		+ "'";
	ASSERT_EQ(0, system(replace.c_str()));
	kill(running, SIGTERM);
	std::string ended = first.Finish(running);
	EXPECT_FALSE(Contains(ended, "<status")) << ended;

	std::string shown = first.Run(executable, kShowOptions);
	EXPECT_EQ("/durante/aggiornamento/Gogo|0|0|1", ShownSettings(shown))
		<< shown;
	EXPECT_EQ(std::vector<std::string>(), XattrNames(executable));
}
