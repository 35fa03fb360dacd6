#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
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


namespace {

// Standard error while it lives, as a file the test reads afterwards.
class CapturedErrors {
public:
	CapturedErrors(const std::string& path)
		:
		fPath(path),
		fSaved(dup(2))
	{
		fflush(stderr);
		int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		dup2(file, 2);
		close(file);
	}

	~CapturedErrors() { Restore(); }

	void Restore()
	{
		if (fSaved < 0)
			return;
		fflush(stderr);
		dup2(fSaved, 2);
		close(fSaved);
		fSaved = -1;
	}

private:
	std::string	fPath;
	int			fSaved;
};

} // namespace


// A store that someone else could have planted or changed (the issue of a
// configuration folder in a shared sticky folder: another user's file
// naming their own encoder) is ignored: reads give the executable's own
// value, writes store nothing, and one line on standard error says so.
// Each folder from the configuration folder down, and the file, must be
// the user's own and writable by nobody else; folders above may be
// writable by others only where sticky.
TEST_F(UserAttributeStoreTest, AStoreOthersCouldChangeIsIgnored)
{
	ASSERT_EQ(0, setxattr(fExecutable.c_str(), "user.encoder_location",
		"CSTR/admin/Gogo", 16, 0));
	MakeShared(fExecutable);
	const bool root = geteuid() == 0;

	struct Case {
		const char*	name;
		// Relative to the test's root: the configuration folder, the
		// folder above it, their modes, and what is done to the store.
		const char*	config;
		mode_t		aboveMode;
		mode_t		configMode;
		mode_t		folderMode;
		mode_t		fileMode;
		bool		otherOwnsFile;
		bool		otherOwnsConfig;
		bool		linkedFolder;
		bool		trusted;
		bool		needsRoot;
	} cases[] = {
		{ "own folders and file", "a/cfg", 0755, 0700, 0700, 0600, false,
			false, false, true, false },
		{ "readable by all, written by none", "b/cfg", 0755, 0755, 0755,
			0644, false, false, false, true, false },
		{ "above is sticky and everyone's, like /tmp", "c/cfg", 01777,
			0700, 0700, 0600, false, false, false, true, false },
		{ "file writable by the group", "d/cfg", 0755, 0700, 0700, 0620,
			false, false, false, false, false },
		{ "file writable by others", "e/cfg", 0755, 0700, 0700, 0602, false,
			false, false, false, false },
		{ "store folder writable by the group", "f/cfg", 0755, 0700, 0770,
			0600, false, false, false, false, false },
		{ "configuration folder writable by others", "g/cfg", 0755, 0703,
			0700, 0600, false, false, false, false, false },
		{ "configuration folder is a shared sticky one", "h/cfg", 0755,
			01777, 0700, 0600, false, false, false, false, false },
		{ "above writable by others, not sticky", "i/cfg", 0777, 0700, 0700,
			0600, false, false, false, false, false },
		{ "a link in a folder's place", "j/cfg", 0755, 0700, 0700, 0600,
			false, false, true, false, false },
		{ "file of another user", "k/cfg", 0755, 0700, 0700, 0600, true,
			false, false, false, true },
		{ "configuration folder of another user", "l/cfg", 0755, 0700, 0700,
			0600, false, true, false, false, true },
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		if (test.needsRoot && !root)
			continue;
		std::string config = Path(test.config);
		std::string above = config.substr(0, config.rfind('/'));
		std::string store = StoreOf(config);
		std::string folder = store.substr(0, store.rfind('/'));
		ASSERT_EQ(0, system(("mkdir -p '" + folder + "'").c_str()));
		WriteFile(store, "planted");
		ASSERT_EQ(0, setxattr(store.c_str(), "user.encoder_location",
			"CSTR/planted/Gogo", 18, 0));
		if (test.linkedFolder) {
			// The store's tree moved aside, reached through a link.
			std::string real = above + "/real-tree";
			ASSERT_EQ(0, rename((config + "/beos_app_attributes").c_str(),
				real.c_str()));
			ASSERT_EQ(0, symlink(real.c_str(),
				(config + "/beos_app_attributes").c_str()));
		}
		ASSERT_EQ(0, chmod(store.c_str(), test.fileMode));
		if (!test.linkedFolder) {
			ASSERT_EQ(0, chmod(folder.c_str(), test.folderMode));
		}
		ASSERT_EQ(0, chmod(config.c_str(), test.configMode));
		ASSERT_EQ(0, chmod(above.c_str(), test.aboveMode));
		if (test.otherOwnsFile) {
			ASSERT_EQ(0, chown(store.c_str(), kOtherUser, kOtherUser));
		}
		if (test.otherOwnsConfig) {
			ASSERT_EQ(0, chown(config.c_str(), kOtherUser, kOtherUser));
		}
		setenv("XDG_CONFIG_HOME", config.c_str(), 1);

		std::string errors = Path("errors.txt");
		std::string read;
		ssize_t written;
		{
			CapturedErrors captured(errors);
			BNode node(fExecutable.c_str());
			read = ReadString(node, "encoder_location");
			written = node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0,
				"\1", 1);
			ReadString(node, "encoder_location");
		}
		std::string said = ReadFile(errors);
		setenv("XDG_CONFIG_HOME", fConfig.c_str(), 1);

		if (test.trusted) {
			EXPECT_EQ(std::string("/planted/Gogo", 14), read);
			EXPECT_EQ(1, written);
			EXPECT_EQ("", said);
			continue;
		}
		EXPECT_EQ(std::string("/admin/Gogo", 12), read);
		EXPECT_EQ(B_NOT_ALLOWED, written);
		EXPECT_EQ("<none>", RawXattr(store, "user.dont_close_on_add"));
		EXPECT_EQ("planted", ReadFile(store));
		// One line, however many reads and writes, naming the store.
		EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
		EXPECT_NE(std::string::npos, said.find("impostazioni in " + store
			+ " ignorate: ")) << said;
		EXPECT_NE(std::string::npos, said.find(" non è vostro o altri "
			"possono scriverci.\n")) << said;
	}
	// Nothing of any of it reached the executable.
	EXPECT_EQ("<none>", RawXattr(fExecutable, "user.dont_close_on_add"));
}


// A store not yet made is made only inside trusted folders, and its new
// folders are the user's alone whatever the umask.
TEST_F(UserAttributeStoreTest, NothingIsMadeInAFolderOthersMayWrite)
{
	MakeShared(fExecutable);
	std::string shared = Path("shared");
	ASSERT_EQ(0, mkdir(shared.c_str(), 0777));
	ASSERT_EQ(0, chmod(shared.c_str(), 0777));
	setenv("XDG_CONFIG_HOME", (shared + "/cfg").c_str(), 1);
	{
		CapturedErrors captured(Path("errors.txt"));
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		EXPECT_EQ(B_NOT_ALLOWED, file.WriteAttr("encoder_location",
			B_STRING_TYPE, 0, "/x", 3));
	}
	EXPECT_NE(0, access((shared + "/cfg").c_str(), F_OK));

	mode_t mask = umask(0002);
	setenv("XDG_CONFIG_HOME", Path("fresh/cfg").c_str(), 1);
	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		EXPECT_EQ(3, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/x", 3));
	}
	umask(mask);
	setenv("XDG_CONFIG_HOME", fConfig.c_str(), 1);
	struct stat info;
	ASSERT_EQ(0, stat(Path("fresh/cfg/beos_app_attributes").c_str(), &info));
	EXPECT_EQ(0700u, info.st_mode & 0777);
	ASSERT_EQ(0, stat(StoreOf(Path("fresh/cfg")).c_str(), &info));
	EXPECT_EQ(0600u, info.st_mode & 07777);
}


// The administrator's starting values, under $XDG_CONFIG_DIRS, come after
// what the user stored and before the executable's own: the first folder
// of the list that has a value gives it. One others may write is ignored.
TEST_F(UserAttributeStoreTest, MachineDefaultsComeBetweenUserAndExecutable)
{
	ASSERT_EQ(0, setxattr(fExecutable.c_str(), "user.dont_clear_on_open",
		"BOOL\1", 5, 0));
	ASSERT_EQ(0, setxattr(fExecutable.c_str(), "user.dont_close_on_add",
		"BOOL\1", 5, 0));
	MakeShared(fExecutable);
	std::string first = Path("etc/first");
	std::string second = Path("etc/second");
	std::string loose = Path("etc/loose");
	for (const std::string& dir : { first, second, loose }) {
		std::string file = dir + "/beos_app_attributes" + fExecutable;
		ASSERT_EQ(0, system(("mkdir -p '" + file.substr(0, file.rfind('/'))
			+ "'").c_str()));
		WriteFile(file, "");
	}
	std::string tail = "/beos_app_attributes" + fExecutable;
	ASSERT_EQ(0, setxattr((first + tail).c_str(), "user.dont_close_on_add",
		"BOOL\0", 5, 0));
	ASSERT_EQ(0, setxattr((second + tail).c_str(), "user.dont_close_on_add",
		"BOOL\1", 5, 0));
	ASSERT_EQ(0, setxattr((second + tail).c_str(), "user.encoder_location",
		"CSTR/etc/Gogo", 14, 0));
	ASSERT_EQ(0, setxattr((loose + tail).c_str(),
		"user.self_register_mime_type", "BOOL\0", 5, 0));
	ASSERT_EQ(0, chmod((loose + tail).c_str(), 0666));
	setenv("XDG_CONFIG_DIRS", (loose + ":relative:" + first + ":" + second)
		.c_str(), 1);

	std::string errors = Path("errors.txt");
	uint8 closeOnAdd = 7;
	uint8 clearOnOpen = 7;
	uint8 selfRegister = 7;
	std::string location;
	{
		CapturedErrors captured(errors);
		BNode node(fExecutable.c_str());
		location = ReadString(node, "encoder_location");
		node.ReadAttr("dont_close_on_add", B_BOOL_TYPE, 0, &closeOnAdd, 1);
		node.ReadAttr("dont_clear_on_open", B_BOOL_TYPE, 0, &clearOnOpen, 1);
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.ReadAttr("self_register_mime_type",
			B_BOOL_TYPE, 0, &selfRegister, 1));
	}
	EXPECT_EQ(std::string("/etc/Gogo", 10), location);
	EXPECT_EQ(0, closeOnAdd);
	EXPECT_EQ(1, clearOnOpen);
	EXPECT_EQ(7, selfRegister);
	std::string said = ReadFile(errors);
	EXPECT_EQ("impostazioni in " + loose + tail + " ignorate: " + loose
		+ tail + " non è vostro o altri possono scriverci.\n",
		said.substr(said.find(' ') + 1)) << said;

	// What the user stores comes first, and the administrator's files are
	// left as they were.
	{
		BFile file(fExecutable.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(4, file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/me", 4));
	}
	BNode node(fExecutable.c_str());
	EXPECT_EQ(std::string("/me", 4), ReadString(node, "encoder_location"));
	EXPECT_EQ(Value("CSTR", std::string("/etc/Gogo", 10)),
		RawXattr(second + tail, "user.encoder_location"));
	setenv("XDG_CONFIG_DIRS", Path("xdg").c_str(), 1);
}


// Where the package manager keeps its files, an executable is shared
// whoever runs it, root included; /usr/local is the administrator's own.
TEST(UserAttributeStoreRuleTest, PackageTreeIsUsrOutsideUsrLocal)
{
	struct Case {
		const char*	path;
		bool		shared;
	} cases[] = {
		{ "/usr/lib/tolvex/Tolvex", true },
		{ "/usr/bin/Tolvex", true },
		{ "/usr/localised/Tolvex", true },
		{ "/usr/local/lib/tolvex/Tolvex", false },
		{ "/usrx/lib/tolvex/Tolvex", false },
		{ "/usr", false },
		{ "/opt/tolvex/Tolvex", false },
		{ "/root/.local/lib/tolvex/Tolvex", false },
		{ "/home/u/usr/lib/tolvex/Tolvex", false },
	};
	for (const Case& test : cases) {
		EXPECT_EQ(test.shared,
			BPrivate::UserAttributeStore::IsInPackageTree(test.path))
			<< test.path;
	}
}
