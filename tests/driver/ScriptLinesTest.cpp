#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "display/headless/ScriptLines.h"

using BPrivate::ScriptLines;

namespace {

// Every line of a script handed over in pieces of the given size.
std::vector<std::string>
LinesOf(const std::string& script, size_t piece,
	ScriptLines::result* last = NULL)
{
	ScriptLines lines;
	std::vector<std::string> result;
	size_t position = 0;
	while (true) {
		std::string line;
		ScriptLines::result next = lines.Next(&line);
		if (next == ScriptLines::kLine) {
			result.push_back(line);
			continue;
		}
		if (next != ScriptLines::kWantMore) {
			if (last != NULL)
				*last = next;
			return result;
		}
		if (position < script.size()) {
			size_t size = std::min(piece, script.size() - position);
			lines.Append(script.data() + position, size);
			position += size;
		} else
			lines.SetAtEnd();
	}
}

} // namespace


// A mark split over reads, CR LF ends, NULs, a last line without LF: the
// same lines whatever the size of the reads, as a pipe may hand them over.
TEST(ScriptLinesTest, SameLinesWhateverTheReads)
{
	std::string script("\xef\xbb\xbf" "dump\r\nclick \"A\0B\"\n\n# x\r\nlast",
		31);
	std::vector<std::string> expected = { "dump",
		std::string("click \"A\0B\"", 11), "", "# x", "last" };
	for (size_t piece : { 1, 2, 3, 5, 64 })
		EXPECT_EQ(expected, LinesOf(script, piece)) << "reads of " << piece;
}


// Only a whole mark at the very start is dropped.
TEST(ScriptLinesTest, ByteOrderMarkOnlyAtTheStart)
{
	EXPECT_EQ(std::vector<std::string>({ "\xef\xbb" }), LinesOf("\xef\xbb", 1));
	EXPECT_EQ(std::vector<std::string>({ "a", "\xef\xbb\xbf" "b" }),
		LinesOf("a\n\xef\xbb\xbf" "b\n", 1));
	EXPECT_TRUE(LinesOf("\xef\xbb\xbf", 2).empty());
}


// A line past the limit is found while it is still being read, not once
// a whole script of it sits in memory.
TEST(ScriptLinesTest, LineTooLongIsRefusedEarly)
{
	ScriptLines lines;
	std::string chunk(65536, 'x');
	std::string line;
	size_t appended = 0;
	ScriptLines::result result = ScriptLines::kWantMore;
	while (result == ScriptLines::kWantMore && appended < 4 * ScriptLines::kLongestLine) {
		lines.Append(chunk.data(), chunk.size());
		appended += chunk.size();
		result = lines.Next(&line);
	}
	EXPECT_EQ(ScriptLines::kTooLong, result);
	EXPECT_LE(appended, ScriptLines::kLongestLine + chunk.size());
	EXPECT_EQ(1, lines.LineNumber());

	// The limit itself is allowed, with its LF or at the end.
	ScriptLines::result last;
	std::string longest(ScriptLines::kLongestLine, 'y');
	EXPECT_EQ(2u, LinesOf(longest + "\nz", 65536, &last).size());
	EXPECT_EQ(ScriptLines::kEnded, last);
	EXPECT_EQ(1u, LinesOf(longest, 65536, &last).size());
	EXPECT_EQ(ScriptLines::kEnded, last);
	EXPECT_EQ(1u, LinesOf("a\n" + longest + "y\nz", 65536, &last).size());
	EXPECT_EQ(ScriptLines::kTooLong, last);
}


TEST(ScriptLinesTest, SplitIntoWords)
{
	std::vector<std::string> words;
	EXPECT_TRUE(ScriptLines::Split("type  \"Cartella\"\t\"a \\\"b\\\" \\\\ \\t\" \"\"",
		&words));
	EXPECT_EQ(std::vector<std::string>({ "type", "Cartella", "a \"b\" \\ \t",
		"" }), words);

	// A backslash before anything else, a NUL too, stays as it is.
	words.clear();
	EXPECT_TRUE(ScriptLines::Split(std::string("\"a\\x\\\0\"", 7), &words));
	EXPECT_EQ(std::vector<std::string>({ std::string("a\\x\\\0", 5) }), words);

	words.clear();
	EXPECT_FALSE(ScriptLines::Split("click \"Codifica!", &words));
}


// The program quits with a line too long still unread: whichever thread
// finds it, the run ends with the script's error status, not a crash.
TEST(ScriptLinesTest, LineTooLongLeftWhenTheProgramQuits)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run("menu Lista Esci\n"
		+ std::string(ScriptLines::kLongestLine + 10, 'x') + "\n");
	EXPECT_EQ(0, result.signal) << result.errors;
	EXPECT_EQ(3, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.errors, "longer than")) << result.errors;
}
