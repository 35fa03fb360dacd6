#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "StorageTestHome.h"

typedef StorageTest EntryPathTest;


TEST_F(EntryPathTest, RefOfAPathLeadsBackToIt)
{
	WriteFile(Path("song.wav"), "RIFF");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(Path("song.wav").c_str(), &ref), B_OK);
	EXPECT_STREQ(ref.name, "song.wav");

	BPath path(&ref);
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_EQ(std::string(path.Path()), Path("song.wav"));
	EXPECT_STREQ(path.Leaf(), "song.wav");

	BEntry entry(&ref);
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_TRUE(entry.Exists());
	EXPECT_TRUE(entry.IsFile());
	EXPECT_FALSE(entry.IsDirectory());
	entry_ref again;
	ASSERT_EQ(entry.GetRef(&again), B_OK);
	EXPECT_TRUE(again == ref);

	// The same entry named with "." and ".." in the way gives the same ref.
	mkdir(Path("sub").c_str(), 0700);
	entry_ref roundabout;
	ASSERT_EQ(get_ref_for_path((Path("sub") + "/../song.wav").c_str(),
		&roundabout), B_OK);
	EXPECT_TRUE(roundabout == ref);
}


TEST_F(EntryPathTest, AbstractEntryNeedsItsFolder)
{
	BEntry missing(Path("not-yet.tvx").c_str());
	EXPECT_EQ(missing.InitCheck(), B_OK);
	EXPECT_FALSE(missing.Exists());

	BEntry orphan(Path("no-folder/file").c_str());
	EXPECT_EQ(orphan.InitCheck(), B_ENTRY_NOT_FOUND);
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(Path("no-folder/file").c_str(), &ref),
		B_ENTRY_NOT_FOUND);

	// Created through the abstract entry's ref, then removed through it.
	ASSERT_EQ(missing.GetRef(&ref), B_OK);
	BFile file(&ref, B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_TRUE(missing.Exists());
	EXPECT_EQ(missing.Remove(), B_OK);
	EXPECT_FALSE(missing.Exists());
	EXPECT_EQ(missing.Remove(), B_ENTRY_NOT_FOUND);
}


TEST_F(EntryPathTest, LongNamesAreRefusedNotCut)
{
	std::string leaf(B_FILE_NAME_LENGTH, 'a');
	BPath path(fRoot.c_str(), leaf.c_str());
	EXPECT_EQ(path.InitCheck(), B_NAME_TOO_LONG);
	EXPECT_EQ(path.Path(), nullptr);
	BEntry entry((fRoot + "/" + leaf).c_str());
	EXPECT_EQ(entry.InitCheck(), B_NAME_TOO_LONG);

	// 1023 bytes is the longest path; 1024 is refused.
	std::string longest = "/";
	while (longest.size() < B_PATH_NAME_LENGTH - 1)
		longest += std::string(std::min<size_t>(200,
			B_PATH_NAME_LENGTH - 1 - longest.size() - 1), 'b') + "/";
	longest.resize(B_PATH_NAME_LENGTH - 1);
	if (longest.back() == '/')
		longest.back() = 'c';
	EXPECT_EQ(BPath(longest.c_str()).InitCheck(), B_OK);
	std::string tooLong = longest + "d";
	EXPECT_EQ(BPath(tooLong.c_str()).InitCheck(), B_NAME_TOO_LONG);
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(tooLong.c_str(), &ref), B_NAME_TOO_LONG);
	BFile file(tooLong.c_str(), B_READ_ONLY);
	EXPECT_EQ(file.InitCheck(), B_NAME_TOO_LONG);

	// A failed append keeps the path that was.
	BPath base(fRoot.c_str());
	EXPECT_EQ(base.Append(leaf.c_str()), B_NAME_TOO_LONG);
	EXPECT_EQ(std::string(base.Path()), fRoot);
	EXPECT_EQ(base.Append("x/y"), B_OK);
	EXPECT_EQ(std::string(base.Path()), fRoot + "/x/y");
}


TEST_F(EntryPathTest, PathsAndParents)
{
	BPath path("/a/b/c.wav");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_STREQ(path.Leaf(), "c.wav");
	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/a/b");
	BPath root("/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BPath("/a", "/b").InitCheck(), B_BAD_VALUE);

	mkdir(Path("dir").c_str(), 0700);
	BEntry entry(Path("dir").c_str());
	BEntry folder;
	ASSERT_EQ(entry.GetParent(&folder), B_OK);
	BPath folderPath;
	ASSERT_EQ(folder.GetPath(&folderPath), B_OK);
	EXPECT_EQ(std::string(folderPath.Path()), fRoot);
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "dir");
	EXPECT_TRUE(entry.IsDirectory());
	EXPECT_EQ(entry.Remove(), B_OK);
}


TEST_F(EntryPathTest, LinksAreFollowedOnlyWhenAsked)
{
	WriteFile(Path("target.wav"), "data");
	ASSERT_EQ(symlink("target.wav", Path("link").c_str()), 0);
	ASSERT_EQ(symlink("nowhere", Path("dangling").c_str()), 0);

	BEntry link(Path("link").c_str());
	EXPECT_TRUE(link.IsSymLink());
	EXPECT_FALSE(link.IsFile());
	BPath path;
	link.GetPath(&path);
	EXPECT_EQ(std::string(path.Path()), Path("link"));

	BEntry followed(Path("link").c_str(), true);
	EXPECT_TRUE(followed.IsFile());
	followed.GetPath(&path);
	EXPECT_EQ(std::string(path.Path()), Path("target.wav"));

	BEntry dangling(Path("dangling").c_str());
	EXPECT_TRUE(dangling.Exists());
	EXPECT_EQ(BEntry(Path("dangling").c_str(), true).InitCheck(),
		B_ENTRY_NOT_FOUND);
}


TEST_F(EntryPathTest, BootFoldersLeadToTheirLinuxPlaces)
{
	// Only meaningful where /boot does not exist as such.
	struct stat st;
	if (lstat("/boot/home", &st) == 0)
		GTEST_SKIP() << "/boot/home exists on this machine";

	mkdir((fHome + "/.local").c_str(), 0700);
	mkdir((fHome + "/.local/bin").c_str(), 0700);
	WriteFile(fHome + "/.local/bin/Gogo", "#!/bin/sh\n");
	BEntry encoder("/boot/home/config/bin/Gogo");
	ASSERT_EQ(encoder.InitCheck(), B_OK);
	EXPECT_TRUE(encoder.Exists());
	BPath path;
	encoder.GetPath(&path);
	EXPECT_EQ(std::string(path.Path()), fHome + "/.local/bin/Gogo");

	mkdir(fConfig.c_str(), 0700);
	WriteFile(fConfig + "/prefs", "x");
	BFile prefs("/boot/home/config/settings/prefs", B_READ_ONLY);
	EXPECT_EQ(prefs.InitCheck(), B_OK);

	WriteFile(fHome + "/list.tvx", "x");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("/boot/home/list.tvx", &ref), B_OK);
	EXPECT_EQ(std::string(BPath(&ref).Path()), fHome + "/list.tvx");
	// "/boot/homework" is not under /boot/home.
	EXPECT_NE(BEntry("/boot/homework/x").InitCheck(), B_OK);
	// A path kept as given unless normalised.
	EXPECT_STREQ(BPath("/boot/home/list.tvx").Path(), "/boot/home/list.tvx");
	EXPECT_EQ(std::string(BPath("/boot/home/list.tvx", NULL, true).Path()),
		fHome + "/list.tvx");
}


TEST_F(EntryPathTest, FileDataAndModes)
{
	BFile file(Path("out.tvx").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_EQ(file.Write("hello", 5), 5);
	EXPECT_EQ(file.Read(NULL, 0), B_NOT_ALLOWED);
	off_t size;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 5);

	BFile again(Path("out.tvx").c_str(),
		B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
	EXPECT_EQ(again.InitCheck(), B_FILE_EXISTS);

	BFile appended(Path("out.tvx").c_str(), B_WRITE_ONLY | B_OPEN_AT_END);
	EXPECT_EQ(appended.Write("!", 1), 1);
	EXPECT_EQ(ReadFile(Path("out.tvx")), "hello!");

	BFile erased(Path("out.tvx").c_str(), B_READ_WRITE | B_ERASE_FILE);
	ASSERT_EQ(erased.InitCheck(), B_OK);
	erased.GetSize(&size);
	EXPECT_EQ(size, 0);
	EXPECT_EQ(erased.Write("abc", 3), 3);
	EXPECT_EQ(erased.Seek(1, SEEK_SET), 1);
	char buffer[4] = {};
	EXPECT_EQ(erased.Read(buffer, sizeof(buffer)), 2);
	EXPECT_STREQ(buffer, "bc");
	EXPECT_EQ(erased.Position(), 3);
	EXPECT_EQ(erased.SetSize(1), B_OK);
	EXPECT_EQ(ReadFile(Path("out.tvx")), "a");

	EXPECT_EQ(BFile(fRoot.c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
	EXPECT_EQ(BFile(Path("missing").c_str(), B_READ_ONLY).InitCheck(),
		B_ENTRY_NOT_FOUND);
}


// Two files of one name in two folders are two entries.
TEST_F(EntryPathTest, SameNamesInTwoFoldersAreDifferentRefs)
{
	mkdir(Path("a").c_str(), 0755);
	mkdir(Path("b").c_str(), 0755);
	WriteFile(Path("a/lista.tvx"), "");
	WriteFile(Path("b/lista.tvx"), "");
	entry_ref first;
	entry_ref second;
	entry_ref again;
	ASSERT_EQ(get_ref_for_path(Path("a/lista.tvx").c_str(), &first), B_OK);
	ASSERT_EQ(get_ref_for_path(Path("b/lista.tvx").c_str(), &second), B_OK);
	ASSERT_EQ(get_ref_for_path(Path("a/lista.tvx").c_str(), &again), B_OK);
	EXPECT_FALSE(first == second);
	EXPECT_TRUE(first != second);
	EXPECT_TRUE(first == again);
}
