#include <fcntl.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>

#include <AppFileInfo.h>
#include <Bitmap.h>
#include <File.h>
#include <Message.h>

#include "private/storage/ResourceFile.h"
#include "StorageTestHome.h"

typedef StorageTest ResourceTest;

namespace {

const std::string kTool = std::string(TOLVEX_BINARY_DIR) + "/tools/AddResources";
const std::string kDefinitions = std::string(TOLVEX_SOURCE_DIR)
	+ "/resources/Tolvex.rsrc";


// The icon grid read on its own terms, to compare with what the tool made.
std::string
IconPixels(const std::string& name, int side)
{
	std::ifstream in((std::string(TOLVEX_SOURCE_DIR) + "/resources/" + name)
		.c_str());
	std::map<char, int> colors;
	std::string pixels;
	std::string line;
	bool inPixels = false;
	while (std::getline(in, line)) {
		if (inPixels) {
			EXPECT_EQ((int)line.size(), side) << line;
			for (char c : line) {
				EXPECT_TRUE(colors.count(c)) << c;
				pixels.push_back((char)colors[c]);
			}
		} else if (line.compare(0, 6, "color ") == 0)
			colors[line[6]] = atoi(line.c_str() + 8);
		else if (line == "pixels")
			inPixels = true;
	}
	EXPECT_EQ(pixels.size(), (size_t)side * side);
	return pixels;
}


// Blocks after the program's own data (whose constants hold the magic).
int
CountBlocks(const std::string& path, uint64* blockOffset)
{
	int fd = open(path.c_str(), O_RDONLY);
	uint64 elfEnd = 0;
	EXPECT_EQ(BPrivate::ElfDataEnd(fd, &elfEnd), B_OK);
	EXPECT_EQ(BPrivate::ResourceBlockOffset(fd, blockOffset), B_OK);
	close(fd);
	std::ifstream in(path.c_str(), std::ios::binary);
	std::string data((std::istreambuf_iterator<char>(in)),
		std::istreambuf_iterator<char>());
	int count = 0;
	std::string magic(BPrivate::kResourceMagic,
		sizeof(BPrivate::kResourceMagic));
	for (size_t at = data.find(magic, elfEnd); at != std::string::npos;
			at = data.find(magic, at + 1))
		count++;
	return count;
}


std::string
VersionRecord(uint32 major, uint32 middle, uint32 minor, uint32 variety,
	const char* shortInfo, const char* longInfo)
{
	std::string record;
	for (uint32 value : { major, middle, minor, variety, (uint32)0 }) {
		for (int shift = 0; shift < 32; shift += 8)
			record.push_back((char)(value >> shift));
	}
	std::string text(shortInfo);
	text.resize(64, '\0');
	record += text;
	text = longInfo;
	text.resize(256, '\0');
	record += text;
	return record;
}

} // namespace


TEST_F(ResourceTest, ToolAppendsOneBlockThatReadsBack)
{
	// The test program itself is a plain ELF file without resources.
	std::string program = Path("Program");
	WriteFile(program, ReadFile("/proc/self/exe"));
	chmod(program.c_str(), 0755);
	std::string plain = ReadFile(program);
	{
		int fd = open(program.c_str(), O_RDONLY);
		std::vector<BPrivate::ResourceItem> items;
		EXPECT_EQ(BPrivate::ReadResources(fd, &items), B_ENTRY_NOT_FOUND);
		close(fd);
	}

	ASSERT_EQ(Run({ kTool, kDefinitions, program }), 0);
	std::string once = ReadFile(program);
	ASSERT_EQ(Run({ kTool, kDefinitions, program }), 0);
	std::string twice = ReadFile(program);
	EXPECT_EQ(once, twice) << "a second run changed the file";
	uint64 block = 0;
	EXPECT_EQ(CountBlocks(program, &block), 1);
	// The program's own bytes are untouched and the block is aligned.
	EXPECT_EQ(block % 4096, 0u);
	EXPECT_GE(block, plain.size());
	EXPECT_EQ(twice.compare(block, 8,
		std::string(BPrivate::kResourceMagic, 8)), 0);
	EXPECT_EQ(twice.compare(0, plain.size(), plain), 0);
	// And it still runs.
	EXPECT_EQ(Run({ program, "--gtest_list_tests" }), 0);

	int fd = open(program.c_str(), O_RDONLY);
	std::vector<BPrivate::ResourceItem> items;
	ASSERT_EQ(BPrivate::ReadResources(fd, &items), B_OK);
	close(fd);
	ASSERT_EQ(items.size(), 7u);
	const struct {
		type_code type;
		int32 id;
		const char* name;
	} expected[] = {
		{ 'MICN', 101, "BEOS:M:STD_ICON" },
		{ 'ICON', 101, "BEOS:L:STD_ICON" },
		{ 'MSGG', 1, "BEOS:FILE_TYPES" },
		{ 'MIMS', 1, "BEOS:APP_SIG" },
		{ 'MIMS', 2, "BEOS:TYPE" },
		{ 'APPV', 1, "BEOS:APP_VERSION" },
		{ 'APPF', 1, "BEOS:APP_FLAGS" },
	};
	for (size_t i = 0; i < 7; i++) {
		EXPECT_EQ(items[i].type, expected[i].type) << i;
		EXPECT_EQ(items[i].id, expected[i].id) << i;
		EXPECT_EQ(items[i].name, expected[i].name) << i;
	}
	EXPECT_EQ(items[0].data, IconPixels("icon-mini.txt", 16));
	EXPECT_EQ(items[1].data, IconPixels("icon-large.txt", 32));
	BMessage types;
	types.AddString("types", "text/x-Tolvex-list");
	std::string flat(types.FlattenedSize(), '\0');
	types.Flatten(&flat[0], flat.size());
	EXPECT_EQ(items[2].data, flat);
	EXPECT_EQ(items[3].data, std::string("application/x-vnd.Tolvex-IT", 28));
	EXPECT_EQ(items[4].data,
		std::string("application/x-vnd.Be-elfexecutable", 35));
	EXPECT_EQ(items[5].data, VersionRecord(1, 2, 97, 5, "Tolvex",
		"Una semplice interfaccia per Gogo, il VELOCE codificatore MP3 open "
		"source. Versione italiana.") + std::string(340, '\0'));
	EXPECT_EQ(items[6].data, std::string("\1\0\0\0", 4));
}


TEST_F(ResourceTest, AppFileInfoReadsTheBuiltProgram)
{
	BFile file(TOLVEX_BINARY, B_READ_ONLY);
	ASSERT_EQ(file.InitCheck(), B_OK);
	BAppFileInfo info(&file);
	ASSERT_EQ(info.InitCheck(), B_OK);

	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	ASSERT_EQ(info.GetIcon(&large, B_LARGE_ICON), B_OK);
	EXPECT_EQ(std::string((const char*)large.Bits(), 1024),
		IconPixels("icon-large.txt", 32));
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	ASSERT_EQ(info.GetIcon(&mini, B_MINI_ICON), B_OK);
	std::string miniPixels((const char*)mini.Bits(), 256);
	EXPECT_EQ(miniPixels, IconPixels("icon-mini.txt", 16));
	// Transparent corners, and the outline colour present.
	EXPECT_EQ((uint8)miniPixels[0], 255);
	EXPECT_NE(miniPixels.find('\0'), std::string::npos);
	EXPECT_EQ(info.GetIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);

	char signature[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetSignature(signature), B_OK);
	EXPECT_STREQ(signature, "application/x-vnd.Tolvex-IT");
	uint32 flags = 0;
	ASSERT_EQ(info.GetAppFlags(&flags), B_OK);
	EXPECT_EQ(flags, 1u);
	BMessage types;
	ASSERT_EQ(info.GetSupportedTypes(&types), B_OK);
	const char* type;
	ASSERT_EQ(types.FindString("types", &type), B_OK);
	EXPECT_STREQ(type, "text/x-Tolvex-list");
	version_info version;
	ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
	EXPECT_EQ(version.major, 1u);
	EXPECT_EQ(version.middle, 2u);
	EXPECT_EQ(version.minor, 97u);
	EXPECT_EQ(version.variety, (uint32)B_FINAL_VERSION);
	EXPECT_STREQ(version.short_info, "Tolvex");
	ASSERT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_OK);
	EXPECT_EQ(version.major, 0u);
	EXPECT_STREQ(version.long_info, "");
}


TEST_F(ResourceTest, DamagedOrMissingBlocksAreReportedNotRead)
{
	// Plain ELF: no resources.
	BFile plain("/proc/self/exe", B_READ_ONLY);
	BAppFileInfo plainInfo(&plain);
	ASSERT_EQ(plainInfo.InitCheck(), B_OK);
	char signature[B_MIME_TYPE_LENGTH];
	EXPECT_EQ(plainInfo.GetSignature(signature), B_ENTRY_NOT_FOUND);

	// Not an ELF file at all.
	WriteFile(Path("text"), "just text");
	BFile text(Path("text").c_str(), B_READ_ONLY);
	BAppFileInfo textInfo(&text);
	EXPECT_EQ(textInfo.GetSignature(signature), B_ENTRY_NOT_FOUND);

	// A block whose table points outside it.
	std::string program = ReadFile(TOLVEX_BINARY);
	uint64 block = 0;
	ASSERT_EQ(CountBlocks(TOLVEX_BINARY, &block), 1);
	std::string damaged = program;
	size_t firstDataSize = block + BPrivate::kResourceHeaderSize + 24;
	for (int i = 0; i < 8; i++)
		damaged[firstDataSize + i] = '\x7f';
	WriteFile(Path("damaged"), damaged);
	BFile file(Path("damaged").c_str(), B_READ_ONLY);
	BAppFileInfo info(&file);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	EXPECT_EQ(info.GetIcon(&mini, B_MINI_ICON), B_BAD_DATA);

	BFile closed;
	BAppFileInfo none(&closed);
	EXPECT_NE(none.InitCheck(), B_OK);
	EXPECT_NE(none.GetSignature(signature), B_OK);
}


namespace {

// A file that is only an ELF header (its data end at byte 64), with a
// resource block at 4096.
std::string
TinyExecutable(const std::string& block)
{
	std::string file(4096, '\0');
	memcpy(&file[0], "\x7f" "ELF", 4);
	file[4] = 2;	// 64-bit
	file[5] = 1;	// little-endian
	file[6] = 1;
	file[52] = 64;	// e_ehsize
	return file + block;
}


void
Put(std::string* block, size_t at, uint64 value, int bytes)
{
	for (int i = 0; i < bytes; i++)
		(*block)[at + i] = (char)(value >> (8 * i));
}


// Rewrites entry index's name or data range in a built block.
void
SetEntry(std::string* block, uint32 index, uint64 dataOffset,
	uint64 dataSize)
{
	size_t entry = BPrivate::kResourceHeaderSize
		+ index * BPrivate::kResourceEntrySize;
	Put(block, entry + 16, dataOffset, 8);
	Put(block, entry + 24, dataSize, 8);
}


status_t
ReadBlock(const std::string& path)
{
	int fd = open(path.c_str(), O_RDONLY);
	std::vector<BPrivate::ResourceItem> items;
	status_t status = BPrivate::ReadResources(fd, &items);
	close(fd);
	return status;
}

} // namespace


// Each entry copies its range, so entries that overlap, or that point into
// the table or past the block, are damage: refused, never read.
TEST_F(ResourceTest, EntriesOutsideTheirOwnRangeAreRefused)
{
	std::vector<BPrivate::ResourceItem> items(2);
	items[0] = { 'MIMS', 1, "BEOS:APP_SIG", std::string(64, 'a') };
	items[1] = { 'MIMS', 2, "BEOS:TYPE", std::string(64, 'b') };
	std::string good = BPrivate::BuildResourceBlock(items);
	WriteFile(Path("good"), TinyExecutable(good));
	ASSERT_EQ(ReadBlock(Path("good")), B_OK);

	size_t firstData = good.size() - 128;
	struct Case { const char* what; uint64 offset; uint64 size; };
	const Case cases[] = {
		{ "overlaps the first entry", firstData + 32, 64 },
		{ "the same range as the first", firstData, 64 },
		{ "inside the table", 40, 16 },
		{ "offset past the block", good.size() + 8, 0 },
		{ "end past the block", good.size() - 32, 64 },
		{ "offset wraps around", ~(uint64)0 - 8, 64 },
	};
	for (const Case& c : cases) {
		std::string damaged = good;
		SetEntry(&damaged, 1, c.offset, c.size);
		WriteFile(Path("damaged"), TinyExecutable(damaged));
		EXPECT_EQ(ReadBlock(Path("damaged")), B_BAD_DATA) << c.what;
	}
}


// 65,536 entries that each span the 2 MB after the table of a 4 MB block
// would ask for about 137 GB.
// The read runs in a child whose address space is limited to 512 MB: a
// reader that copied every entry dies there instead of taking the machine.
TEST_F(ResourceTest, ABlockOfOverlappingEntriesCannotExhaustMemory)
{
	const uint32 count = 65536;
	const uint64 blockSize = 4 * 1024 * 1024;
	std::string block(blockSize, 'x');
	memcpy(&block[0], BPrivate::kResourceMagic,
		sizeof(BPrivate::kResourceMagic));
	Put(&block, 8, BPrivate::kResourceVersion, 4);
	Put(&block, 12, count, 4);
	Put(&block, 16, blockSize, 8);
	Put(&block, 24, BPrivate::kResourceHeaderSize, 4);
	Put(&block, 28, 0, 4);
	uint64 tableEnd = BPrivate::kResourceHeaderSize
		+ (uint64)count * BPrivate::kResourceEntrySize;
	block[tableEnd] = '\0';
	for (uint32 i = 0; i < count; i++) {
		size_t entry = BPrivate::kResourceHeaderSize
			+ i * BPrivate::kResourceEntrySize;
		Put(&block, entry, 'RAW ', 4);
		Put(&block, entry + 4, i, 4);
		Put(&block, entry + 8, tableEnd, 4);
		Put(&block, entry + 12, 0, 4);
		Put(&block, entry + 16, tableEnd + 8, 8);
		Put(&block, entry + 24, blockSize - tableEnd - 8, 8);
	}
	WriteFile(Path("bomb"), TinyExecutable(block));

	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
		// The sanitizers reserve terabytes of shadow memory up front.
		struct rlimit limit = { 512 << 20, 512 << 20 };
		setrlimit(RLIMIT_AS, &limit);
#endif
		alarm(60);
		try {
			_exit(ReadBlock(Path("bomb")) == B_BAD_DATA ? 0 : 1);
		} catch (...) {
			_exit(2);
		}
	}
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status)) << "the reader died, signal "
		<< (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
	EXPECT_EQ(WEXITSTATUS(status), 0);
}
