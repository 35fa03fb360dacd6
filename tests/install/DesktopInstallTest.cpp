#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

#include <Node.h>
#include <OS.h>
#include <TypeConstants.h>

#include "TestSupport.h"

namespace {

int
Install(const std::string& prefix)
{
	std::string command = std::string(TOLVEX_SOURCE_DIR) + "/tools/install.sh "
		+ Quoted(TOLVEX_BINARY_DIR) + " " + Quoted(prefix) + " > /dev/null";
	return system(command.c_str());
}


int
CMakeInstall(const std::string& prefix)
{
	std::string command = "cmake --install " + Quoted(TOLVEX_BINARY_DIR)
		+ " --prefix " + Quoted(prefix) + " > /dev/null";
	return system(command.c_str());
}


// Standard output of a shell command, its last line end taken off.
std::string
Output(const std::string& command)
{
	std::string text;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == NULL)
		return text;
	char buffer[4096];
	size_t length;
	while ((length = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		text.append(buffer, length);
	pclose(pipe);
	if (!text.empty() && text.back() == '\n')
		text.pop_back();
	return text;
}


bool
HaveCommand(const char* name)
{
	return system((std::string("command -v ") + name + " > /dev/null 2>&1")
		.c_str()) == 0;
}


// Every file and link below the folder, by its path from there.
void
ListTree(const std::string& root, const std::string& relative,
	std::set<std::string>* paths)
{
	DIR* dir = opendir((root + relative).c_str());
	if (dir == NULL)
		return;
	while (struct dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name == "." || name == "..")
			continue;
		std::string path = relative + "/" + name;
		struct stat st;
		if (lstat((root + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
			ListTree(root, path, paths);
		else
			paths->insert(path);
	}
	closedir(dir);
}


void
ExpectPng(const std::string& path, int side)
{
	std::string png = ReadFile(path);
	ASSERT_GT(png.size(), 24u) << path;
	EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8)) << path;
	EXPECT_EQ("IHDR", png.substr(12, 4));
	EXPECT_EQ(side, (unsigned char)png[19]) << path;
	EXPECT_EQ(side, (unsigned char)png[23]) << path;
	// RGBA: the icon's transparent corners stay transparent.
	EXPECT_EQ(6, png[25]) << path;
}


// The RGBA pixels of a PNG file as the icon tool writes it (stored deflate
// blocks, no filter); empty when it is not such a file.
std::string
StoredPngPixels(const std::string& path)
{
	std::string png = ReadFile(path);
	std::string zlib;
	for (size_t at = 8; at + 8 <= png.size();) {
		size_t length = (unsigned char)png[at] << 24
			| (unsigned char)png[at + 1] << 16 | (unsigned char)png[at + 2] << 8
			| (unsigned char)png[at + 3];
		if (png.compare(at + 4, 4, "IDAT") == 0)
			zlib += png.substr(at + 8, length);
		at += 12 + length;
	}
	std::string raw;
	for (size_t at = 2; at + 5 <= zlib.size();) {
		size_t length = (unsigned char)zlib[at + 1]
			| (unsigned char)zlib[at + 2] << 8;
		raw += zlib.substr(at + 5, length);
		bool last = (zlib[at] & 1) != 0;
		at += 5 + length;
		if (last)
			break;
	}
	int side = (unsigned char)png[18] << 8 | (unsigned char)png[19];
	std::string pixels;
	for (int y = 0; y < side; y++) {
		size_t row = (size_t)y * (side * 4 + 1);
		if (row + 1 + side * 4 > raw.size() || raw[row] != 0)
			return "";
		pixels += raw.substr(row + 1, side * 4);
	}
	return pixels;
}


// Runs the installed program on the headless display with a script; its
// standard output.
std::string
RunInstalled(const std::string& executable, const std::string& script,
	const std::string& words)
{
	std::string scriptPath = std::string(getenv("HOME")) + "/script.txt";
	FILE* file = fopen(scriptPath.c_str(), "w");
	if (file == NULL)
		return "";
	fputs(script.c_str(), file);
	fclose(file);
	return Output("BE_DISPLAY=headless BE_SCRIPT=" + Quoted(scriptPath) + " "
		+ Quoted(executable) + " " + words + " 2>&1");
}

} // namespace


// A fresh home: the prefix holds the program, the encoder, the read-me,
// the licence, the manual, the icons, the desktop entry and the list type,
// and the desktop opens a .tvx file in Tolvex.
TEST(DesktopInstallTest, FreshHomeOpensAListFromTheDesktop)
{
	TemporaryHome home;
	std::string prefix = home.File(".local");
	ASSERT_EQ(0, Install(prefix));

	for (const char* file : { "lib/tolvex/Tolvex", "lib/tolvex/Gogo",
			"lib/tolvex/leggimi", "lib/tolvex/LICENSE",
			"share/doc/tolvex/leggimi.html", "share/doc/tolvex/driving.md",
			"share/man/man1/gogo.1", "share/man/man1/Tolvex.1",
			"share/metainfo/org.example.Tolvex.metainfo.xml",
			"share/mime/packages/beos-text@x-tolvex-list.xml" })
		EXPECT_EQ(0, access((prefix + "/" + file).c_str(), R_OK)) << file;
	EXPECT_EQ(0, access((prefix + "/bin/Tolvex").c_str(), X_OK));
	EXPECT_EQ(0, access((prefix + "/bin/Gogo").c_str(), X_OK));
	for (int side : { 16, 32, 48, 64, 128 }) {
		std::string size = std::to_string(side) + "x" + std::to_string(side);
		ExpectPng(prefix + "/share/icons/hicolor/" + size + "/apps/tolvex.png",
			side);
		ExpectPng(prefix + "/share/icons/hicolor/" + size
			+ "/mimetypes/text-x-tolvex-list.png", side);
	}
	// The large sizes are the drawn icons in whole pixels: 64 and 128 of
	// the 32-pixel one, 48 of the 16-pixel one; nothing blurred.
	std::string icons = prefix + "/share/icons/hicolor/";
	for (int side : { 48, 64, 128 }) {
		int source = side % 32 == 0 ? 32 : 16;
		std::string small = StoredPngPixels(icons + std::to_string(source)
			+ "x" + std::to_string(source) + "/apps/tolvex.png");
		std::string large = StoredPngPixels(icons + std::to_string(side)
			+ "x" + std::to_string(side) + "/apps/tolvex.png");
		ASSERT_EQ((size_t)source * source * 4, small.size());
		ASSERT_EQ((size_t)side * side * 4, large.size());
		int factor = side / source;
		int differ = 0;
		for (int y = 0; y < side; y++) {
			for (int x = 0; x < side; x++) {
				differ += large.compare((size_t)(y * side + x) * 4, 4, small,
					(size_t)(y / factor * source + x / factor) * 4, 4) != 0;
			}
		}
		EXPECT_EQ(0, differ) << side;
	}

	// The manual is the read-me, escaped for HTML.
	std::string readme = ReadFile(prefix + "/lib/tolvex/leggimi");
	std::string manual = ReadFile(prefix + "/share/doc/tolvex/leggimi.html");
	EXPECT_TRUE(Contains(readme, "Licenza"));
	EXPECT_TRUE(Contains(readme, "LICENSE"));
	EXPECT_TRUE(Contains(manual, "<meta charset=\"utf-8\">"));
	EXPECT_TRUE(Contains(manual, "Gogo [-b KBPS] [-m m|s|j] [-nopsy] "
		"[-delete] [-o CARTELLA] FILE"));
	ASSERT_EQ(std::string::npos, readme.find_first_of("<>&"));
	size_t body = manual.find("<pre>\n");
	size_t end = manual.find("</pre>");
	ASSERT_NE(std::string::npos, body);
	ASSERT_NE(std::string::npos, end);
	EXPECT_EQ(readme, manual.substr(body + 6, end - body - 6));

	std::string entry = ReadFile(prefix
		+ "/share/applications/org.example.Tolvex.desktop");
	EXPECT_TRUE(Contains(entry, "\nExec=" + prefix + "/bin/Tolvex --refs %F\n"))
		<< entry;
	// Offered for WAV files too, so that "Open with" adds them.
	EXPECT_TRUE(Contains(entry,
		"\nMimeType=text/x-tolvex-list;audio/x-wav;audio/wav;\n")) << entry;
	EXPECT_TRUE(Contains(entry, "\nIcon=tolvex\n")) << entry;
	// The windows' class, so that a dock shows them under the launcher.
	EXPECT_TRUE(Contains(entry, "\nStartupWMClass=Tolvex\n")) << entry;
	if (HaveCommand("desktop-file-validate")) {
		EXPECT_EQ("", Output("desktop-file-validate " + Quoted(prefix
			+ "/share/applications/org.example.Tolvex.desktop") + " 2>&1"));
	}

	if (!HaveCommand("xdg-mime") || !HaveCommand("update-desktop-database")
		|| !HaveCommand("mimetype"))
		GTEST_SKIP() << "xdg-utils, desktop-file-utils or mimetype missing";
	EXPECT_EQ("org.example.Tolvex.desktop",
		Output("xdg-mime query default text/x-tolvex-list"));
	std::string list = home.WriteFile("musica/mia lista.tvx",
		"0;/musica/uno.wav\n");
	EXPECT_EQ("text/x-tolvex-list",
		Output("xdg-mime query filetype " + Quoted(list)));
	// The desktop starts the installed program, which shows the list.
	// xdg-open opens files by type only in a graphical session: a Wayland
	// name that no server has tells it there is one, and reaches no real
	// display (Tolvex runs headless, and no X display is named).
	std::string script = home.WriteFile("open.txt", "dump\n");
	std::string shown = Output("env -u DISPLAY "
		"WAYLAND_DISPLAY=tolvex-test-no-such-display BE_DISPLAY=headless "
		"BE_SCRIPT=" + Quoted(script) + " xdg-open " + Quoted(list)
		+ " 2>&1");
	EXPECT_TRUE(Contains(shown, "item 0 selected=0 \"/musica/uno.wav\""))
		<< shown;
}


// A prefix with blanks: Exec quotes the path, and a launcher that follows
// the desktop entry rules starts the program with the file.
TEST(DesktopInstallTest, PrefixWithBlanksIsQuotedInExec)
{
	TemporaryHome home;
	std::string prefix = home.File("le mie app");
	ASSERT_EQ(0, Install(prefix));
	std::string entryPath = prefix
		+ "/share/applications/org.example.Tolvex.desktop";
	std::string entry = ReadFile(entryPath);
	EXPECT_TRUE(Contains(entry, "\nExec=\"" + prefix
		+ "/bin/Tolvex\" --refs %F\n")) << entry;

	// The About box names and opens the manual under this prefix.
	std::string about = RunInstalled(prefix + "/bin/Tolvex",
		"menu ? \"Informazioni su...\"\nalert 1\n", "");
	EXPECT_TRUE(Contains(about, "Web: : file://" + home.Path()
		+ "/le%20mie%20app/share/doc/tolvex/leggimi.html\\n")) << about;

	if (!HaveCommand("gio"))
		GTEST_SKIP() << "gio missing";
	std::string list = home.WriteFile("l.tvx", "0;/a/b.wav\n");
	std::string script = home.WriteFile("open.txt", "dump\n");
	std::string shown = Output("BE_DISPLAY=headless BE_SCRIPT="
		+ Quoted(script) + " gio launch " + Quoted(entryPath) + " "
		+ Quoted(list) + " 2>&1");
	EXPECT_TRUE(Contains(shown, "item 0 selected=0 \"/a/b.wav\"")) << shown;

	// "Open with Tolvex" on two WAVs: both join the list.
	std::string first = home.WriteFile("uno.wav", std::string("RIFF\0", 5));
	std::string second = home.WriteFile("due.wav", std::string("RIFF\0", 5));
	shown = Output("BE_DISPLAY=headless BE_SCRIPT=" + Quoted(script)
		+ " gio launch " + Quoted(entryPath) + " " + Quoted(first) + " "
		+ Quoted(second) + " 2>&1");
	EXPECT_TRUE(Contains(shown, "item 0 selected=0 \"" + first + "\"\n"
		"              item 1 selected=0 \"" + second + "\"\n")) << shown;
}


// `cmake --install` and tools/install.sh lay out the same files, and
// installing again keeps the settings, also while the program runs and
// stores at quit what the user changed meanwhile.
TEST(DesktopInstallTest, CMakeInstallMatchesAndReinstallKeepsSettings)
{
	TemporaryHome home;
	std::string byScript = home.File("script");
	std::string byCMake = home.File("cmake");
	ASSERT_EQ(0, Install(byScript));
	ASSERT_EQ(0, CMakeInstall(byCMake));
	std::set<std::string> scriptFiles;
	std::set<std::string> cmakeFiles;
	ListTree(byScript, "", &scriptFiles);
	ListTree(byCMake, "", &cmakeFiles);
	EXPECT_EQ(scriptFiles, cmakeFiles);
	EXPECT_EQ(ReadFile(byScript + "/share/doc/tolvex/leggimi.html"),
		ReadFile(byCMake + "/share/doc/tolvex/leggimi.html"));

	std::string executable = byCMake + "/lib/tolvex/Tolvex";
	std::string first = RunInstalled(executable, "tab \"Opzioni del "
		"programma\"\ntype EncoderLocation /opt/gogo\nclick DontCloseOnAdd\n"
		"dump\n",
		"");
	ASSERT_TRUE(Contains(first, "window")) << first;

	// Running while it is installed again; it quits afterwards.
	std::string scriptPath = home.WriteFile("long.txt",
		"tab \"Opzioni del programma\"\nclick DontClearOnOpen\n"
		"dump\nwait-hidden \"Tolvex 1.2a\" 60\n");
	std::string out = home.File("running.txt");
	std::string start = "BE_DISPLAY=headless BE_SCRIPT=" + Quoted(scriptPath)
		+ " " + Quoted(executable) + " > " + Quoted(out)
		+ " 2>&1 & echo $!";
	int pid = atoi(Output(start).c_str());
	ASSERT_GT(pid, 0);
	bigtime_t deadline = system_time() + 20000000;
	while (!Contains(ReadFile(out), "window") && system_time() < deadline)
		usleep(10000);
	EXPECT_EQ(0, CMakeInstall(byCMake));
	ASSERT_EQ(0, kill(pid, SIGTERM));
	for (int i = 0; i < 200 && kill(pid, 0) == 0; i++)
		usleep(50000);

	std::string second = RunInstalled(executable,
		"tab \"Opzioni del programma\"\ndump\n", "");
	EXPECT_TRUE(Contains(second, "text=\"/opt/gogo\"")) << second;
	EXPECT_TRUE(Contains(second, "BCheckBox \"DontCloseOnAdd\" label=\"Non "
		"chiudere la finestra \\\"Aggiungi file\\\" quando si aggiunge un "
		"file\" value=1")) << second;
	EXPECT_TRUE(Contains(second, "BCheckBox \"DontClearOnOpen\" label=\"Non "
		"cancellare la lista attuale quando se ne apre un'altra\" value=1"))
		<< second;
}


// Without a display the installed program says so in Italian and names
// the guide installed with it.
TEST(DesktopInstallTest, NoDisplayMessagePointsAtTheInstalledGuide)
{
	TemporaryHome home;
	std::string prefix = home.File("prefisso");
	ASSERT_EQ(0, Install(prefix));
	std::string said = Output("env -u DISPLAY -u BE_DISPLAY "
		+ Quoted(prefix + "/bin/Tolvex") + " 2>&1; echo \"status $?\"");
	EXPECT_TRUE(Contains(said, "sessione grafica, e DISPLAY non è "
		"impostata")) << said;
	EXPECT_TRUE(Contains(said, "vedi " + prefix
		+ "/share/doc/tolvex/driving.md)")) << said;
	EXPECT_FALSE(Contains(said, "status 0")) << said;
}
