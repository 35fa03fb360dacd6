#include "StorageTestHome.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "private/storage/Attributes.h"

namespace {

int
RemoveOne(const char* path, const struct stat*, int, struct FTW*)
{
	remove(path);
	return 0;
}

} // namespace


void
StorageTest::SetUp()
{
	char pattern[] = "/tmp/storage-test-XXXXXX";
	ASSERT_NE(mkdtemp(pattern), nullptr);
	fRoot = pattern;
	fHome = fRoot + "/home";
	fData = fHome + "/.local/share";
	fConfig = fHome + "/.config";
	ASSERT_EQ(mkdir(fHome.c_str(), 0700), 0);

	const char* names[] = { "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
		"XDG_CONFIG_DIRS" };
	for (const char* name : names) {
		const char* value = getenv(name);
		if (value != NULL)
			fSavedEnvironment.push_back(std::make_pair(name, value));
		else
			fUnsetEnvironment.push_back(name);
	}
	setenv("HOME", fHome.c_str(), 1);
	setenv("XDG_DATA_HOME", fData.c_str(), 1);
	setenv("XDG_CONFIG_HOME", fConfig.c_str(), 1);
	// The machine's own defaults stay out of every test.
	setenv("XDG_CONFIG_DIRS", (fRoot + "/xdg").c_str(), 1);
	BPrivate::ForceAttributeFallbackForTests(false);
}


void
StorageTest::TearDown()
{
	BPrivate::ForceAttributeFallbackForTests(false);
	for (const auto& saved : fSavedEnvironment)
		setenv(saved.first.c_str(), saved.second.c_str(), 1);
	for (const std::string& name : fUnsetEnvironment)
		unsetenv(name.c_str());
	if (!fRoot.empty())
		nftw(fRoot.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}


void
StorageTest::WriteFile(const std::string& path, const std::string& data) const
{
	std::ofstream out(path.c_str(), std::ios::binary);
	out << data;
	ASSERT_TRUE(out.good()) << path;
}


std::string
StorageTest::ReadFile(const std::string& path) const
{
	std::ifstream in(path.c_str(), std::ios::binary);
	std::stringstream data;
	data << in.rdbuf();
	return data.str();
}


int
StorageTest::Run(const std::vector<std::string>& argv, bool quiet)
{
	pid_t pid = fork();
	if (pid < 0)
		return -1;
	if (pid == 0) {
		if (quiet) {
			int null = open("/dev/null", O_WRONLY);
			dup2(null, 1);
			dup2(null, 2);
		}
		std::vector<char*> args;
		for (const std::string& word : argv)
			args.push_back(const_cast<char*>(word.c_str()));
		args.push_back(NULL);
		execvp(args[0], args.data());
		_exit(127);
	}
	int status;
	if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
		return -1;
	return WEXITSTATUS(status);
}
