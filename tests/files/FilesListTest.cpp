#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include "TestSupport.h"

namespace {

// The entries of the list, in order, as the last dump showed them.
std::vector<std::string>
Entries(const std::string& output)
{
	std::vector<std::string> entries;
	// Only the lines under FilesList, up to the next view.
	bool inList = false;
	for (const std::string& line : SplitLines(output)) {
		if (line.find("FilesList \"FilesList\"") != std::string::npos) {
			entries.clear();
			inList = true;
			continue;
		}
		size_t at = line.find("item ");
		if (inList && at != std::string::npos
			&& line.find_first_not_of(' ') == at)
			entries.push_back(line.substr(at));
		else
			inList = false;
	}
	return entries;
}


// "enabled=N" of the button, in the last dump.
std::string
Button(const std::string& output, const std::string& name)
{
	std::string state;
	for (const std::string& line : SplitLines(output)) {
		if (line.find("BButton \"" + name + "\"") == std::string::npos)
			continue;
		size_t at = line.find("enabled=");
		state = line.substr(at, 9);
	}
	return state;
}


std::string
Buttons(const std::string& output)
{
	return Button(output, "EncodeButton") + " " + Button(output, "RemoveFiles")
		+ " " + Button(output, "MoveUp") + " " + Button(output, "MoveDown");
}


void
SetListType(const std::string& path)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(B_OK, info.SetType("text/x-Tolvex-list"));
}


void
SetBoolSetting(const std::string& executable, const char* name, bool value)
{
	BNode node(executable.c_str());
	uint8 byte = value ? 1 : 0;
	ASSERT_EQ(1, node.WriteAttr(name, B_BOOL_TYPE, 0, &byte, 1));
}


// Runs the program with a script through sh, with the given words before
// it (limits, another user); the home's folders as the environment.
RunResult
RunThroughShell(const TemporaryHome& home, TolvexRunner& runner,
	const std::string& script, const std::string& before,
	const std::string& environment = "")
{
	std::string scriptPath = home.WriteFile("shell-script.txt", script);
	chmod(scriptPath.c_str(), 0644);
	std::string command = before + " env BE_DISPLAY=headless BE_SCRIPT="
		+ Quoted(scriptPath) + " " + environment + " "
		+ Quoted(runner.Executable()) + " > " + Quoted(home.File("sh-out"))
		+ " 2> " + Quoted(home.File("sh-err")) + " < /dev/null";
	int status = system(("sh -c " + Quoted(command)).c_str());
	RunResult result;
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	result.output = ReadFile(home.File("sh-out"));
	result.errors = ReadFile(home.File("sh-err"));
	return result;
}


// Why a private mount cannot be made here, or "" when it can: a container
// may refuse to change the root's propagation.
std::string
NoPrivateMount()
{
	if (geteuid() != 0)
		return "needs root for a small file system of its own";
	if (access("/usr/bin/unshare", X_OK) != 0)
		return "needs unshare (util-linux)";
	if (system("unshare -m sh -c 'mount -t tmpfs tmpfs /mnt' >/dev/null "
			"2>&1") != 0)
		return "unshare -m cannot make a private mount here";
	return "";
}


std::string
Attribute(const std::string& path, const char* name)
{
	char value[256];
	ssize_t length = getxattr(path.c_str(), name, value, sizeof(value));
	return length < 0 ? std::string("(none)") : std::string(value, length);
}


// The alert lines of a run other than the file panel's question before it
// replaces a file.
std::string
AlertsBesidesReplacing(const std::string& output)
{
	std::string alerts;
	size_t start = 0;
	while (start < output.size()) {
		size_t end = output.find('\n', start);
		if (end == std::string::npos)
			end = output.size();
		std::string line = output.substr(start, end - start);
		if (line.compare(0, 6, "alert ") == 0
			&& line.compare(0, 19, "alert ReplaceFile: ") != 0)
			alerts += line + "\n";
		start = end + 1;
	}
	return alerts;
}

} // namespace


// What a user does with a batch from start to end: drop, reorder, save,
// start anew, open again; and the saved list handed over at launch.
TEST(FilesListTest, DropMoveSaveNewOpenAndLaunchWithTheList)
{
	TemporaryHome home;
	std::string a = home.WriteFile("wav/a.wav", "");
	std::string b = home.WriteFile("wav/b.wav", "");
	std::string c = home.WriteFile("wav/c.wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + a + " " + b + " " + c
		+ "\nselect FilesList 1\nclick MoveUp\nmenu Lista \"Salva...\"\n"
		"save " + home.File("wav") + " saved.tvx\nmenu Lista Nuova\ndump\n"
		"menu Lista \"Apri...\"\npanel " + home.File("wav/saved.tvx")
		+ "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "panel Salva lista\n"));
	EXPECT_TRUE(Contains(result.output, "panel Apri lista\n"));
	std::vector<std::string> expected = {
		"item 0 selected=0 \"" + b + "\"",
		"item 1 selected=0 \"" + a + "\"",
		"item 2 selected=0 \"" + c + "\"" };
	EXPECT_EQ(expected, Entries(result.output));
	EXPECT_EQ("enabled=1", Button(result.output, "EncodeButton"));
	EXPECT_EQ("# Generated by Tolvex 1.2a\n0;" + b + "\n0;" + a + "\n0;" + c
		+ "\n", ReadFile(home.File("wav/saved.tvx")));
	char type[256] = "";
	BNode node(home.File("wav/saved.tvx").c_str());
	BNodeInfo(&node).GetType(type);
	EXPECT_STREQ("text/x-Tolvex-list", type);

	result = runner.Run("dump\n", { "--refs", home.File("wav/saved.tvx") });
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(expected, Entries(result.output));
	EXPECT_EQ("enabled=1", Button(result.output, "EncodeButton"));
}


// The buttons follow the user's selections and removals.
TEST(FilesListTest, ButtonRulesFollowSelectionsAndRemovals)
{
	TemporaryHome home;
	std::string files;
	for (int i = 0; i < 5; i++)
		files += " " + home.WriteFile("f" + std::to_string(i) + ".wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("dump\ndrop FilesList" + files + "\ndump\n"
		"select FilesList 0\ndump\nselect FilesList 4\ndump\n"
		"select FilesList 2\ndump\nselect FilesList 1 3\ndump\n"
		"click RemoveFiles\ndump\nselect FilesList 0 1 2\nclick RemoveFiles\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> dumps;
	std::string current;
	for (const std::string& line : SplitLines(result.output)) {
		if (line.compare(0, 8, "window \"") == 0
			&& line.find("Tolvex 1.2a") != std::string::npos
			&& !current.empty()) {
			dumps.push_back(current);
			current.clear();
		}
		current += line + "\n";
	}
	dumps.push_back(current);
	ASSERT_EQ(8u, dumps.size());
	// Encode, Remove, Move up, Move down.
	EXPECT_EQ("enabled=0 enabled=0 enabled=0 enabled=0", Buttons(dumps[0]));
	EXPECT_EQ("enabled=1 enabled=0 enabled=0 enabled=0", Buttons(dumps[1]));
	EXPECT_EQ("enabled=1 enabled=1 enabled=0 enabled=1", Buttons(dumps[2]));
	EXPECT_EQ("enabled=1 enabled=1 enabled=1 enabled=0", Buttons(dumps[3]));
	EXPECT_EQ("enabled=1 enabled=1 enabled=1 enabled=1", Buttons(dumps[4]));
	EXPECT_EQ("enabled=1 enabled=1 enabled=0 enabled=0", Buttons(dumps[5]));
	// Entries 1 and 3 of five removed: 0, 2 and 4 stay, in order.
	std::vector<std::string> left = Entries(dumps[6]);
	ASSERT_EQ(3u, left.size());
	EXPECT_TRUE(Contains(left[0], "f0.wav"));
	EXPECT_TRUE(Contains(left[1], "f2.wav"));
	EXPECT_TRUE(Contains(left[2], "f4.wav"));
	EXPECT_EQ("enabled=1 enabled=0 enabled=0 enabled=0", Buttons(dumps[6]));
	EXPECT_TRUE(Entries(dumps[7]).empty());
	EXPECT_EQ("enabled=0 enabled=0 enabled=0 enabled=0", Buttons(dumps[7]));
}


// One entry, selected and moved up step by step, stays selected.
TEST(FilesListTest, MovingKeepsTheEntrySelected)
{
	TemporaryHome home;
	std::string files;
	for (int i = 0; i < 3; i++)
		files += " " + home.WriteFile("m" + std::to_string(i) + ".wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList" + files + "\n"
		"select FilesList 2\nclick MoveUp\ndump\nclick MoveUp\ndump\n"
		"click MoveDown\nclick MoveDown\nselect FilesList 0 1\n"
		"click MoveUp\n");
	// Two entries selected: "Sposta su" is off, and a user cannot press it.
	EXPECT_EQ(3, result.status);
	EXPECT_TRUE(Contains(result.errors, "script error 10: \"MoveUp\" is "
		"disabled")) << result.errors;
	std::vector<std::string> lines = SplitLines(result.output);
	EXPECT_TRUE(Contains(result.output, "item 1 selected=1 \""
		+ home.File("m2.wav")));
	EXPECT_TRUE(Contains(result.output, "item 0 selected=1 \""
		+ home.File("m2.wav")));
}


// Dropped refs: folders and list files as entries, links as their
// targets, in the order of the drop; a dangling link is skipped.
TEST(FilesListTest, DropsTakeFoldersLinksAndListFiles)
{
	TemporaryHome home;
	std::string target = home.WriteFile("music/real.wav", "");
	std::string list = home.WriteFile("music/old.tvx",
		"# Generated by Tolvex 1.2a\n0;/nowhere.wav\n");
	SetListType(list);
	std::string link = home.File("music/link.wav");
	ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));
	std::string dangling = home.File("music/dangling.wav");
	ASSERT_EQ(0, symlink(home.File("music/gone.wav").c_str(),
		dangling.c_str()));
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + home.File("music")
		+ " " + link + " " + dangling + " " + list + " " + target + "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> expected = {
		"item 0 selected=0 \"" + home.File("music") + "\"",
		"item 1 selected=0 \"" + target + "\"",
		"item 2 selected=0 \"" + list + "\"",
		"item 3 selected=0 \"" + target + "\"" };
	EXPECT_EQ(expected, Entries(result.output));
}


// Files handed to the running program: a list file opens and ends the
// message; everything else is added, folders too; dangling links are
// skipped.
TEST(FilesListTest, RefsOpenListFilesAndAddTheRest)
{
	TemporaryHome home;
	std::string x = home.WriteFile("r/x.wav", "");
	std::string y = home.WriteFile("r/y.wav", "");
	std::string list = home.WriteFile("r/list.tvx", "0;/from/list.wav\n");
	SetListType(list);
	std::string dangling = home.File("r/dangling");
	ASSERT_EQ(0, symlink("/nowhere/at/all", dangling.c_str()));
	TolvexRunner runner(home);

	RunResult first = runner.Run("refs " + list + " " + x + " " + y
		+ "\ndump\n");
	ASSERT_EQ(0, first.status) << first.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"/from/list.wav\"" }), Entries(first.output));

	// A list without its type and its extension, known by its header.
	std::string text = home.WriteFile("r/saved.txt",
		"# Generated by Tolvex 1.2a\n0;/from/text.wav\n");
	RunResult byHeader = runner.Run("refs " + x + " " + text + "\ndump\n");
	ASSERT_EQ(0, byHeader.status) << byHeader.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"/from/text.wav\"" }), Entries(byHeader.output));

	RunResult last = runner.Run("refs " + x + " " + dangling + " "
		+ home.File("r") + " " + y + " " + list + "\ndump\n");
	ASSERT_EQ(0, last.status) << last.errors;
	// The list reader empties the list first (dont_clear_on_open off).
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"/from/list.wav\"" }), Entries(last.output));

	RunResult plain = runner.Run("refs " + x + " " + dangling + " "
		+ home.File("r") + " " + y + "\ndump\n");
	ASSERT_EQ(0, plain.status) << plain.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + x + "\"",
		"item 1 selected=0 \"" + home.File("r") + "\"",
		"item 2 selected=0 \"" + y + "\"" }), Entries(plain.output));

	SetBoolSetting(runner.Executable(), "dont_clear_on_open", true);
	RunResult kept = runner.Run("refs " + x + " " + y + " " + list
		+ "\ndump\n");
	ASSERT_EQ(0, kept.status) << kept.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + x + "\"",
		"item 1 selected=0 \"" + y + "\"",
		"item 2 selected=0 \"/from/list.wav\"" }), Entries(kept.output));
}


// Files handed over at launch follow the rule of files handed over later:
// in order, a list file (by its type, or by its name where it has none)
// opens and ends the handling, anything else is added, folders too.
TEST(FilesListTest, LaunchRefsAreHandledAsLaterRefs)
{
	TemporaryHome home;
	std::string a = home.WriteFile("l/a.wav", std::string("RIFF\0\0\0\0", 8));
	std::string b = home.WriteFile("l/b.wav", std::string("RIFF\0\0\0\0", 8));
	std::string typed = home.WriteFile("l/typed.lista", "0;/from/typed.wav\n");
	SetListType(typed);
	std::string named = home.WriteFile("l/named.tvx",
		"0;/from/named.wav\n");
	// A list saved without .tvx is known by its header, of any version,
	// after a byte-order mark too; a look-alike, or a file typed as
	// something else, is not a list.
	std::string text = home.WriteFile("l/l.txt",
		"# Generated by Tolvex 1.2a\n0;/from/text.wav\n");
	std::string bare = home.WriteFile("l/bare",
		"\xef\xbb\xbf# Generated by Tolvex\n0;/from/bare.wav\n");
	std::string like = home.WriteFile("l/like.txt",
		"# Generated by Tolvexes\n0;/from/like.wav\n");
	std::string wavType = home.WriteFile("l/typed.txt",
		"# Generated by Tolvex 1.2a\n0;/from/wav.wav\n");
	ASSERT_EQ(0, setxattr(wavType.c_str(), "user.mime_type", "audio/x-wav",
		11, 0));
	std::string folder = home.File("l");
	TolvexRunner runner(home);
	struct Case {
		std::vector<std::string>	refs;
		std::vector<std::string>	entries;
	} cases[] = {
		{ { a, b }, { a, b } },
		{ { a, typed, b }, { "/from/typed.wav" } },
		{ { named }, { "/from/named.wav" } },
		{ { a, text }, { "/from/text.wav" } },
		{ { bare, a }, { "/from/bare.wav" } },
		{ { like, wavType }, { like, wavType } },
		{ { folder, a }, { folder, a } },
	};
	for (const Case& test : cases) {
		std::vector<std::string> arguments = { "--refs" };
		arguments.insert(arguments.end(), test.refs.begin(), test.refs.end());
		RunResult result = runner.Run("dump\n", arguments);
		ASSERT_EQ(0, result.status) << result.errors;
		std::vector<std::string> expected;
		for (size_t i = 0; i < test.entries.size(); i++) {
			expected.push_back("item " + std::to_string(i) + " selected=0 \""
				+ test.entries[i] + "\"");
		}
		EXPECT_EQ(expected, Entries(result.output)) << test.refs[0];
		EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;
	}

	SetBoolSetting(runner.Executable(), "dont_clear_on_open", true);
	RunResult kept = runner.Run("dump\n", { "--refs", a, named, b });
	ASSERT_EQ(0, kept.status) << kept.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + a + "\"",
		"item 1 selected=0 \"/from/named.wav\"" }), Entries(kept.output));
}


// A file with a NUL byte near its start is no list: opened with "Apri..."
// or handed over as a list, it is refused, and the list and the tab stay
// as they were. Text without the header still opens.
TEST(FilesListTest, BinaryFilesAreNoLists)
{
	TemporaryHome home;
	std::string kept = home.WriteFile("bin/keep.wav", "");
	// A sound file whose bytes happen to hold lines with ';' before the
	// first NUL, which comes late in the first 64 KiB.
	std::string wav = home.WriteFile("bin/sound.wav", "RIFF;x\n0;/garbage\n"
		+ std::string(60000, 'a') + std::string(1, '\0') + "0;/more\n");
	std::string typed = home.WriteFile("bin/typed.tvx", wav.empty() ? ""
		: ReadFile(wav));
	SetListType(typed);
	std::string text = home.WriteFile("bin/plain.txt", "0;/plain.wav\n");
	TolvexRunner runner(home);

	RunResult opened = runner.Run("drop FilesList " + kept + "\n"
		"tab \"Opzioni di Gogo\"\nmenu Lista \"Apri...\"\npanel " + wav
		+ "\nalert 0\ndump\nmenu Lista \"Apri...\"\npanel " + text
		+ "\ndump\n");
	ASSERT_EQ(0, opened.status) << opened.errors;
	size_t second = opened.output.rfind("window \"Tolvex 1.2a\"");
	std::string first = opened.output.substr(0, second);
	EXPECT_TRUE(Contains(first, "alert OpenOpenError: Impossibile aprire "
		"file. Assicuratevi di avere accesso al file.\n")) << first;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + kept + "\"" }), Entries(first));
	EXPECT_TRUE(Contains(first,
		"BTab \"Opzioni di Gogo\" enabled=1 selected=1"));
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"/plain.wav\"" }), Entries(opened.output));

	RunResult launched = runner.Run("alert 0\ndump\n", { "--refs", typed });
	ASSERT_EQ(0, launched.status) << launched.errors;
	EXPECT_TRUE(Contains(launched.output, "alert OpenOpenError: "))
		<< launched.output;
	EXPECT_TRUE(Entries(launched.output).empty());
}


// What the format cannot hold is not written wrong: an entry with a line
// feed stops the save with its own alert and leaves the old file as it
// was; an entry of 1024 bytes (the longest a list gives) comes back whole.
TEST(FilesListTest, ListsSavedReopenToTheSameEntries)
{
	TemporaryHome home;
	std::string old = "# Generated by Tolvex 1.2a\n0;/old/entry.wav\n";
	std::string list = home.WriteFile("nl/list.tvx", old);
	std::string broken = home.WriteFile("nl/due\nrighe.wav", "");
	std::string plain = home.WriteFile("nl/plain.wav", "");
	TolvexRunner runner(home);
	RunResult refused = runner.Run("drop FilesList " + plain + "\n"
		"drop FilesList \"" + home.File("nl/due") + "\\nrighe.wav\"\n"
		"menu Lista \"Salva...\"\n"
		"save " + home.File("nl") + " list.tvx\nalert 1\nalert 0\n");
	ASSERT_EQ(0, refused.status) << refused.errors;
	EXPECT_TRUE(Contains(refused.output, "alert SaveBadName: Impossibile "
		"salvare la lista: il nome di questo file contiene un a capo:\\n"
		+ home.File("nl/due") + "\\nrighe.wav\n")) << refused.output;
	EXPECT_EQ(old, ReadFile(list));

	std::string longest(1024, 'p');
	longest[0] = '/';
	std::string source = home.WriteFile("nl/long.tvx", ";" + longest + "\n");
	RunResult saved = runner.Run("menu Lista \"Apri...\"\npanel " + source
		+ "\nmenu Lista \"Salva...\"\nsave " + home.File("nl")
		+ " again.tvx\nmenu Lista Nuova\nmenu Lista \"Apri...\"\npanel "
		+ home.File("nl/again.tvx") + "\ndump\n");
	ASSERT_EQ(0, saved.status) << saved.errors;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + longest + "\"" }), Entries(saved.output));
}


// Out of memory while reading a huge list (ten million lines under a
// 700 MB address space): the list is refused with the open alert and
// stays as it was, and Tolvex goes on.
TEST(FilesListTest, AListTooBigForTheMemoryIsRefused)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
	GTEST_SKIP() << "the sanitizers' shadow memory needs more address space";
#endif
	TemporaryHome home;
	std::string kept = home.WriteFile("oom/keep.wav", "");
	std::string big = home.File("oom/big.tvx");
	{
		std::string block;
		for (int i = 0; i < 100000; i++)
			block += "0;/a/b.wav\n";
		int fd = open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		ASSERT_GE(fd, 0);
		for (int i = 0; i < 100; i++)
			ASSERT_EQ((ssize_t)block.size(),
				write(fd, block.data(), block.size()));
		close(fd);
	}
	TolvexRunner runner(home);
	RunResult result = RunThroughShell(home, runner, "drop FilesList " + kept
		+ "\nmenu Lista \"Apri...\"\npanel " + big + "\nalert 0\ndump\n",
		"ulimit -v 700000;");
	unlink(big.c_str());
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert OpenOpenError: Impossibile "
		"aprire file. Assicuratevi di avere accesso al file.\n"))
		<< result.output;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + kept + "\"" }), Entries(result.output));
}


// Every kind of line the reader meets, and the Files tab brought to the
// front by opening a list.
TEST(FilesListTest, TheReaderTakesEntryLinesOnly)
{
	TemporaryHome home;
	std::string longText(1100, 'x');
	std::string list = home.WriteFile("kinds.tvx",
		"# Generated by Tolvex 1.2a\n"
		"0;/a/one.wav\n"
		"\n"
		"\r\n"
		"# a comment in the middle\n"
		"7;/a/two;three.wav\n"
		";/a/four.wav\n"
		"/a/no-separator.wav\n"
		"0;/a/crlf.wav\r\n"
		"0;\n"
		"0;" + longText + "\n"
		"0;");
	TolvexRunner runner(home);
	RunResult result = runner.Run("tab \"Opzioni di Gogo\"\n"
		"menu Lista \"Apri...\"\npanel " + list + "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> expected = {
		"item 0 selected=0 \"/a/one.wav\"",
		"item 1 selected=0 \"/a/two;three.wav\"",
		"item 2 selected=0 \"/a/four.wav\"",
		"item 3 selected=0 \"/a/crlf.wav\\r\"",
		"item 4 selected=0 \"\"",
		// The long line in pieces of 1025 bytes: the first less "0;",
		// the rest has no ';' and is skipped.
		"item 5 selected=0 \"" + std::string(1023, 'x') + "\"" };
	EXPECT_EQ(expected, Entries(result.output));
	EXPECT_TRUE(Contains(result.output, "BTab \"File\" enabled=1 selected=1"));
}


// NULs where a list may have them and where it may not. A list that starts
// with a byte-order mark, holds a line beginning with NUL (a blank) and
// ends in the zeros a crash leaves (after a whole line, or tearing the
// last one) opens to its entries; an entry holding a NUL, also past the
// first 64 KiB, makes the file no list, refused with the open alert and
// the list kept, rather than an entry cut short.
TEST(FilesListTest, NulBytesOnlyWhereAListMayHaveThem)
{
	TemporaryHome home;
	std::string header = "# Generated by Tolvex 1.2a\n";
	std::string lines;
	for (int i = 0; i < 1000; i++)
		lines += "0;/long/" + std::string(90, 'a' + i % 26) + ".wav\n";
	ASSERT_GT(lines.size(), 64u * 1024);
	std::string zeros(5000, '\0');
	std::string bom = home.WriteFile("bom.tvx", "\xef\xbb\xbf" + header
		+ "0;/a/one.wav\n" + std::string(1, '\0') + "0;/hidden.wav\n"
		"0;/a/two.wav\n");
	std::string tail = home.WriteFile("tail.tvx", header + "0;/b/one.wav\n"
		+ zeros);
	std::string torn = home.WriteFile("torn.tvx", header + "0;/c/one.wav\n"
		"0;/c/tw" + zeros);
	std::string late = home.WriteFile("late.tvx", header + lines
		+ "0;/d/cut" + std::string(1, '\0') + "here.wav\n");
	std::string kept = home.WriteFile("keep.wav", "");
	TolvexRunner runner(home);

	// The setting is kept on the program: set by the first run only.
	bool set = false;
	auto open = [&](const std::string& list, bool refused = false) {
		RunResult result = runner.Run("drop FilesList " + kept + "\n"
			+ (set ? "" : "tab \"Opzioni del programma\"\n"
				"click DontClearOnOpen\n")
			+ "menu Lista \"Apri...\"\npanel " + list + "\n"
			+ (refused ? "alert 0\n" : "") + "dump\n");
		set = true;
		EXPECT_EQ(0, result.status) << result.errors;
		return result.output;
	};
	std::string keptItem = "item 0 selected=0 \"" + kept + "\"";
	std::string output = open(bom);
	EXPECT_FALSE(Contains(output, "alert ")) << output;
	EXPECT_EQ(std::vector<std::string>({ keptItem,
		"item 1 selected=0 \"/a/one.wav\"",
		"item 2 selected=0 \"/a/two.wav\"" }), Entries(output));
	output = open(tail);
	EXPECT_FALSE(Contains(output, "alert ")) << output;
	EXPECT_EQ(std::vector<std::string>({ keptItem,
		"item 1 selected=0 \"/b/one.wav\"" }), Entries(output));
	output = open(torn);
	EXPECT_FALSE(Contains(output, "alert ")) << output;
	EXPECT_EQ(std::vector<std::string>({ keptItem,
		"item 1 selected=0 \"/c/one.wav\"" }), Entries(output));
	output = open(late, true);
	EXPECT_TRUE(Contains(output, "alert OpenOpenError: Impossibile aprire "
		"file. Assicuratevi di avere accesso al file.\n")) << output;
	EXPECT_EQ(std::vector<std::string>({ keptItem }), Entries(output));
}


// The three alerts, with their texts as the program has always shown
// them; a failed open leaves the list and the tab alone.
TEST(FilesListTest, FailuresShowTheirAlerts)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("al/keep.wav", "");
	std::string fifo = home.File("al/pipe");
	ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
	ASSERT_EQ(0, mkdir(home.File("al/folder.tvx").c_str(), 0755));
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + wav + "\n"
		"tab \"Opzioni di Gogo\"\nmenu Lista \"Apri...\"\npanel " + fifo
		+ "\nalert 0\nmenu Lista \"Salva...\"\nsave " + home.File("al")
		+ " folder.tvx\nalert 0\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert OpenOpenError: Impossibile "
		"aprire file. Assicuratevi di avere accesso al file.\n"));
	EXPECT_TRUE(Contains(result.output, "alert SaveOpenError: Impoosibile "
		"creare o aprire il file. Controllate che il file non sia su un disco "
		"a sola lettura o che il file che volete sovrascrivere non sia usato "
		"da un'altra applicazione.\n"));
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + wav + "\"" }), Entries(result.output));
	EXPECT_TRUE(Contains(result.output,
		"BTab \"Opzioni di Gogo\" enabled=1 selected=1"));
}


// A full disk: the list saved before stays whole at both of its links, no
// new file is left behind, and the user is told. Needs root for a small
// file system of its own.
TEST(FilesListTest, AFailedSaveLeavesTheOldListAsItWas)
{
	std::string why = NoPrivateMount();
	if (!why.empty())
		GTEST_SKIP() << why;
	TemporaryHome home;
	std::string files;
	// Enough entries of long paths to overflow 64 KiB.
	std::string name(200, 'n');
	for (int i = 0; i < 400; i++)
		files += " " + home.WriteFile("big/" + std::to_string(i) + name, "");
	TolvexRunner runner(home);
	std::string disk = home.File("disk");
	ASSERT_EQ(0, mkdir(disk.c_str(), 0755));
	std::string script = home.WriteFile("full.txt",
		"drop FilesList" + files + "\nmenu Lista \"Salva...\"\n"
		"save " + disk + " list.tvx\nalert 1\nalert 0\n");
	std::string old = "# Generated by Tolvex 1.2a\n0;/old/entry.wav\n";
	std::string command = "unshare -m sh -c 'mount -t tmpfs -o size=64k "
		"tmpfs " + disk + " && printf \"%s\" \"" + old + "\" > " + disk
		+ "/list.tvx && ln " + disk + "/list.tvx " + disk + "/other.tvx && cp "
		+ disk + "/list.tvx " + home.File("seen-before")
		+ " && BE_DISPLAY=headless BE_SCRIPT=" + script + " "
		+ runner.Executable() + " > " + home.File("out.txt") + " 2>&1; "
		"cat " + disk + "/list.tvx > " + home.File("seen-after") + "; cat "
		+ disk + "/other.tvx > " + home.File("other-after") + "; ls -a "
		+ disk + " > " + home.File("left.txt") + "'";
	int status = system(command.c_str());
	ASSERT_EQ(0, WEXITSTATUS(status)) << ReadFile(home.File("out.txt"));
	EXPECT_EQ(old, ReadFile(home.File("seen-before")));
	EXPECT_EQ(old, ReadFile(home.File("seen-after")));
	EXPECT_EQ(old, ReadFile(home.File("other-after")));
	EXPECT_TRUE(Contains(ReadFile(home.File("out.txt")), "alert "
		"SaveWriteError: Impossibile scrivere sul file. Probabilmente il "
		"disco è pieno.\n")) << ReadFile(home.File("out.txt"));
	EXPECT_EQ(".\n..\nlist.tvx\nother.tvx\n", ReadFile(home.File("left.txt")));
}


// Data that never reaches the disk (fsync fails): the save is reported
// and the old list stays whole, for a list of one link (the new file is
// never put in place) and for one with another link (rewritten in place,
// then written back). The list itself never flushes, so the copy of the
// old list stays beside it, and the alert says where.
TEST(FilesListTest, AFailedFlushIsReportedAndKeepsTheOldList)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("fl/new.wav", "");
	std::string old = "# Generated by Tolvex 1.2a\n0;/old/entry.wav\n";
	std::string single = home.WriteFile("fl/single/list.tvx", old);
	std::string linked = home.WriteFile("fl/linked/list.tvx", old);
	ASSERT_EQ(0, link(linked.c_str(), home.File("fl/linked/other.tvx")
		.c_str()));
	TolvexRunner runner(home);
	struct Case {
		std::string	folder;
		std::string	failing;
	} cases[] = {
		{ home.File("fl/single"), home.File("fl/single") + "/" },
		{ home.File("fl/linked"), linked },
	};
	std::string keptAlert;
	for (const Case& test : cases) {
		RunResult result = RunThroughShell(home, runner, "drop FilesList "
			+ wav + "\nmenu Lista \"Salva...\"\nsave " + test.folder
			+ " list.tvx\nalert 1\nalert 0\n", "", "LD_PRELOAD=" READ_FAILURE_LIBRARY
			" ASAN_OPTIONS=verify_asan_link_order=0 TOLVEX_FAIL_FSYNC_PATH="
			+ Quoted(test.failing));
		ASSERT_EQ(0, result.status) << result.errors;
		EXPECT_TRUE(Contains(result.output, "alert SaveWriteError: "
			"Impossibile scrivere sul file. Probabilmente il disco è "
			"pieno.")) << test.folder << result.output;
		EXPECT_EQ(old, ReadFile(test.folder + "/list.tvx")) << test.folder;
		keptAlert = result.output;
	}
	EXPECT_EQ(old, ReadFile(home.File("fl/linked/other.tvx")));
	std::string left = ReadFile((system(("ls -A " + Quoted(home.File(
		"fl/single")) + " " + Quoted(home.File("fl/linked")) + " > "
		+ Quoted(home.File("left"))).c_str()), home.File("left")));
	std::vector<std::string> lines = SplitLines(left);
	ASSERT_EQ(7u, lines.size()) << left;
	EXPECT_EQ(home.File("fl/linked") + ":", lines[0]);
	EXPECT_EQ(".~keep-", lines[1].substr(0, 7));
	EXPECT_EQ(old, ReadFile(home.File("fl/linked/" + lines[1])));
	EXPECT_EQ("list.tvx other.tvx  " + home.File("fl/single")
		+ ": list.tvx", lines[2] + " " + lines[3] + " " + lines[4] + " "
		+ lines[5] + " " + lines[6]);
	// The driver shows a line feed of an alert's text as \n.
	EXPECT_TRUE(Contains(keptAlert, "Probabilmente il disco è pieno.\\n"
		"La lista di prima è conservata in:\\n" + home.File("fl/linked/"
		+ lines[1]) + "\n")) << keptAlert;
}


// Saving over a list keeps the file the user had: a 0600 list with a note
// of the user's and a second link, saved under umask 022 by its owner (as
// root, the program runs as nobody), stays 0600 and keeps the note, and
// the other link reads the new list. A 255-byte name saves, and 300
// leftovers of saves that were killed do not stand in the way: they go.
TEST(FilesListTest, SavingOverAListKeepsWhatTheUserHad)
{
	TemporaryHome home;
	bool asRoot = geteuid() == 0;
	if (asRoot && access("/usr/bin/setpriv", X_OK) != 0)
		GTEST_SKIP() << "as root this needs setpriv (util-linux) to save as "
			"another user";
	std::string folder = home.File("keep");
	std::string a = home.WriteFile("keep/a.wav", "");
	std::string b = home.WriteFile("keep/b.wav", "");
	std::string old = home.WriteFile("keep/old.tvx",
		"# Generated by Tolvex 1.2a\n0;/old/entry.wav\n");
	std::string other = folder + "/old2.tvx";
	ASSERT_EQ(0, chmod(old.c_str(), 0600));
	ASSERT_EQ(0, setxattr(old.c_str(), "user.note", "x", 1, 0));
	ASSERT_EQ(0, link(old.c_str(), other.c_str()));
	// One link only: the new file takes its place, with its mode and note.
	std::string single = home.WriteFile("keep/single.tvx", "0;/x.wav\n");
	ASSERT_EQ(0, chmod(single.c_str(), 0640));
	ASSERT_EQ(0, setxattr(single.c_str(), "user.note", "y", 1, 0));
	// Leftovers of a writer that is gone.
	pid_t gone = fork();
	if (gone == 0)
		_exit(0);
	ASSERT_GT(gone, 0);
	waitpid(gone, NULL, 0);
	for (int i = 0; i < 300; i++) {
		char name[64];
		snprintf(name, sizeof(name), "keep/.~save-%d-%x", (int)gone, i);
		home.WriteFile(name, "half a list");
	}
	std::string longName = std::string(251, 'l') + ".tvx";

	TolvexRunner runner(home);
	std::string before = "umask 022;";
	if (asRoot) {
		// The lists and their folder are the other user's.
		for (const std::string& path : { home.Path(), folder })
			ASSERT_EQ(0, chmod(path.c_str(), 0755));
		ASSERT_EQ(0, system(("chown -R 65534:65534 " + Quoted(folder))
			.c_str()));
		std::string otherHome = home.File("nobody");
		ASSERT_EQ(0, mkdir(otherHome.c_str(), 0777));
		ASSERT_EQ(0, chmod(otherHome.c_str(), 0777));
		before += " HOME=" + Quoted(otherHome) + " XDG_CONFIG_HOME="
			+ Quoted(otherHome + "/.config") + " XDG_DATA_HOME="
			+ Quoted(otherHome + "/.local/share")
			+ " setpriv --reuid=65534 --regid=65534 --clear-groups";
	}
	RunResult result = RunThroughShell(home, runner, "drop FilesList " + a
		+ " " + b + "\nmenu Lista \"Salva...\"\nsave " + folder
		+ " old.tvx\nalert 1\nmenu Lista \"Salva...\"\nsave " + folder + " "
		+ longName + "\nmenu Lista \"Salva...\"\nsave " + folder
		+ " single.tvx\nalert 1\n", before);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("", AlertsBesidesReplacing(result.output));

	std::string saved = "# Generated by Tolvex 1.2a\n0;" + a + "\n0;" + b
		+ "\n";
	struct stat info;
	ASSERT_EQ(0, stat(old.c_str(), &info));
	EXPECT_EQ(0600u, info.st_mode & 07777);
	EXPECT_EQ(2u, info.st_nlink);
	if (asRoot) {
		EXPECT_EQ(65534u, info.st_uid);
		EXPECT_EQ(65534u, info.st_gid);
	}
	EXPECT_EQ(saved, ReadFile(old));
	EXPECT_EQ(saved, ReadFile(other));
	EXPECT_EQ("x", Attribute(old, "user.note"));
	EXPECT_EQ("text/x-tolvex-list", Attribute(other, "user.mime_type"));
	EXPECT_EQ(saved, ReadFile(folder + "/" + longName));
	ASSERT_EQ(0, stat(single.c_str(), &info));
	EXPECT_EQ(0640u, info.st_mode & 07777);
	EXPECT_EQ(saved, ReadFile(single));
	EXPECT_EQ("y", Attribute(single, "user.note"));
	EXPECT_EQ("text/x-tolvex-list", Attribute(single, "user.mime_type"));
	std::string left = ReadFile((system(("ls -A " + Quoted(folder) + " > "
		+ Quoted(home.File("left"))).c_str()), home.File("left")));
	EXPECT_EQ("a.wav\nb.wav\n" + longName + "\nold.tvx\nold2.tvx\n"
		"single.tvx\n", left);
}


// Saving over a longer list through a link: the file the link points to
// gets the new list whole, the link stays a link; through a dangling link
// the file it names is made.
TEST(FilesListTest, SavingOverALinkReplacesItsTarget)
{
	TemporaryHome home;
	std::string target = home.WriteFile("lists/real.tvx",
		std::string("# Generated by Tolvex 1.2a\n") + "0;/x/one.wav\n"
		"0;/x/two.wav\n0;/x/three.wav\n");
	std::string link = home.File("lists/link.tvx");
	ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));
	std::string dangling = home.File("lists/dangling.tvx");
	ASSERT_EQ(0, symlink("new/made.tvx", dangling.c_str()));
	ASSERT_EQ(0, mkdir(home.File("lists/new").c_str(), 0755));
	std::string wav = home.WriteFile("lists/a;b.wav", "");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + wav + "\n"
		"menu Lista \"Salva...\"\nsave " + home.File("lists") + " link.tvx\n"
		"alert 1\n"
		"menu Lista \"Salva...\"\nsave " + home.File("lists")
		+ " dangling.tvx\nalert 1\n");
	ASSERT_EQ(0, result.status) << result.errors;
	// Both saves asked before replacing what is there (the script answered
	// them), and nothing else was told.
	EXPECT_EQ("", AlertsBesidesReplacing(result.output));
	for (const std::string& path : { link, dangling }) {
		struct stat info;
		ASSERT_EQ(0, lstat(path.c_str(), &info));
		EXPECT_TRUE(S_ISLNK(info.st_mode)) << path;
	}
	EXPECT_EQ("# Generated by Tolvex 1.2a\n0;" + wav + "\n", ReadFile(target));
	// A dangling link is saved through: its target is made.
	EXPECT_EQ("# Generated by Tolvex 1.2a\n0;" + wav + "\n",
		ReadFile(home.File("lists/new/made.tvx")));
}


// The add-files panel: several files in one choice; it closes after
// adding unless the setting says not to, and its cancel button says so.
TEST(FilesListTest, TheAddFilesPanelFollowsItsSetting)
{
	TemporaryHome home;
	std::string p = home.WriteFile("add/p.wav", "");
	std::string q = home.WriteFile("add/q.wav", "");
	TolvexRunner runner(home);
	RunResult closing = runner.Run("click AddFiles\npanel " + p + " " + q
		+ "\ndump\n");
	ASSERT_EQ(0, closing.status) << closing.errors;
	EXPECT_TRUE(Contains(closing.output, "panel Aggiungi file\n"));
	EXPECT_TRUE(Contains(closing.output, "window \"Aggiungi file\" hidden=1"));
	EXPECT_TRUE(Contains(closing.output, "label=\"Aggiungi\""));
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + p + "\"",
		"item 1 selected=0 \"" + q + "\"" }), Entries(closing.output));

	SetBoolSetting(runner.Executable(), "dont_close_on_add", true);
	RunResult staying = runner.Run("click AddFiles\npanel " + p + "\n"
		"panel " + q + "\ndump\ncancel\ndump\n");
	ASSERT_EQ(0, staying.status) << staying.errors;
	std::string output = staying.output;
	size_t second = output.rfind("window \"Tolvex 1.2a\"");
	std::string first = output.substr(0, second);
	EXPECT_TRUE(Contains(first, "window \"Aggiungi file\" hidden=0"));
	EXPECT_TRUE(Contains(first, "BButton \"PanelCancel\" label=\"Chiudi\""));
	EXPECT_TRUE(Contains(output.substr(second),
		"window \"Aggiungi file\" hidden=1"));
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + p + "\"",
		"item 1 selected=0 \"" + q + "\"" }), Entries(staying.output));
}


// Lines that ask for what a user could not do are errors.
TEST(FilesListTest, ImpossibleListAndPanelLinesAreErrors)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("e/a.wav", "");
	TolvexRunner runner(home);
	struct Case {
		std::string script;
		std::string error;
	} cases[] = {
		{ "drop FilesList " + wav + "\nselect FilesList 1\n",
			"script error 2: no entry 1 in \"FilesList\"" },
		{ "select EncodeButton 0\n",
			"script error 1: \"EncodeButton\" does not take this action" },
		{ "menu Lista \"Salva...\"\nsave " + home.File("nowhere") + " x.tvx\n",
			"script error 2: no folder \"" + home.File("nowhere") + "\"" },
		{ "menu Lista \"Apri...\"\npanel " + home.File("e/missing.tvx") + "\n",
			"script error 2: cannot choose \"" + home.File("e/missing.tvx")
				+ "\"" },
		{ "menu Lista \"Apri...\"\nclick AddFiles\n",
			"script error 2: a modal window is showing (Apri lista)" },
		{ "cancel\n", "script error 1: no file panel is showing" },
	};
	for (const Case& test : cases) {
		RunResult result = runner.Run(test.script);
		EXPECT_EQ(3, result.status) << test.script;
		EXPECT_TRUE(Contains(result.errors, test.error)) << test.script
			<< result.errors;
	}
}


// A disk error part-way through a list file: the user is told the file
// cannot be opened, and neither the list nor the tab in front changes.
TEST(FilesListTest, AReadErrorInTheMiddleLeavesTheListAsItWas)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("re/keep.wav", "");
	std::string body = "# Generated by Tolvex 1.2a\n";
	for (int i = 0; i < 3000; i++)
		body += "0;/musica/brano " + std::to_string(i) + ".wav\n";
	std::string list = home.WriteFile("re/bad.tvx", body);
	TolvexRunner runner(home);
	std::string script = "drop FilesList " + wav + "\n"
		"tab \"Opzioni di Gogo\"\nmenu Lista \"Apri...\"\npanel " + list
		+ "\nalert 0\ndump\n";

	// The same file read whole gives its 3000 entries in place of the
	// one: the failure below is the read error's doing.
	RunResult whole = runner.Run(script.substr(0, script.find("alert 0\n"))
		+ "dump\n");
	ASSERT_EQ(0, whole.status) << whole.errors;
	EXPECT_EQ(3000u, Entries(whole.output).size());

	setenv("LD_PRELOAD", READ_FAILURE_LIBRARY, 1);
	setenv("TOLVEX_FAIL_READ_PATH", list.c_str(), 1);
	setenv("TOLVEX_FAIL_READ_AFTER", "70000", 1);
	// The sanitizers' runtimes want to come first; this library only
	// passes reads on.
	const char* asan = getenv("ASAN_OPTIONS");
	std::string savedAsan = asan != NULL ? asan : "";
	setenv("ASAN_OPTIONS", (savedAsan + (savedAsan.empty() ? "" : ":")
		+ "verify_asan_link_order=0").c_str(), 1);
	RunResult result = runner.Run(script);
	unsetenv("LD_PRELOAD");
	unsetenv("TOLVEX_FAIL_READ_PATH");
	unsetenv("TOLVEX_FAIL_READ_AFTER");
	if (asan != NULL)
		setenv("ASAN_OPTIONS", savedAsan.c_str(), 1);
	else
		unsetenv("ASAN_OPTIONS");

	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "alert OpenOpenError: Impossibile "
		"aprire file. Assicuratevi di avere accesso al file.\n"))
		<< result.output;
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + wav + "\"" }), Entries(result.output));
	EXPECT_TRUE(Contains(result.output,
		"BTab \"Opzioni di Gogo\" enabled=1 selected=1"));
}


// The open-list panel worked with double clicks, as the driver's
// doubleclick line makes them: into a folder, then on the list file.
TEST(FilesListTest, AListOpensWithDoubleClicksInItsPanel)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("liste/a.wav", "");
	home.WriteFile("liste/mia.tvx", "# Generated by Tolvex 1.2a\n0;" + wav
		+ "\n");
	TolvexRunner runner(home);
	// Where the folder stands among the home's entries.
	RunResult first = runner.Run("menu Lista \"Apri...\"\ndump\ncancel\n");
	ASSERT_EQ(0, first.status) << first.errors;
	std::string index;
	for (const std::string& line : SplitLines(first.output)) {
		size_t at = line.find("item ");
		if (at != std::string::npos
			&& line.find("\"liste/\"") != std::string::npos)
			index = line.substr(at + 5, line.find(' ', at + 5) - at - 5);
	}
	ASSERT_FALSE(index.empty()) << first.output;

	RunResult result = runner.Run("menu Lista \"Apri...\"\n"
		"doubleclick PanelEntries " + index + "\ndump\n"
		"doubleclick PanelEntries 1\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	size_t second = result.output.rfind("window \"Tolvex 1.2a\"");
	std::string inFolder = result.output.substr(0, second);
	EXPECT_TRUE(Contains(inFolder, "\"" + home.File("liste") + "\""))
		<< inFolder;
	EXPECT_TRUE(Contains(inFolder, "item 1 selected=0 \"mia.tvx\""))
		<< inFolder;
	EXPECT_TRUE(Contains(result.output.substr(second),
		"window \"Apri lista\" hidden=1"));
	EXPECT_EQ(std::vector<std::string>({
		"item 0 selected=0 \"" + wav + "\"" }), Entries(result.output));
}


// Paths typed as a user types them: in the add-files panel, '/' typed
// while the entries have the focus starts a path in the path field, and
// the file it leads to is added; in the save panel a name with a '/' saves
// in that folder, and one whose folder is missing is refused there, the
// panel staying.
TEST(FilesListTest, FilePanelsTakeTypedPaths)
{
	TemporaryHome home;
	std::string wav = home.WriteFile("typed/d/x.wav", "");
	home.WriteFile("typed/sub/.keep", "");
	std::string keys;
	for (char c : wav)
		keys += std::string("key ") + c + "\n";
	TolvexRunner runner(home);
	RunResult result = runner.Run("click AddFiles\nselect PanelEntries 0\n"
		+ keys + "key Enter\n"
		"menu Lista \"Salva...\"\nsave " + home.File("typed") + " sub/l.tvx\n"
		"menu Lista \"Salva...\"\nsave " + home.File("typed")
		+ " nowhere/l.tvx\nalert 0\ncancel\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(std::vector<std::string>({ "item 0 selected=0 \"" + wav
		+ "\"" }), Entries(result.output));
	EXPECT_EQ("# Generated by Tolvex 1.2a\n0;" + wav + "\n",
		ReadFile(home.File("typed/sub/l.tvx")));
	EXPECT_TRUE(Contains(result.output, "alert NoSuchFolder: La cartella \""
		+ home.File("typed/nowhere") + "\" non esiste.\n")) << result.output;
	EXPECT_NE(0, access(home.File("typed/nowhere").c_str(), F_OK));
	EXPECT_NE(0, access(home.File("typed/l.tvx").c_str(), F_OK));
}
