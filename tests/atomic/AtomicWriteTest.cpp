#include <gtest/gtest.h>

#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "private/storage/AtomicFile.h"

// This suite stands in for the C library's fsync and rename, to see the
// order in which the atomic writer calls them and to make the flush fail.
namespace {

std::vector<std::string> sCalls;
bool sRecording = false;
bool sFailFlush = false;

} // namespace


extern "C" int
fsync(int fd)
{
	if (sRecording)
		sCalls.push_back("fsync");
	if (sFailFlush) {
		errno = EIO;
		return -1;
	}
	static int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
	return real(fd);
}


extern "C" int
rename(const char* from, const char* to)
{
	if (sRecording)
		sCalls.push_back("rename");
	static int (*real)(const char*, const char*)
		= (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
	return real(from, to);
}


// The new contents reach the disk before they take the old ones' name; a
// flush that fails leaves the old file as it was and no temporary behind.
TEST(AtomicWriteTest, FlushesBeforeTheRenameAndKeepsTheOldFileOnFailure)
{
	TemporaryHome home;
	std::string path = home.WriteFile("lista.tvx", "vecchio\n");

	sCalls.clear();
	sRecording = true;
	ASSERT_EQ(B_OK, BPrivate::WriteFileAtomically(path, "nuovo\n", 0644));
	sRecording = false;
	EXPECT_EQ((std::vector<std::string>{ "fsync", "rename" }), sCalls);
	EXPECT_EQ("nuovo\n", ReadFile(path));

	sCalls.clear();
	sRecording = true;
	sFailFlush = true;
	EXPECT_NE(B_OK, BPrivate::WriteFileAtomically(path, "perso\n", 0644));
	sFailFlush = false;
	sRecording = false;
	EXPECT_EQ((std::vector<std::string>{ "fsync" }), sCalls);
	EXPECT_EQ("nuovo\n", ReadFile(path));
	std::vector<std::string> left;
	FILE* list = popen(("ls -A '" + home.Path() + "'").c_str(), "r");
	ASSERT_NE(nullptr, list);
	char name[256];
	while (fgets(name, sizeof(name), list) != NULL)
		left.push_back(name);
	pclose(list);
	for (const std::string& entry : left)
		EXPECT_EQ(std::string::npos, entry.find("lista.tvx.")) << entry;
}
