#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include "private/storage/Attributes.h"

#include "StorageTestHome.h"

typedef StorageTest AttributeStrengthTest;

namespace {

std::vector<std::string>
Names(const std::string& folder)
{
	std::vector<std::string> names;
	if (DIR* dir = opendir(folder.c_str())) {
		while (struct dirent* entry = readdir(dir)) {
			std::string name(entry->d_name);
			if (name != "." && name != "..")
				names.push_back(name);
		}
		closedir(dir);
	}
	return names;
}

} // namespace


// An attribute name is any text: in the fallback store, where each value
// is a file, names that are special to the file system ("." and "..",
// a slash, a leading dot) are values like any other, each in the node's
// own folder.
TEST_F(AttributeStrengthTest, FallbackStoreTakesAnyName)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	const char* names[] = { ".", "..", ".hidden", "a/b", "..a" };
	{
		BNode node(Path("Tolvex").c_str());
		ASSERT_EQ(node.InitCheck(), B_OK);
		for (const char* name : names) {
			EXPECT_EQ(node.WriteAttr(name, B_STRING_TYPE, 0, name,
				strlen(name) + 1), (ssize_t)strlen(name) + 1) << name;
		}
	}
	BNode node(Path("Tolvex").c_str());
	for (const char* name : names) {
		char buffer[16] = "";
		EXPECT_EQ(node.ReadAttr(name, B_STRING_TYPE, 0, buffer,
			sizeof(buffer)), (ssize_t)strlen(name) + 1) << name;
		EXPECT_STREQ(buffer, name);
	}
	struct stat st;
	ASSERT_EQ(stat(Path("Tolvex").c_str(), &st), 0);
	std::string folder = BPrivate::AttributeFallbackFolder(st.st_dev,
		st.st_ino);
	// One file a name, and the mark of the node's generation.
	EXPECT_EQ(Names(folder).size(), sizeof(names) / sizeof(names[0]) + 1);
	EXPECT_EQ(access((folder + "/.generation").c_str(), F_OK), 0);
	for (const char* name : names)
		EXPECT_EQ(node.RemoveAttr(name), B_OK) << name;
	// The node's folder goes with its last attribute.
	EXPECT_NE(access(folder.c_str(), F_OK), 0);
	BPrivate::ForceAttributeFallbackForTests(false);
}


// A device in a value's place is no value, even one that reads without
// end: only a regular file is read.
TEST_F(AttributeStrengthTest, FallbackStoreReadsNoDevice)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	{
		BNode node(Path("Tolvex").c_str());
		ASSERT_EQ(node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, "\1",
			1), 1);
	}
	struct stat st;
	ASSERT_EQ(stat(Path("Tolvex").c_str(), &st), 0);
	std::string folder = BPrivate::AttributeFallbackFolder(st.st_dev,
		st.st_ino);
	// The same device as /dev/zero.
	if (mknod((folder + "/encoder_location").c_str(), S_IFCHR | 0600,
			makedev(1, 5)) != 0) {
		BPrivate::ForceAttributeFallbackForTests(false);
		GTEST_SKIP() << "no device nodes here: " << strerror(errno);
	}
	BNode node(Path("Tolvex").c_str());
	char buffer[64];
	ssize_t read = node.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer));
	EXPECT_LT(read, 0);
	EXPECT_NE(read, B_ENTRY_NOT_FOUND);
	attr_info info;
	EXPECT_NE(node.GetAttrInfo("encoder_location", &info), B_OK);
	BPrivate::ForceAttributeFallbackForTests(false);
}


// A write at an offset makes a new attribute of the bytes before it, as
// zeros, in either store.
TEST_F(AttributeStrengthTest, WriteAtAnOffsetMakesANewAttribute)
{
	for (bool fallback : { false, true }) {
		SCOPED_TRACE(fallback ? "fallback store" : "extended attributes");
		std::string path = Path(fallback ? "b" : "a");
		WriteFile(path, "data");
		BPrivate::ForceAttributeFallbackForTests(fallback);
		BNode node(path.c_str());
		ASSERT_EQ(node.InitCheck(), B_OK);
		EXPECT_EQ(node.WriteAttr("fresh", B_RAW_TYPE, 4, "ab", 2), 2);
		char buffer[16];
		ssize_t read = node.ReadAttr("fresh", B_RAW_TYPE, 0, buffer,
			sizeof(buffer));
		EXPECT_EQ(std::string(buffer, read > 0 ? read : 0),
			std::string("\0\0\0\0ab", 6));
		BPrivate::ForceAttributeFallbackForTests(false);
	}
}


// No more of a fallback value is read than the caller takes, whatever
// the file holds: a reader's memory is bounded by its own limit.
TEST_F(AttributeStrengthTest, FallbackReadStopsAtTheCallersLimit)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	std::string value(10000, 'v');
	BNode node(Path("Tolvex").c_str());
	ASSERT_EQ(node.WriteAttr("big", B_RAW_TYPE, 0, value.data(),
		value.size()), (ssize_t)value.size());
	int fd = open(Path("Tolvex").c_str(), O_RDONLY | O_CLOEXEC);
	ASSERT_GE(fd, 0);
	for (size_t limit : { (size_t)0, (size_t)10, (size_t)5000 }) {
		std::string data;
		EXPECT_EQ(BPrivate::GetAttribute(fd, "big", NULL, &data, limit),
			B_OK) << limit;
		EXPECT_EQ(data, value.substr(0, limit));
	}
	close(fd);
	BPrivate::ForceAttributeFallbackForTests(false);
}


namespace {

std::string
Read(const std::string& path, const char* name)
{
	BNode node(path.c_str());
	char buffer[32] = "";
	ssize_t read = node.ReadAttr(name, B_STRING_TYPE, 0, buffer,
		sizeof(buffer) - 1);
	return read < 0 ? "error " + std::to_string(read) : std::string(buffer);
}


bool
Write(const std::string& path, const char* name, const char* value)
{
	BNode node(path.c_str());
	return node.WriteAttr(name, B_STRING_TYPE, 0, value, strlen(value) + 1)
		== (ssize_t)strlen(value) + 1;
}


std::string
StoreOf(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return "";
	return BPrivate::AttributeFallbackFolder(st.st_dev, st.st_ino);
}

} // namespace


// The fallback store forgets a file's records when its last name goes,
// removed or renamed over, and keeps them while another name is left; a
// file made later on the node of one removed behind the kit's back (a
// number the file system gives again) does not get that file's records,
// and writing its own clears them.
TEST_F(AttributeStrengthTest, FallbackStoreForgetsFilesThatAreGone)
{
	BPrivate::ForceAttributeFallbackForTests(true);
	std::string gone = Path("gone");
	std::string replaced = Path("replaced");
	std::string moved = Path("moved");
	std::string linked = Path("linked");
	for (const std::string& path : { gone, replaced, moved, linked }) {
		WriteFile(path, "data");
		ASSERT_TRUE(Write(path, "who", path.c_str())) << path;
	}
	ASSERT_EQ(link(linked.c_str(), Path("linked-too").c_str()), 0);
	std::string goneStore = StoreOf(gone);
	std::string replacedStore = StoreOf(replaced);
	std::string linkedStore = StoreOf(linked);
	ASSERT_EQ(access(goneStore.c_str(), F_OK), 0);

	// With standard input closed, the records' folder opens as descriptor 0.
	int savedInput = dup(0);
	ASSERT_GE(savedInput, 0);
	close(0);
	status_t removed = BEntry(gone.c_str()).Remove();
	dup2(savedInput, 0);
	close(savedInput);
	EXPECT_EQ(removed, B_OK);
	EXPECT_EQ(BEntry(moved.c_str()).Rename(replaced.c_str(), true), B_OK);
	EXPECT_EQ(BEntry(linked.c_str()).Remove(), B_OK);
	EXPECT_NE(access(goneStore.c_str(), F_OK), 0);
	EXPECT_NE(access(replacedStore.c_str(), F_OK), 0);
	EXPECT_EQ(Read(replaced, "who"), moved);
	EXPECT_EQ(Read(Path("linked-too"), "who"), linked);
	EXPECT_EQ(StoreOf(Path("linked-too")), linkedStore);
	// A file renamed over itself, under another name, keeps its records.
	ASSERT_EQ(link(replaced.c_str(), Path("same").c_str()), 0);
	EXPECT_EQ(BEntry(Path("same").c_str()).Rename(replaced.c_str(), true),
		B_OK);
	EXPECT_EQ(Read(replaced, "who"), moved);

	// Removed behind the kit's back: its records stay, keyed by a number
	// the file system may give a new file.
	std::string stale = Path("stale");
	WriteFile(stale, "data");
	ASSERT_TRUE(Write(stale, "who", "stale"));
	ASSERT_TRUE(Write(stale, "other", "stale"));
	struct stat old;
	ASSERT_EQ(stat(stale.c_str(), &old), 0);
	ASSERT_EQ(unlink(stale.c_str()), 0);
	std::string reused;
	for (int i = 0; i < 200 && reused.empty(); i++) {
		std::string candidate = Path("new-" + std::to_string(i));
		WriteFile(candidate, "data");
		struct stat st;
		if (stat(candidate.c_str(), &st) == 0 && st.st_ino == old.st_ino
			&& st.st_dev == old.st_dev)
			reused = candidate;
	}
	BPrivate::ForceAttributeFallbackForTests(false);
	if (reused.empty())
		GTEST_SKIP() << "the file system gave no node number again";
	struct statx birth;
	if (statx(AT_FDCWD, reused.c_str(), 0, STATX_BTIME, &birth) != 0
		|| (birth.stx_mask & STATX_BTIME) == 0)
		GTEST_SKIP() << "the file system tells no birth time";
	BPrivate::ForceAttributeFallbackForTests(true);
	EXPECT_EQ(Read(reused, "who"), "error " + std::to_string(
		(int)B_ENTRY_NOT_FOUND));
	BNode node(reused.c_str());
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_EQ(node.GetNextAttrName(name), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.RemoveAttr("other"), B_ENTRY_NOT_FOUND);
	ASSERT_TRUE(Write(reused, "mine", "new"));
	EXPECT_EQ(Read(reused, "mine"), "new");
	EXPECT_EQ(Read(reused, "other"), "error " + std::to_string(
		(int)B_ENTRY_NOT_FOUND));
	std::vector<std::string> left = Names(StoreOf(reused));
	std::sort(left.begin(), left.end());
	EXPECT_EQ(left, std::vector<std::string>({ ".generation", "mine" }));
	BPrivate::ForceAttributeFallbackForTests(false);
}
