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
	while (file != NULL && fgets(line, sizeof(line), file) != NULL)
		pieces.push_back(line);
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
	while (reader.Next(line))
		pieces.push_back(line);
	*failed = reader.Failed();
	return pieces;
}

} // namespace


// The reader hands out exactly what fgets would, also where lines cross
// the reader's blocks, are longer than the buffer, hold CRs and (past the
// first 64 KiB) NULs, or
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
			// NULs only past the first bytes, which make a file binary.
			bool late = content.size() >= ListReader::kTextProbeSize;
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
