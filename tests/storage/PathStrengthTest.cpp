#include <sys/stat.h>

#include <string>

#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "StorageTestHome.h"

typedef StorageTest PathStrengthTest;


// Parents up to the root: a folder right under the root has the root for
// its parent, and the root has none.
TEST_F(PathStrengthTest, ParentsOfTopFolders)
{
	BPath parent;
	ASSERT_EQ(BPath("/tmp").GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/");
	ASSERT_EQ(BPath("/a/b").GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/a");
	BPath root("/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
}


// A path that goes on through a file names nothing: it is refused as
// such, not taken for an entry in a folder.
TEST_F(PathStrengthTest, PathsThroughAFileAreRefused)
{
	std::string file = Path("list.tvx");
	WriteFile(file, "/a.wav\n");
	std::string through = file + "/a.wav";
	EXPECT_EQ(BPath(through.c_str(), NULL, true).InitCheck(),
		B_NOT_A_DIRECTORY);
	EXPECT_EQ(BEntry(through.c_str()).InitCheck(), B_NOT_A_DIRECTORY);
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(through.c_str(), &ref), B_NOT_A_DIRECTORY);
	EXPECT_NE(BFile(through.c_str(), B_READ_WRITE | B_CREATE_FILE)
		.InitCheck(), B_OK);
	struct stat st;
	EXPECT_EQ(stat(file.c_str(), &st), 0);
	EXPECT_TRUE(S_ISREG(st.st_mode));
}
