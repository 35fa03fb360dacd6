#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

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
