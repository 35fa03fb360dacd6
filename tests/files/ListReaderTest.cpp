#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include <File.h>

#include "ListReader.h"
#include "TestSupport.h"

namespace {

// What fgets into a buffer of the reader's size hands out, piece by piece.
std::vector<std::string>
WithFgets(const std::string& path)
{
	std::vector<std::string> pieces;
	FILE* file = fopen(path.c_str(), "r");
	char line[ListReader::kLineSize];
	// fgets does not tell how long a piece with a NUL in it is: the file's
	// position does.
	long at = 0;
	while (file != NULL && fgets(line, sizeof(line), file) != NULL) {
		long now = ftell(file);
		pieces.push_back(std::string(line, now - at));
		at = now;
	}
	if (file != NULL)
		fclose(file);
	return pieces;
}


std::vector<std::string>
WithReader(const std::string& path, bool* failed)
{
	std::vector<std::string> pieces;
	BFile file(path.c_str(), B_READ_ONLY);
	ListReader reader(&file);
	char line[ListReader::kLineSize];
	size_t length;
	while (reader.Next(line, &length))
		pieces.push_back(std::string(line, length));
	*failed = reader.Failed();
	return pieces;
}

} // namespace


// The reader hands out exactly what fgets would, also where lines cross
// the reader's blocks, are longer than the buffer, hold CRs and NULs, or
// the file ends without a LF.
TEST(ListReaderTest, PiecesAreThoseOfFgets)
{
	TemporaryHome home;
	std::mt19937 random(7);
	std::string content;
	// Past several 64 KiB blocks, lines of every length up to three
	// buffers, so that pieces end on every side of a block's edge.
	while (content.size() < 5 * ListReader::kBlockSize) {
		size_t length = random() % (3 * ListReader::kLineSize);
		for (size_t i = 0; i < length; i++) {
			int kind = random() % 100;
			// Not as the first byte, which makes a file binary.
			bool late = !content.empty();
			content += kind == 0 ? '\r' : kind == 1 ? ';'
				: kind == 2 && late ? '\0' : (char)('a' + kind % 26);
		}
		content += '\n';
	}
	content += "0;/fine/senza/a-capo";
	std::string path = home.WriteFile("mixed.tvx", content);
	bool failed = true;
	std::vector<std::string> pieces = WithReader(path, &failed);
	EXPECT_FALSE(failed);
	std::vector<std::string> expected = WithFgets(path);
	ASSERT_EQ(expected.size(), pieces.size());
	for (size_t i = 0; i < expected.size(); i++)
		ASSERT_EQ(expected[i], pieces[i]) << "piece " << i;

	// A line exactly as long as the buffer holds, then its LF alone.
	std::string exact(ListReader::kLineSize - 1, 'x');
	path = home.WriteFile("exact.tvx", exact + "\n");
	EXPECT_EQ(std::vector<std::string>({ exact, "\n" }),
		WithReader(path, &failed));
	path = home.WriteFile("empty.tvx", "");
	EXPECT_TRUE(WithReader(path, &failed).empty());
	EXPECT_FALSE(failed);
}


// A file that cannot be read (here a folder) is a failure, not an empty
// list.
TEST(ListReaderTest, AReadErrorIsNotTheEnd)
{
	TemporaryHome home;
	BFile folder(home.Path().c_str(), B_READ_ONLY);
	ListReader reader(&folder);
	char line[ListReader::kLineSize];
	EXPECT_FALSE(reader.Next(line));
	EXPECT_TRUE(reader.Failed());
}


// What makes a file no list at its start, and what is passed over there:
// a first NUL, and a UTF-8 byte-order mark (only the first three bytes,
// only there). Zeros to the end of the file are found from any piece
// whose NUL they start at; a byte after them is not.
TEST(ListReaderTest, TheStartAndTheZerosAtTheEnd)
{
	TemporaryHome home;
	bool failed;
	char line[ListReader::kLineSize];
	std::string bom = "\xef\xbb\xbf";
	EXPECT_EQ(std::vector<std::string>({ "# a\n", bom + "0;b\n" }),
		WithReader(home.WriteFile("bom", bom + "# a\n" + bom + "0;b\n"),
			&failed));
	EXPECT_EQ(std::vector<std::string>({ "\xef\xbb" }),
		WithReader(home.WriteFile("half", "\xef\xbb"), &failed));

	for (const std::string& start : { std::string(1, '\0') + "0;a\n",
			bom + std::string(1, '\0') }) {
		BFile file(home.WriteFile("binary", start).c_str(), B_READ_ONLY);
		ListReader reader(&file);
		EXPECT_FALSE(reader.Next(line));
		EXPECT_TRUE(reader.IsBinary());
		EXPECT_FALSE(reader.Failed());
	}
	std::string later = "0;a\n" + std::string(1, '\0') + "0;b\n";
	EXPECT_EQ(std::vector<std::string>({ "0;a\n",
		std::string(1, '\0') + "0;b\n" }),
		WithReader(home.WriteFile("later", later), &failed));

	// Zeros over several blocks, then the end or one more byte.
	std::string zeros(3 * ListReader::kBlockSize, '\0');
	for (bool clean : { true, false }) {
		BFile file(home.WriteFile("zeros", "0;a\n0;b" + zeros
			+ (clean ? "" : "x")).c_str(), B_READ_ONLY);
		ListReader reader(&file);
		size_t length;
		ASSERT_TRUE(reader.Next(line, &length));
		ASSERT_TRUE(reader.Next(line, &length));
		EXPECT_EQ(ListReader::kLineSize - 1, length);
		EXPECT_EQ(clean, reader.OnlyNulsFrom(line, length)) << clean;
		// Past the zeros: nothing more when they ended the file.
		EXPECT_EQ(!clean, reader.Next(line, &length)) << clean;
	}
	// A piece without a NUL, or with a byte after its NUL, is no tail.
	EXPECT_FALSE(ListReader(NULL).OnlyNulsFrom("0;a\n", 4));
	EXPECT_FALSE(ListReader(NULL).OnlyNulsFrom("0;a\0b", 5));
}
