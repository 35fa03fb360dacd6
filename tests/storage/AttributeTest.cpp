#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include "private/storage/Attributes.h"
#include "StorageTestHome.h"

typedef StorageTest AttributeTest;

namespace {

const char* kLocation = "/boot/home/config/bin/Gogo";

std::string
RawXattr(const std::string& path, const char* name)
{
	char buffer[4096];
	ssize_t size = getxattr(path.c_str(), name, buffer, sizeof(buffer));
	return size < 0 ? std::string("<none>") : std::string(buffer, size);
}


// The checks that every store must pass: names, types and byte counts.
void
CheckRoundTrip(const std::string& path)
{
	{
		BFile file(path.c_str(), B_WRITE_ONLY);
		ASSERT_EQ(file.InitCheck(), B_OK);
		EXPECT_EQ(file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			kLocation, strlen(kLocation) + 1), (ssize_t)strlen(kLocation) + 1);
		bool on = true;
		EXPECT_EQ(file.WriteAttr("self_register_mime_type", B_BOOL_TYPE, 0,
			&on, 1), 1);
	}
	// A new node reads what the old one wrote.
	BNode node(path.c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("encoder_location", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_STRING_TYPE);
	EXPECT_EQ(info.size, (off_t)strlen(kLocation) + 1);
	char buffer[1024];
	EXPECT_EQ(node.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer)), (ssize_t)strlen(kLocation) + 1);
	EXPECT_STREQ(buffer, kLocation);
	ASSERT_EQ(node.GetAttrInfo("self_register_mime_type", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_BOOL_TYPE);
	EXPECT_EQ(info.size, 1);
	EXPECT_EQ(node.ReadAttr("dont_close_on_add", B_BOOL_TYPE, 0, buffer, 1),
		B_ENTRY_NOT_FOUND);
}

} // namespace


TEST_F(AttributeTest, ValuesKeepTypesAndByteCounts)
{
	WriteFile(Path("Tolvex"), "program");
	CheckRoundTrip(Path("Tolvex"));
	// What getfattr shows: the type code's characters, then the data.
	EXPECT_EQ(RawXattr(Path("Tolvex"), "user.encoder_location"),
		std::string("CSTR") + kLocation + std::string(1, '\0'));
	EXPECT_EQ(RawXattr(Path("Tolvex"), "user.self_register_mime_type"),
		std::string("BOOL\x01", 5));
	EXPECT_EQ(ReadFile(Path("Tolvex")), "program");
}


TEST_F(AttributeTest, ReadsAtMostTheBufferAndFromTheOffset)
{
	WriteFile(Path("f"), "");
	BNode node(Path("f").c_str());
	std::string big(3000, 'x');
	big[2999] = 'y';
	ASSERT_EQ(node.WriteAttr("big", B_RAW_TYPE, 0, big.data(), big.size()),
		3000);

	char buffer[1025];
	memset(buffer, '#', sizeof(buffer));
	EXPECT_EQ(node.ReadAttr("big", B_RAW_TYPE, 0, buffer, 1024), 1024);
	EXPECT_EQ(buffer[1024], '#') << "read past the size given";
	EXPECT_EQ(node.ReadAttr("big", B_RAW_TYPE, 2998, buffer, 1024), 2);
	EXPECT_EQ(buffer[1], 'y');
	EXPECT_EQ(node.ReadAttr("big", B_RAW_TYPE, 5000, buffer, 10), 0);
	EXPECT_EQ(node.ReadAttr("big", B_RAW_TYPE, -1, buffer, 10), B_BAD_VALUE);

	// Offset 0 replaces the value; beyond, it writes into it.
	ASSERT_EQ(node.WriteAttr("big", B_STRING_TYPE, 0, "abc", 4), 4);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("big", &info), B_OK);
	EXPECT_EQ(info.size, 4);
	EXPECT_EQ(info.type, (uint32)B_STRING_TYPE);
	ASSERT_EQ(node.WriteAttr("big", B_STRING_TYPE, 2, "XYZ", 3), 3);
	EXPECT_EQ(node.ReadAttr("big", B_STRING_TYPE, 0, buffer, 10), 5);
	EXPECT_EQ(std::string(buffer, 5), "abXYZ");

	EXPECT_EQ(node.RemoveAttr("big"), B_OK);
	EXPECT_EQ(node.GetAttrInfo("big", &info), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.RemoveAttr("big"), B_ENTRY_NOT_FOUND);
	std::string longName(300, 'n');
	EXPECT_EQ(node.WriteAttr(longName.c_str(), B_RAW_TYPE, 0, "x", 1),
		B_NAME_TOO_LONG);
}


TEST_F(AttributeTest, AFileThatFailedToOpenAnswersFileError)
{
	BFile missing(Path("missing").c_str(), B_READ_ONLY);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
	char buffer[16];
	EXPECT_EQ(missing.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer)), B_FILE_ERROR);
	EXPECT_EQ(missing.WriteAttr("encoder_location", B_STRING_TYPE, 0, "x", 2),
		B_FILE_ERROR);
	BNode never;
	EXPECT_EQ(never.InitCheck(), B_NO_INIT);
	EXPECT_EQ(never.ReadAttr("x", B_RAW_TYPE, 0, buffer, 1), B_FILE_ERROR);
	attr_info info;
	EXPECT_EQ(never.GetAttrInfo("x", &info), B_FILE_ERROR);
}


TEST_F(AttributeTest, FallbackStoreKeepsTheSameValues)
{
	WriteFile(Path("Tolvex"), "program");
	BPrivate::ForceAttributeFallbackForTests(true);
	CheckRoundTrip(Path("Tolvex"));
	EXPECT_EQ(RawXattr(Path("Tolvex"), "user.encoder_location"), "<none>")
		<< "the fallback store wrote an extended attribute";

	struct stat st;
	ASSERT_EQ(stat(Path("Tolvex").c_str(), &st), 0);
	std::string folder = BPrivate::AttributeFallbackFolder(st.st_dev,
		st.st_ino);
	EXPECT_EQ(folder.compare(0, fData.size(), fData), 0) << folder;
	EXPECT_EQ(ReadFile(folder + "/encoder_location"),
		std::string("CSTR") + kLocation + std::string(1, '\0'));

	BNode node(Path("Tolvex").c_str());
	EXPECT_EQ(node.RemoveAttr("encoder_location"), B_OK);
	EXPECT_EQ(node.RemoveAttr("self_register_mime_type"), B_OK);
	EXPECT_NE(access(folder.c_str(), F_OK), 0) << "an empty node folder stays";
}


TEST_F(AttributeTest, FileTypeIsBeosTypeAndFreedesktopType)
{
	WriteFile(Path("list.tvx"), "");
	BNode node(Path("list.tvx").c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(info.InitCheck(), B_OK);
	char type[B_MIME_TYPE_LENGTH];
	EXPECT_EQ(info.GetType(type), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(info.SetType("text/x-Tolvex-list"), B_OK);
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "text/x-Tolvex-list");
	EXPECT_EQ(RawXattr(Path("list.tvx"), "user.BEOS:TYPE"),
		std::string("MIMS") + "text/x-Tolvex-list" + std::string(1, '\0'));
	EXPECT_EQ(RawXattr(Path("list.tvx"), "user.mime_type"),
		"text/x-tolvex-list");

	// A type too long for the caller's buffer is refused, not cut.
	std::string huge(B_MIME_TYPE_LENGTH + 10, 'a');
	huge[4] = '/';
	EXPECT_EQ(info.SetType(huge.c_str()), B_NAME_TOO_LONG);
	ASSERT_EQ(node.WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, huge.c_str(),
		huge.size() + 1), (ssize_t)huge.size() + 1);
	char guarded[B_MIME_TYPE_LENGTH + 1];
	guarded[B_MIME_TYPE_LENGTH] = '#';
	EXPECT_EQ(info.GetType(guarded), B_BAD_DATA);
	EXPECT_EQ(guarded[B_MIME_TYPE_LENGTH], '#');

	// A type set by a desktop tool alone is read too.
	ASSERT_EQ(info.SetType(NULL), B_OK);
	ASSERT_EQ(setxattr(Path("list.tvx").c_str(), "user.mime_type",
		"audio/x-wav", 11, 0), 0);
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "audio/x-wav");
}


TEST_F(AttributeTest, RunningExecutableTakesAttributesButNotData)
{
	std::string program = Path("sleeper");
	std::string original = ReadFile("/bin/sleep");
	ASSERT_FALSE(original.empty());
	WriteFile(program, original);
	chmod(program.c_str(), 0755);

	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		execl(program.c_str(), program.c_str(), "30", (char*)NULL);
		_exit(127);
	}
	// Wait until the child runs the copy, not our own image.
	bool running = false;
	for (int i = 0; i < 500 && !running; i++) {
		char link[4096];
		std::string proc = "/proc/" + std::to_string(child) + "/exe";
		ssize_t length = readlink(proc.c_str(), link, sizeof(link) - 1);
		running = length > 0 && std::string(link, length) == program;
		if (!running)
			usleep(10000);
	}
	ASSERT_TRUE(running);
	int plain = open(program.c_str(), O_WRONLY);
	EXPECT_LT(plain, 0);
	EXPECT_EQ(errno, ETXTBSY);

	{
		BFile file(program.c_str(), B_WRITE_ONLY);
		EXPECT_EQ(file.InitCheck(), B_OK);
		EXPECT_EQ(file.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			kLocation, strlen(kLocation) + 1), (ssize_t)strlen(kLocation) + 1);
		EXPECT_EQ(file.Write("x", 1), B_BUSY);
		EXPECT_EQ(file.SetSize(0), B_BUSY);
		BFile erase(program.c_str(), B_WRITE_ONLY | B_ERASE_FILE);
		EXPECT_EQ(erase.InitCheck(), B_BUSY);
	}
	kill(child, SIGKILL);
	waitpid(child, NULL, 0);

	EXPECT_EQ(ReadFile(program), original);
	BNode node(program.c_str());
	char buffer[64] = {};
	EXPECT_EQ(node.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer,
		sizeof(buffer)), (ssize_t)strlen(kLocation) + 1);
	EXPECT_STREQ(buffer, kLocation);
}


namespace {

// Runs in a child in a private mount namespace; returns one line of
// status codes for the parent to check.
std::string
ReadOnlyAndNoXattrChecks(const std::string& readOnly, const std::string& ramfs)
{
	char report[512];
	if (unshare(CLONE_NEWNS) != 0)
		return "skip unshare";
	if (mount(NULL, "/", NULL, MS_REC | MS_PRIVATE, NULL) != 0)
		return "skip private";
	if (mount(readOnly.c_str(), readOnly.c_str(), NULL, MS_BIND, NULL) != 0
		|| mount(NULL, readOnly.c_str(), NULL,
			MS_REMOUNT | MS_RDONLY | MS_BIND, NULL) != 0)
		return "skip bind";
	if (mount("none", ramfs.c_str(), "ramfs", 0, NULL) != 0)
		return "skip ramfs";

	std::string file = readOnly + "/Tolvex";
	BFile writer(file.c_str(), B_WRITE_ONLY);
	status_t openStatus = writer.InitCheck();
	BNode node(file.c_str());
	ssize_t written = node.WriteAttr("encoder_location", B_STRING_TYPE, 0,
		"/x", 3);
	char buffer[64] = {};
	ssize_t read = node.ReadAttr("encoder_location", B_STRING_TYPE, 0,
		buffer, sizeof(buffer));
	BPrivate::ForceAttributeFallbackForTests(true);
	ssize_t fallbackWritten = node.WriteAttr("other", B_BOOL_TYPE, 0, "", 1);
	BPrivate::ForceAttributeFallbackForTests(false);

	// ramfs has no user attributes at all: the real fallback.
	std::string plain = ramfs + "/plain";
	int fd = open(plain.c_str(), O_WRONLY | O_CREAT, 0644);
	close(fd);
	int xattrError = setxattr(plain.c_str(), "user.x", "1", 1, 0) == 0
		? 0 : errno;
	BNode ramNode(plain.c_str());
	ssize_t ramWritten = ramNode.WriteAttr("dont_clear_on_open", B_BOOL_TYPE,
		0, "\1", 1);
	BNode ramAgain(plain.c_str());
	attr_info info = {};
	status_t ramInfo = ramAgain.GetAttrInfo("dont_clear_on_open", &info);

	snprintf(report, sizeof(report), "%d %zd %zd:%s %zd %d %zd %d %u %lld",
		(int)openStatus, written, read, buffer, fallbackWritten,
		xattrError == ENOTSUP ? 1 : 0, ramWritten, (int)ramInfo,
		(unsigned)info.type, (long long)info.size);
	return report;
}

} // namespace


TEST_F(AttributeTest, ReadOnlyVolumeRefusesAndNoXattrVolumeFallsBack)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "mount namespaces need root here";
	std::string readOnly = Path("ro");
	std::string ramfs = Path("ramfs");
	mkdir(readOnly.c_str(), 0755);
	mkdir(ramfs.c_str(), 0755);
	WriteFile(readOnly + "/Tolvex", "program");
	{
		BNode node((readOnly + "/Tolvex").c_str());
		ASSERT_EQ(node.WriteAttr("encoder_location", B_STRING_TYPE, 0,
			"/old", 5), 5);
	}

	int channel[2];
	ASSERT_EQ(pipe(channel), 0);
	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		close(channel[0]);
		std::string report = ReadOnlyAndNoXattrChecks(readOnly, ramfs);
		ssize_t ignored = write(channel[1], report.c_str(), report.size());
		(void)ignored;
		_exit(0);
	}
	close(channel[1]);
	char buffer[512];
	ssize_t length = read(channel[0], buffer, sizeof(buffer) - 1);
	close(channel[0]);
	int status;
	waitpid(child, &status, 0);
	ASSERT_GT(length, 0);
	std::string report(buffer, length);
	if (report.compare(0, 4, "skip") == 0)
		GTEST_SKIP() << "not permitted here: " << report;

	char expected[256];
	snprintf(expected, sizeof(expected),
		"%d %d 5:/old %d 1 1 0 %u 1", (int)B_READ_ONLY_DEVICE,
		(int)B_READ_ONLY_DEVICE, (int)B_READ_ONLY_DEVICE,
		(unsigned)B_BOOL_TYPE);
	EXPECT_EQ(report, expected)
		<< "open, write, read:value, forced fallback write, ramfs ENOTSUP, "
		"ramfs write, ramfs info, type, size";

	// Our namespace never saw the mounts: the folder is writable here.
	BNode node((readOnly + "/Tolvex").c_str());
	EXPECT_EQ(node.WriteAttr("encoder_location", B_STRING_TYPE, 0, "/new",
		5), 5);
}


namespace {

std::vector<std::string>
AttrNames(BNode& node)
{
	std::vector<std::string> names;
	char name[B_ATTR_NAME_LENGTH];
	node.RewindAttrs();
	while (node.GetNextAttrName(name) == B_OK)
		names.push_back(name);
	std::sort(names.begin(), names.end());
	return names;
}

} // namespace


// A node's attributes by name: its user extended attributes and what the
// fallback store keeps, escaped names given back as written; a name in the
// store too long for the caller's buffer (a damaged store: no name written
// is that long) is passed over, never cut or overrun, and one a byte
// shorter is given whole.
TEST_F(AttributeTest, AttributeNamesFromBothStores)
{
	WriteFile(Path("named"), "x");
	ASSERT_EQ(0, setxattr(Path("named").c_str(), "user.plain", "CSTRa", 5, 0));
	// Not a BeOS attribute: not listed (as root it can be written).
	setxattr(Path("named").c_str(), "trusted.hidden", "x", 1, 0);
	BNode node(Path("named").c_str());
	ASSERT_EQ(B_OK, node.InitCheck());
	BPrivate::ForceAttributeFallbackForTests(true);
	ASSERT_EQ(3, node.WriteAttr("odd/name:x", B_STRING_TYPE, 0, "ab", 3));
	BPrivate::ForceAttributeFallbackForTests(false);
	struct stat st;
	ASSERT_EQ(0, stat(Path("named").c_str(), &st));
	std::string folder = BPrivate::AttributeFallbackFolder(st.st_dev,
		st.st_ino);
	WriteFile(folder + "/" + std::string(B_ATTR_NAME_LENGTH, 'l'), "CSTRx");
	WriteFile(folder + "/" + std::string(B_ATTR_NAME_LENGTH - 1, 'k'),
		"CSTRx");
	EXPECT_EQ(std::vector<std::string>({
		std::string(B_ATTR_NAME_LENGTH - 1, 'k'), "odd/name:x", "plain" }),
		AttrNames(node));
	// Listed once, then the end, until rewound.
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetNextAttrName(name));
	BNode none;
	EXPECT_EQ(B_FILE_ERROR, none.GetNextAttrName(name));
}


// A node's lock is its own: a second node on the file, in this process
// too, is refused until the first lets go or is closed; stat, owner,
// group and permissions through the node and through its entry.
TEST_F(AttributeTest, LocksAndStats)
{
	WriteFile(Path("locked"), "x");
	BNode first(Path("locked").c_str());
	BNode second(Path("locked").c_str());
	EXPECT_EQ(B_BAD_VALUE, first.Unlock());
	ASSERT_EQ(B_OK, first.Lock());
	EXPECT_EQ(B_BUSY, first.Lock());
	EXPECT_EQ(B_BUSY, second.Lock());
	ASSERT_EQ(B_OK, first.Unlock());
	ASSERT_EQ(B_OK, second.Lock());
	EXPECT_EQ(B_BUSY, first.Lock());
	second.Unset();
	EXPECT_EQ(B_OK, first.Lock());
	EXPECT_EQ(B_FILE_ERROR, second.Lock());

	ASSERT_EQ(B_OK, first.SetPermissions(0640));
	mode_t mode = 0;
	ASSERT_EQ(B_OK, first.GetPermissions(&mode));
	EXPECT_EQ(0640u, mode);
	uid_t owner;
	gid_t group;
	ASSERT_EQ(B_OK, first.GetOwner(&owner));
	ASSERT_EQ(B_OK, first.GetGroup(&group));
	EXPECT_EQ(getuid(), owner);
	EXPECT_EQ(B_OK, first.SetGroup(group));
	EXPECT_EQ(B_OK, first.SetOwner(owner));
	ASSERT_EQ(0, symlink("locked", Path("link").c_str()));
	BEntry link(Path("link").c_str());
	struct stat info;
	ASSERT_EQ(B_OK, link.GetStat(&info));
	EXPECT_TRUE(S_ISLNK(info.st_mode));
	EXPECT_EQ(B_NOT_ALLOWED, link.SetPermissions(0600));
	BEntry file(Path("locked").c_str());
	ASSERT_EQ(B_OK, file.SetPermissions(0604));
	ASSERT_EQ(B_OK, first.GetStat(&info));
	EXPECT_EQ(0604u, info.st_mode & 07777);
	EXPECT_EQ(B_BAD_VALUE, first.GetStat(NULL));
}
