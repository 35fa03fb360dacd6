#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Entry.h>
#include <Roster.h>

#include "TestSupport.h"
#include "TolvexLaunch.h"

namespace {

// The words the splitter makes of a text, or a marker when it refuses.
std::vector<std::string>
Split(const std::string& text, status_t expected = B_OK)
{
	static char words[kLaunchTextSize];
	static const char* args[kMaxLaunchArgs];
	int32 count = -1;
	EXPECT_EQ(expected, TolvexSplitText(text.c_str(), words, args, &count));
	std::vector<std::string> result;
	for (int32 i = 0; i < count; i++)
		result.push_back(args[i]);
	return result;
}

typedef std::vector<std::string> Words;

} // namespace


TEST(TolvexSplitTest, BlanksAndQuotes)
{
	EXPECT_EQ(Words(), Split(""));
	EXPECT_EQ(Words({ "/boot/home/a.wav" }), Split("/boot/home/a.wav"));
	EXPECT_EQ(Words({ "/boot/home/My Music/track 1.wav" }),
		Split("\"/boot/home/My Music/track 1.wav\""));
	EXPECT_EQ(Words({ "-o", "/tmp/la musica" }),
		Split("-o \"/tmp/la musica\""));
	EXPECT_EQ(Words({ "-b", "128", "-m", "j",
		"/boot/home/My Music/track 1.wav" }),
		Split("-b 128 -m j \"/boot/home/My Music/track 1.wav\""));
	// Quotes only switch the state, wherever they stand.
	EXPECT_EQ(Words({ "ab cd" }), Split("a\"b c\"d"));
	EXPECT_EQ(Words({ "a", "", "b" }), Split("a \"\" b"));
}


// Every unquoted blank opens a word: two blanks leave an empty one, a
// leading and a trailing blank empty first and last words.
TEST(TolvexSplitTest, EveryBlankOpensAWord)
{
	EXPECT_EQ(Words({ "-nopsy", "", "-silent" }), Split("-nopsy  -silent"));
	EXPECT_EQ(Words({ "", "a" }), Split(" a"));
	EXPECT_EQ(Words({ "a", "" }), Split("a "));
	EXPECT_EQ(Words({ "", "" }), Split(" "));
	EXPECT_EQ(Words({ "", "", "" }), Split("  "));
}


// A quote left open keeps every later blank in the last word; tabs and
// backslashes are ordinary bytes.
TEST(TolvexSplitTest, OpenQuoteTabsAndBackslashes)
{
	EXPECT_EQ(Words({ "-b", "1 2  3 " }), Split("-b \"1 2  3 "));
	EXPECT_EQ(Words({ "a\tb", "c\\", "\\d" }), Split("a\tb c\\ \\\"d"));
}


// The longest text that fits gives as many words as it has bytes plus
// one; one byte more is refused, and nothing is written.
TEST(TolvexSplitTest, LimitsAreCheckedNotOverrun)
{
	std::string blanks(kLaunchTextSize - 1, ' ');
	EXPECT_EQ((size_t)kLaunchTextSize, Split(blanks).size());
	std::string word(kLaunchTextSize - 1, 'x');
	Words one = Split(word);
	ASSERT_EQ(1u, one.size());
	EXPECT_EQ(word, one[0]);
	EXPECT_EQ(Words(), Split(word + "x", B_NAME_TOO_LONG));
	EXPECT_EQ(Words(), Split(blanks + " ", B_NAME_TOO_LONG));
}


// The launch hands the words to the program after its own path, and
// stores its team; a program that is not there starts nothing.
TEST(TolvexLaunchTest, LaunchesWithTheWords)
{
	TemporaryHome home;
	std::string record = home.File("argv");
	std::string program = home.WriteFile("fake",
		"#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '[%s]\\n' \"$a\"; "
		"done > '" + record + ".new' && mv '" + record + ".new' '" + record
		+ "'\n", true);
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &ref));
	team_id team = -1;
	ASSERT_EQ(B_OK, TolvexLaunch(&ref, "-b 128  \"a b.wav\"", &team));
	ASSERT_GT(team, 0);
	// The record appears whole, once the program has written it.
	for (int i = 0; i < 500 && access(record.c_str(), F_OK) != 0; i++)
		usleep(10000);
	EXPECT_EQ("[" + program + "]\n[-b]\n[128]\n[]\n[a b.wav]\n",
		ReadFile(record));

	unlink(record.c_str());
	ASSERT_EQ(B_OK, TolvexLaunch(&ref, "", &team));
	for (int i = 0; i < 500 && access(record.c_str(), F_OK) != 0; i++)
		usleep(10000);
	EXPECT_EQ("[" + program + "]\n", ReadFile(record));

	entry_ref missing;
	ASSERT_EQ(B_OK, get_ref_for_path(home.File("none").c_str(), &missing));
	team_id untouched = 12345;
	EXPECT_NE(B_OK, TolvexLaunch(&missing, "a", &untouched));
	EXPECT_EQ(12345, untouched);
	EXPECT_EQ(B_NAME_TOO_LONG, TolvexLaunch(&ref,
		std::string(kLaunchTextSize, 'x').c_str(), &untouched));
	EXPECT_EQ(12345, untouched);
}
