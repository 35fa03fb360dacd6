// What the stores do when what they find is damaged, or when the system
// refuses them: nothing is lost, nothing hangs, memory stays bounded.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <Bitmap.h>
#include <File.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <TypeConstants.h>

#include "private/storage/Attributes.h"
#include "private/storage/BootPaths.h"
#include "private/storage/SharedMimeInfo.h"
#include "StorageTestHome.h"

typedef StorageTest DamagedStoreTest;

namespace {

const char* kListType = "text/x-Tolvex-list";
const uid_t kNobody = 65534;


// Runs check in a child process bounded in time (and, outside the
// sanitizers, in address space): its exit status, or 100 + the signal
// that ended it. A check that hangs or grows without end fails, and the
// suite goes on.
int
RunBounded(std::function<int()> check, unsigned seconds = 10,
	bool asUnprivileged = false)
{
	fflush(NULL);
	pid_t child = fork();
	if (child < 0)
		return -1;
	if (child == 0) {
		alarm(seconds);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
		struct rlimit limit = { 1024 << 20, 1024 << 20 };
		setrlimit(RLIMIT_AS, &limit);
#endif
		if (asUnprivileged && geteuid() == 0) {
			if (setresgid(kNobody, kNobody, kNobody) != 0
				|| setresuid(kNobody, kNobody, kNobody) != 0)
				_exit(99);
		}
		int result;
		try {
			result = check();
		} catch (...) {
			result = 98;
		}
		_exit(result);
	}
	int status = 0;
	while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
	}
	if (WIFSIGNALED(status))
		return 100 + WTERMSIG(status);
	return WEXITSTATUS(status);
}


std::string
FallbackFolderOf(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return std::string();
	return BPrivate::AttributeFallbackFolder(st.st_dev, st.st_ino);
}


void
SetListProperties(BMimeType& type)
{
	EXPECT_EQ(type.SetShortDescription("Tolvex list"), B_OK);
	EXPECT_EQ(type.SetPreferredApp("application/x-vnd.Tolvex"), B_OK);
	BMessage extensions;
	extensions.AddString("extensions", "tvx");
	EXPECT_EQ(type.SetFileExtensions(&extensions), B_OK);
}


// A file and the folders above it.
void
MakeFile(const std::string& path, const std::string& data)
{
	ASSERT_EQ(BPrivate::CreateFolders(path.substr(0, path.rfind('/'))), B_OK);
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	ASSERT_GE(fd, 0) << path;
	ASSERT_EQ(write(fd, data.data(), data.size()), (ssize_t)data.size());
	close(fd);
}


bool
HasShortDescription(const char* type, const char* expected)
{
	char text[B_MIME_TYPE_LENGTH];
	return BMimeType(type).GetShortDescription(text) == B_OK
		&& strcmp(text, expected) == 0;
}

} // namespace


// A FIFO in the fallback store's place must not hang the read (the
// program would never start, and SIGTERM would not help); a link to an
// endless device must not be read without end.
TEST_F(DamagedStoreTest, FallbackReadsNeitherBlockNorGrow)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	{
		BNode node(Path("Tolvex").c_str());
		ASSERT_EQ(node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, "\1",
			1), 1);
	}
	std::string folder = FallbackFolderOf(Path("Tolvex"));
	ASSERT_EQ(mkfifo((folder + "/encoder_location").c_str(), 0600), 0);
	ASSERT_EQ(symlink("/dev/zero", (folder + "/dont_clear_on_open").c_str()),
		0);

	std::string path = Path("Tolvex");
	int result = RunBounded([path] {
		BNode node(path.c_str());
		char buffer[1024];
		ssize_t read = node.ReadAttr("encoder_location", B_STRING_TYPE, 0,
			buffer, sizeof(buffer));
		if (read >= 0 || read == B_ENTRY_NOT_FOUND)
			return 1;
		read = node.ReadAttr("dont_clear_on_open", B_BOOL_TYPE, 0, buffer, 1);
		if (read >= 0 || read == B_ENTRY_NOT_FOUND)
			return 2;
		attr_info info;
		if (node.GetAttrInfo("dont_clear_on_open", &info) == B_OK)
			return 3;
		return 0;
	});
	EXPECT_EQ(result, 0) << "1, 2, 3: read as a value; 114: hung";

	// A stored value longer than the reader's buffer is read no further.
	std::string big(8 << 20, 'x');
	BNode node(Path("Tolvex").c_str());
	ASSERT_EQ(node.WriteAttr("encoder_location", B_STRING_TYPE, 0,
		big.data(), big.size()), (ssize_t)big.size());
	char buffer[1024];
	EXPECT_EQ(node.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer)), 1024);
	uint8 value = 0;
	EXPECT_EQ(node.ReadAttr("dont_close_on_add", B_BOOL_TYPE, 0, &value, 1),
		1);
	EXPECT_EQ(value, 1);
}


// A writer killed between its write and its rename leaves its temporary
// file; the next write in that folder takes away those of gone processes,
// never those of one that still runs.
TEST_F(DamagedStoreTest, LeftoversOfKilledWritersAreRemoved)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	BNode node(Path("Tolvex").c_str());
	ASSERT_EQ(node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, "\1", 1),
		1);
	std::string folder = FallbackFolderOf(Path("Tolvex"));

	pid_t gone = fork();
	ASSERT_GE(gone, 0);
	if (gone == 0)
		_exit(0);
	waitpid(gone, NULL, 0);
	std::string leftover = folder + "/encoder_location.tmp-"
		+ std::to_string(gone) + "-0";
	std::string running = folder + "/encoder_location.tmp-"
		+ std::to_string(getpid()) + "-3";
	WriteFile(leftover, "CSTR/half");
	WriteFile(running, "CSTR/busy");

	ASSERT_EQ(node.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, "\0", 1),
		1);
	EXPECT_NE(access(leftover.c_str(), F_OK), 0) << "a gone writer's file";
	EXPECT_EQ(access(running.c_str(), F_OK), 0) << "a running writer's file";

	// The same in the MIME database, for an entry on its way in.
	BPrivate::ForceAttributeFallbackForTests(false);
	std::string textFolder = fData + "/beos_mime/text";
	std::string newEntry = textFolder + "/@new-" + std::to_string(gone)
		+ "-x-tolvex-list";
	MakeFile(newEntry, "");
	BMimeType type(kListType);
	SetListProperties(type);
	ASSERT_EQ(type.Install(), B_OK);
	EXPECT_NE(access(newEntry.c_str(), F_OK), 0);
}


// Whatever stands in the type's place that is not a whole type (a folder,
// an empty file without attributes, a link) is not installed, and
// registering writes a whole type over it.
TEST_F(DamagedStoreTest, DamagedTypeEntriesAreNotInstalledAndGetRepaired)
{
	std::string entry = fData + "/beos_mime/text/x-tolvex-list";
	WriteFile(Path("outside"), "");
	struct Case {
		const char* what;
		std::function<void()> make;
	};
	std::string outside = Path("outside");
	const Case cases[] = {
		{ "an empty file", [&] { MakeFile(entry, ""); } },
		{ "a folder", [&] { mkdir(entry.c_str(), 0755); } },
		{ "a link out of the database", [&] {
			symlink(outside.c_str(), entry.c_str()); } },
	};
	for (const Case& c : cases) {
		MakeFile(fData + "/beos_mime/text/keep", "");
		unlink(entry.c_str());
		rmdir(entry.c_str());
		c.make();
		BMimeType type(kListType);
		EXPECT_FALSE(type.IsInstalled()) << c.what;
		EXPECT_EQ(type.Delete(), B_ENTRY_NOT_FOUND) << c.what;
		SetListProperties(type);
		EXPECT_EQ(type.Install(), B_OK) << c.what;
		EXPECT_TRUE(BMimeType(kListType).IsInstalled()) << c.what;
		EXPECT_TRUE(HasShortDescription(kListType, "Tolvex list")) << c.what;
		struct stat st;
		ASSERT_EQ(lstat(entry.c_str(), &st), 0);
		EXPECT_TRUE(S_ISREG(st.st_mode)) << c.what;
		ASSERT_EQ(BMimeType(kListType).Delete(), B_OK) << c.what;
	}
	// The link's target was never written.
	EXPECT_EQ(getxattr(outside.c_str(), "user.META:TYPE", NULL, 0), -1);
}


// Publishing to the desktop's database is part of installing: a type
// whose package could not be written is not installed, so the next
// registration does both.
TEST_F(DamagedStoreTest, InstallFailsWhenTheDesktopDatabaseCannotBeWritten)
{
	std::string mime = fData + "/mime";
	MakeFile(mime, "not a folder");
	BMimeType type(kListType);
	SetListProperties(type);
	EXPECT_NE(type.Install(), B_OK);
	EXPECT_FALSE(BMimeType(kListType).IsInstalled());

	unlink(mime.c_str());
	BMimeType again(kListType);
	SetListProperties(again);
	ASSERT_EQ(again.Install(), B_OK);
	std::string package = ReadFile(BPrivate::SharedMimePackagePath(kListType));
	EXPECT_NE(package.find("*.tvx"), std::string::npos) << package;
}


// A removal that the system refuses (a folder the user may not write)
// changes nothing: the type stays whole and still counts as installed. A
// folder the user may not search is an error, not a missing type.
TEST_F(DamagedStoreTest, RefusedRemovalKeepsTheTypeWhole)
{
	if (geteuid() == 0) {
		ASSERT_EQ(Run({ "chown", "-R", "65534:65534", fRoot }), 0);
		ASSERT_EQ(chmod(fRoot.c_str(), 0755), 0);
	}
	std::string textFolder = fData + "/beos_mime/text";
	int result = RunBounded([textFolder] {
		BMimeType type(kListType);
		SetListProperties(type);
		if (type.Install() != B_OK)
			return 1;
		chmod(textFolder.c_str(), 0555);
		status_t deleted = BMimeType(kListType).Delete();
		bool whole = BMimeType(kListType).IsInstalled()
			&& HasShortDescription(kListType, "Tolvex list");
		chmod(textFolder.c_str(), 0755);
		if (deleted == B_OK)
			return 2;
		if (!whole)
			return 3;

		chmod(textFolder.c_str(), 0);
		status_t unsearchable = BMimeType(kListType).Delete();
		BMimeType fresh(kListType);
		SetListProperties(fresh);
		status_t installed = fresh.Install();
		chmod(textFolder.c_str(), 0755);
		if (unsearchable == B_OK || unsearchable == B_ENTRY_NOT_FOUND)
			return 4;
		if (installed == B_OK)
			return 5;
		return BMimeType(kListType).Delete() == B_OK ? 0 : 6;
	}, 20, true);
	EXPECT_EQ(result, 0) << "1 install, 2 deleted, 3 type left damaged, "
		"4 unsearchable taken for missing, 5 installed anyway, 6 delete; "
		"99 could not drop privileges";
}


// Only "not supported" sends a value to the fallback store; any other
// refusal (too big, no space) is the caller's to hear of, or a saved value
// would silently go where the next read does not look.
TEST_F(DamagedStoreTest, WriteErrorsOtherThanUnsupportedAreReported)
{
	WriteFile(Path("Tolvex"), "program");
	if (setxattr(Path("Tolvex").c_str(), "user.probe", "x", 1, 0) != 0)
		GTEST_SKIP() << "no user attributes on this file system";
	BNode node(Path("Tolvex").c_str());
	ASSERT_EQ(node.WriteAttr("encoder_location", B_STRING_TYPE, 0, "/old",
		5), 5);
	// Larger than any file system takes in one extended attribute.
	std::string huge(1 << 20, 'x');
	EXPECT_LT(node.WriteAttr("encoder_location", B_STRING_TYPE, 0,
		huge.data(), huge.size()), 0);
	EXPECT_NE(access(FallbackFolderOf(Path("Tolvex")).c_str(), F_OK), 0);
	char buffer[16];
	EXPECT_EQ(node.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer)), 5);
	EXPECT_STREQ(buffer, "/old");

	// A value of no bytes is one, and reads back as none.
	ASSERT_EQ(node.WriteAttr("empty", B_RAW_TYPE, 0, "", 0), 0);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("empty", &info), B_OK);
	EXPECT_EQ(info.size, 0);
	EXPECT_EQ(node.ReadAttr("empty", B_RAW_TYPE, 0, buffer, sizeof(buffer)),
		0);
}
