#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>
#include <vector>

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
	EXPECT_EQ(Names(folder).size(), sizeof(names) / sizeof(names[0]));
	for (const char* name : names)
		EXPECT_EQ(node.RemoveAttr(name), B_OK) << name;
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
