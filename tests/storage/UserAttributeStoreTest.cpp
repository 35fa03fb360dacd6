#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>

#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include "private/storage/Attributes.h"
#include "private/storage/UserAttributeStore.h"
#include "StorageTestHome.h"

namespace {

// Another user's id, as a shared install's root is to an ordinary user.
const uid_t kOtherUser = 64123;


std::string
RawXattr(const std::string& path, const char* name)
{
	char buffer[4096];
	ssize_t size = getxattr(path.c_str(), name, buffer, sizeof(buffer));
	return size < 0 ? std::string("<none>") : std::string(buffer, size);
}


std::string
ReadString(BNode& node, const char* name)
{
	char buffer[1100];
	ssize_t length = node.ReadAttr(name, B_STRING_TYPE, 0, buffer,
		sizeof(buffer));
	if (length < 0)
		return "error " + std::to_string(length);
	return std::string(buffer, length);
}


std::string
Value(const char* type, const std::string& data)
{
	return std::string(type, 4) + data;
}


class UserAttributeStoreTest : public StorageTest {
protected:
	void SetUp() override
	{
		StorageTest::SetUp();
		fExecutable = Path("prefix/lib/tolvex/Tolvex");
		ASSERT_EQ(0, system(("mkdir -p '" + Path("prefix/lib/tolvex")
			+ "'").c_str()));
		WriteFile(fExecutable, "\x7f" "ELF the program");
		ASSERT_EQ(0, chmod(fExecutable.c_str(), 0755));
		BPrivate::UserAttributeStore::SetExecutableForTests(
			fExecutable.c_str());
	}

	void TearDown() override
	{
		BPrivate::UserAttributeStore::SetExecutableForTests(NULL);
		StorageTest::TearDown();
	}

	// Not this user's to write: another user's file where the test may
	// give it away (root), else a file without write permission.
	void MakeShared(const std::string& path)
	{
		if (geteuid() == 0)
			ASSERT_EQ(0, chown(path.c_str(), kOtherUser, kOtherUser));
		else
			ASSERT_EQ(0, chmod(path.c_str(), 0555));
	}

	std::string StoreOf(const std::string& config) const
	{
		return config + "/beos_app_attributes" + fExecutable;
	}

	std::string fExecutable;
};

} // namespace


// The program opens its shared executable for writing as BeOS programs
// do; the attributes go to this user's file, the executable keeps its own,
// and what this user has not stored reads as the executable has it.
TEST_F(UserAttributeStoreTest, SharedExecutableKeepsThisUsersAttributes)
{
	ASSERT_EQ(0, setxattr(fExecutable.c_str(), "user.encoder_location",
		"CSTR/admin/Gogo", 16, 0));
	ASSERT_EQ(0, setxattr(fExecutable.c_str(), "user.dont_clear_on_open",
		"BOOL\1", 5, 0));
	MakeShared(fExecutable);

	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(B_OK, file.InitCheck());
		EXPECT_EQ(11, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/mine/Gogo", 11));
		uint8 on = 1;
		EXPECT_EQ(1, file.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, &on,
			1));
		// Its data are not this user's to change (root may change
		// anyone's).
		if (geteuid() != 0) {
			EXPECT_EQ(B_BUSY, file.Write("x", 1));
		}
	}
	EXPECT_EQ("\x7f" "ELF the program", ReadFile(fExecutable));
	EXPECT_EQ(Value("CSTR", std::string("/admin/Gogo", 12)),
		RawXattr(fExecutable, "user.encoder_location"));
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.dont_close_on_add"));

	std::string store = StoreOf(fConfig);
	EXPECT_EQ(Value("CSTR", std::string("/mine/Gogo", 11)),
		RawXattr(store, "user.encoder_location"));
	EXPECT_EQ(Value("BOOL", "\1"), RawXattr(store, "user.dont_close_on_add"));
	// Its text only says what it is, once, however often it is written.
	EXPECT_EQ("Attributes of the executable named by this file's path, kept"
		" for this user (getfattr -d shows them).\n", ReadFile(store));
	struct stat info;
	ASSERT_EQ(0, stat(store.c_str(), &info));
	EXPECT_EQ(0600u, info.st_mode & 0777);
	EXPECT_EQ(geteuid(), info.st_uid);
	ASSERT_EQ(0, stat((fConfig + "/beos_app_attributes").c_str(), &info));
	EXPECT_EQ(0700u, info.st_mode & 0777);

	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/mine/Gogo", 11), ReadString(node,
		"encoder_location"));
	attr_info attrInfo;
	ASSERT_EQ(B_OK, node.GetAttrInfo("encoder_location", &attrInfo));
	EXPECT_EQ((type_code)B_STRING_TYPE, attrInfo.type);
	EXPECT_EQ(11, attrInfo.size);
	uint8 value = 0;
	EXPECT_EQ(1, node.ReadAttr("dont_close_on_add", B_BOOL_TYPE, 0, &value,
		1));
	EXPECT_EQ(1, value);
	// Not stored by this user: the executable's own.
	value = 0;
	EXPECT_EQ(1, node.ReadAttr("dont_clear_on_open", B_BOOL_TYPE, 0, &value,
		1));
	EXPECT_EQ(1, value);
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.ReadAttr("self_register_mime_type",
		B_BOOL_TYPE, 0, &value, 1));

	// Removing takes this user's value away, not the executable's.
	EXPECT_EQ(B_OK, node.RemoveAttr("encoder_location"));
	EXPECT_EQ(std::string("/admin/Gogo", 12), ReadString(node,
		"encoder_location"));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.RemoveAttr("self_register_mime_type"));
	EXPECT_EQ(Value("CSTR", std::string("/admin/Gogo", 12)),
		RawXattr(fExecutable, "user.encoder_location"));
}


// Another user (another configuration folder) sees none of the first
// one's values, and writes their own.
TEST_F(UserAttributeStoreTest, TwoUsersKeepTheirOwnValues)
{
	MakeShared(fExecutable);
	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(B_OK, file.InitCheck());
		ASSERT_EQ(7, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/first", 7));
	}
	std::string second = fRoot + "/second/.config";
	setenv("XDG_CONFIG_HOME", second.c_str(), 1);
	{
		BNode node(fExecutable.c_str());
		EXPECT_EQ("error " + std::to_string(B_ENTRY_NOT_FOUND),
			ReadString(node, "encoder_location"));
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(B_OK, file.InitCheck());
		ASSERT_EQ(8, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/second", 8));
		EXPECT_EQ(std::string("/second", 8), ReadString(node,
			"encoder_location"));
	}
	EXPECT_EQ(Value("CSTR", std::string("/second", 8)),
		RawXattr(StoreOf(second), "user.encoder_location"));
	setenv("XDG_CONFIG_HOME", fConfig.c_str(), 1);
	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/first", 7), ReadString(node, "encoder_location"));
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.encoder_location"));
}


// An executable this user owns and may write keeps its attributes on
// itself, as always; no store is made.
TEST_F(UserAttributeStoreTest, OwnedWritableExecutableKeepsThemOnItself)
{
	BFile file(fExecutable.c_str(), B_WRITE_ONLY);
	ASSERT_EQ(B_OK, file.InitCheck());
	EXPECT_EQ(4, file.WriteAttr("encoder_location", B_STRING_TYPE, 0, "/on",
		4));
	EXPECT_EQ(Value("CSTR", std::string("/on", 4)),
		RawXattr(fExecutable, "user.encoder_location"));
	EXPECT_NE(0, access((fConfig + "/beos_app_attributes").c_str(), F_OK));
	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/on", 4), ReadString(node, "encoder_location"));
}


// Only the program's own executable has a stand-in: another shared file
// refuses to be opened for writing where the user may not write it, and
// its attributes are its own.
TEST_F(UserAttributeStoreTest, OtherSharedFilesAreNotRedirected)
{
	std::string other = Path("prefix/lib/tolvex/leggimi");
	WriteFile(other, "testo");
	MakeShared(other);
	if (geteuid() == 0) {
		// Root may write another user's file: the attributes land on it.
		BNode node(other.c_str());
		EXPECT_EQ(3, node.WriteAttr("note", B_STRING_TYPE, 0, "ab", 3));
		EXPECT_EQ(Value("CSTR", std::string("ab", 3)),
			RawXattr(other, "user.note"));
	} else {
		BFile file(other.c_str(), B_WRITE_ONLY);
		EXPECT_EQ(B_PERMISSION_DENIED, file.InitCheck());
		BNode node(other.c_str());
		EXPECT_EQ(B_PERMISSION_DENIED, node.WriteAttr("note", B_STRING_TYPE,
			0, "ab", 3));
	}
	EXPECT_NE(0, access((fConfig + "/beos_app_attributes").c_str(), F_OK));
	// A link to the executable is the executable.
	std::string link = Path("prefix/Tolvex-link");
	ASSERT_EQ(0, symlink(fExecutable.c_str(), link.c_str()));
	EXPECT_TRUE(BPrivate::UserAttributeStore::IsExecutable(link.c_str()));
	EXPECT_FALSE(BPrivate::UserAttributeStore::IsExecutable(other.c_str()));
	EXPECT_FALSE(BPrivate::UserAttributeStore::IsExecutable(
		Path("prefix/missing").c_str()));
	EXPECT_FALSE(BPrivate::UserAttributeStore::IsExecutable(NULL));
}


// A package upgrade puts a new file at the executable's path: the user's
// values are kept by the path, so the new executable reads them.
TEST_F(UserAttributeStoreTest, ValuesSurviveAnUpgradeOfTheExecutable)
{
	MakeShared(fExecutable);
	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(6, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/kept", 6));
	}
	std::string fresh = fExecutable + ".dpkg-new";
	WriteFile(fresh, "\x7f" "ELF the next version");
	MakeShared(fresh);
	ASSERT_EQ(0, rename(fresh.c_str(), fExecutable.c_str()));
	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/kept", 6), ReadString(node, "encoder_location"));
}


// Something else in the store's place (a link, a FIFO, a folder) is
// neither followed nor waited on: reads and writes say the data are bad,
// and the link's target is left alone.
TEST_F(UserAttributeStoreTest, AStoreThatIsNotAFileIsBadData)
{
	MakeShared(fExecutable);
	std::string store = StoreOf(fConfig);
	ASSERT_EQ(0, system(("mkdir -p '" + store.substr(0, store.rfind('/'))
		+ "'").c_str()));
	std::string target = Path("elsewhere");
	WriteFile(target, "");

	const char* kinds[] = { "link", "fifo", "folder" };
	for (const char* kind : kinds) {
		SCOPED_TRACE(kind);
		if (strcmp(kind, "link") == 0)
			ASSERT_EQ(0, symlink(target.c_str(), store.c_str()));
		else if (strcmp(kind, "fifo") == 0)
			ASSERT_EQ(0, mkfifo(store.c_str(), 0600));
		else
			ASSERT_EQ(0, mkdir(store.c_str(), 0700));
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(B_OK, file.InitCheck());
		char buffer[16];
		EXPECT_EQ(B_BAD_DATA, file.ReadAttr("encoder_location",
			B_STRING_TYPE, 0, buffer, sizeof(buffer)));
		EXPECT_EQ(B_BAD_DATA, file.WriteAttr("encoder_location",
			B_STRING_TYPE, 0, "/x", 3));
		EXPECT_EQ("<none>", RawXattr(target, "user.encoder_location"));
		ASSERT_EQ(0, remove(store.c_str()));
	}
}


// Where the configuration folder keeps no user attributes, the store is
// a node like any other: the kits' fallback store keeps its values.
TEST_F(UserAttributeStoreTest, StoreWithoutFileSystemAttributesFallsBack)
{
	MakeShared(fExecutable);
	BPrivate::ForceAttributeFallbackForTests(true);
	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(3, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/f", 3));
	}
	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/f", 3), ReadString(node, "encoder_location"));
	struct stat info;
	ASSERT_EQ(0, stat(StoreOf(fConfig).c_str(), &info));
	EXPECT_EQ(Value("CSTR", std::string("/f", 3)), ReadFile(
		BPrivate::AttributeFallbackFolder(info.st_dev, info.st_ino)
			+ "/encoder_location"));
	BPrivate::ForceAttributeFallbackForTests(false);
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.encoder_location"));
}


// A program started with its standard input closed opens files as
// descriptor 0: the executable, or this user's file, may be that one.
TEST_F(UserAttributeStoreTest, DescriptorZeroIsADescriptorLikeAnyOther)
{
	MakeShared(fExecutable);
	int savedInput = dup(0);
	ASSERT_GE(savedInput, 0);

	close(0);
	status_t first;
	{
		BNode node(fExecutable.c_str());
		first = node.WriteAttr("encoder_location", B_STRING_TYPE, 0, "/zero",
			6);
	}
	// Now the executable elsewhere, and this user's file at 0.
	ASSERT_EQ(0, open("/dev/null", O_RDONLY));
	BNode node(fExecutable.c_str());
	close(0);
	ssize_t second = node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0,
		"\1", 1);
	dup2(savedInput, 0);
	close(savedInput);

	EXPECT_EQ(6, first);
	EXPECT_EQ(1, second);
	std::string store = StoreOf(fConfig);
	EXPECT_EQ(Value("CSTR", std::string("/zero", 6)),
		RawXattr(store, "user.encoder_location"));
	EXPECT_EQ(Value("BOOL", "\1"), RawXattr(store, "user.dont_close_on_add"));
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.encoder_location"));
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.dont_close_on_add"));
}
