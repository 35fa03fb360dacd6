// What the display draws, in pixels, kept as PNG files under the build
// folder (e2e-screenshots/) for a person to look at.

#include <dirent.h>
#include <fcntl.h>
#include <math.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <OS.h>
#include <Window.h>

#include "DisplayFixture.h"
#include "PngWriter.h"
#include "TestSupport.h"

using namespace BPrivate;
using namespace Commands;

namespace {

const rgb_color kRed = { 255, 0, 0, 255 };

} // namespace


TEST_F(DisplayTest, ViewsAreDrawnWhereTheyAreAndClipped)
{
	InputRecorder* recorder = new InputRecorder;
	recorder->Run();
	int32 id = recorder->Id();
	BRect backFrame(0, 20, 440, 280);
	// A string view too narrow for its text, and room beside it.
	BRect narrowFrame(10, 210, 69, 229);
	BRect besideFrame(70, 205, 200, 235);
	BRect redFrame(300, 210, 339, 239);

	Send(WindowCreated(id, 1, "Disegno", BRect(100, 100, 540, 380),
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE));
	Send(ViewAdded(id, 2, 1, B_DISPLAY_MENU_BAR, "MenuBar",
		BRect(0, 0, 440, 19), kPanelGrey));
	Send(MenuItemAdded(id, 2, 100, 0, "Lista", true, B_DISPLAY_ITEM_SUBMENU));
	Send(MenuItemAdded(id, 2, 101, 0, "?", true, B_DISPLAY_ITEM_SUBMENU));
	Send(ViewAdded(id, 3, 1, B_DISPLAY_PLAIN_VIEW, "BackView", backFrame,
		kPanelGrey));
	Send(ViewAdded(id, 4, 3, B_DISPLAY_TAB_VIEW, "TabView",
		BRect(5, 5, 435, 195), kPanelGrey));
	Send(TabAdded(id, 4, 0, "File"));
	Send(TabAdded(id, 4, 1, "Opzioni di Gogo"));
	Send(TabAdded(id, 4, 2, "Opzioni del programma"));
	Send(TabChosen(id, 4, 0));
	Send(ViewAdded(id, 5, 4, B_DISPLAY_STRING_VIEW, "Caption",
		BRect(10, 40, 300, 60), kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_TEXT, id, 5, "Codifica in corso del file: @a & b"));
	Send(ViewAdded(id, 6, 3, B_DISPLAY_STRING_VIEW, "Narrow", narrowFrame,
		kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_TEXT, id, 6,
		"/una/cartella/molto/lunga/con/un/file.wav"));
	Send(ViewAdded(id, 7, 3, B_DISPLAY_BUTTON, "Button",
		BRect(340, 226, 429, 249), kPanelGrey));
	Send(ViewText(B_DISPLAY_VIEW_LABEL, id, 7, "@Cod&ifica!"));
	// A red box in a view that is shown, then hidden itself.
	Send(ViewAdded(id, 8, 3, B_DISPLAY_PLAIN_VIEW, "Holder",
		BRect(290, 200, 349, 249), kPanelGrey));
	Send(ViewAdded(id, 9, 8, B_DISPLAY_PLAIN_VIEW, "Red",
		redFrame.OffsetByCopy(-290, -200), kRed));
	Send(Window(B_DISPLAY_WINDOW_SHOWN, id));
	unsigned long window = fProbe->WaitForWindow("Disegno");
	ASSERT_NE(0ul, window);
	ASSERT_TRUE(WaitUntilIdle());

	Screenshot shot = fProbe->GrabSettled(window);
	ASSERT_FALSE(shot.IsEmpty());
	SaveScreenshot(shot, "display-views");
	EXPECT_EQ(441, shot.width);
	EXPECT_EQ(281, shot.height);
	// Antialiased text on grey: many colours, the panel grey among them.
	EXPECT_GT(shot.CountColors(), 8);
	EXPECT_TRUE(shot.Has(216, 216, 216));
	EXPECT_TRUE(shot.Has(255, 0, 0));

	// The long text is drawn inside its frame and nowhere beside it.
	int top = (int)backFrame.top;
	EXPECT_GT(shot.CountOther((int)narrowFrame.left, top
		+ (int)narrowFrame.top, (int)narrowFrame.right,
		top + (int)narrowFrame.bottom, 216, 216, 216), 20);
	EXPECT_EQ(0, shot.CountOther((int)besideFrame.left,
		top + (int)besideFrame.top, (int)besideFrame.right,
		top + (int)besideFrame.bottom, 216, 216, 216));

	// Hidden through its parent, then shown again.
	Send(ViewValue(B_DISPLAY_VIEW_HIDDEN, id, 8, 1));
	ASSERT_TRUE(WaitUntilIdle());
	shot = fProbe->GrabSettled(window);
	EXPECT_FALSE(shot.Has(255, 0, 0));
	EXPECT_EQ(0, shot.CountOther(290, top + 200, 335, top + 249, 216, 216,
		216));
	Send(ViewValue(B_DISPLAY_VIEW_HIDDEN, id, 8, 0));
	// Moved with its parent.
	Send([&] {
		DisplayCommand command(B_DISPLAY_VIEW_FRAME);
		command.window = id;
		command.view = 8;
		command.rect = BRect(190, 200, 249, 249);
		return command;
	}());
	ASSERT_TRUE(WaitUntilIdle());
	shot = fProbe->GrabSettled(window);
	uint8 red, green, blue;
	ASSERT_TRUE(shot.Pixel(215, top + 225, &red, &green, &blue));
	EXPECT_EQ(255, red);
	EXPECT_EQ(0, green);
	EXPECT_EQ(0, shot.CountOther(290, top + 200, 335, top + 249, 216, 216,
		216));
	SaveScreenshot(shot, "display-views-moved");

	recorder->End();
}


// The screenshots of README.md and docs/screenshots/, retaken from the
// installed program on a real window manager (openbox) with real input,
// as a user sees them. Only when TOLVEX_SCREENSHOTS names the folder to
// write them in: tools/screenshots.sh runs it in a home of /home/utente of
// its own, so that no path shown is anyone's.
namespace {

// 16-bit stereo at 44.1 kHz: a tone of a few seconds.
std::string
Wave(int seconds, double frequency)
{
	int frames = seconds * 44100;
	std::string data;
	data.reserve((size_t)frames * 4);
	for (int i = 0; i < frames; i++) {
		int16 sample = (int16)(8000 * sin(2 * M_PI * frequency * i / 44100));
		for (int channel = 0; channel < 2; channel++) {
			data += (char)(sample & 0xff);
			data += (char)((sample >> 8) & 0xff);
		}
	}
	auto word = [](uint32 value, int bytes) {
		std::string out;
		for (int i = 0; i < bytes; i++)
			out += (char)((value >> (8 * i)) & 0xff);
		return out;
	};
	return "RIFF" + word(36 + data.size(), 4) + "WAVEfmt " + word(16, 4)
		+ word(1, 2) + word(2, 2) + word(44100, 4) + word(44100 * 4, 4)
		+ word(4, 2) + word(16, 2) + "data" + word(data.size(), 4) + data;
}


pid_t
Spawn(const std::vector<std::string>& words)
{
	pid_t pid = fork();
	if (pid == 0) {
		int null = open("/dev/null", O_RDWR);
		dup2(null, 1);
		dup2(null, 2);
		std::vector<char*> argv;
		for (const std::string& word : words)
			argv.push_back(const_cast<char*>(word.c_str()));
		argv.push_back(NULL);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	return pid;
}


// The child the program started last (the encoder), 0 while there is none.
pid_t
ChildOf(pid_t parent)
{
	pid_t child = 0;
	DIR* proc = opendir("/proc");
	while (struct dirent* entry = proc != NULL ? readdir(proc) : NULL) {
		pid_t pid = atoi(entry->d_name);
		if (pid <= 0)
			continue;
		std::string stat = ReadFile("/proc/" + std::string(entry->d_name)
			+ "/stat");
		size_t end = stat.rfind(')');
		int ppid = 0;
		if (end != std::string::npos
			&& sscanf(stat.c_str() + end + 1, " %*c %d", &ppid) == 1
			&& ppid == parent)
			child = std::max(child, pid);
	}
	if (proc != NULL)
		closedir(proc);
	return child;
}


class DocsScreenshots : public ::testing::Test {
protected:
	// The screen's pixels where the windows' frames are, title bars
	// included, written as NAME.png.
	void Take(const char* name, std::vector<unsigned long> windows)
	{
		int left = INT32_MAX, top = INT32_MAX, right = 0, bottom = 0;
		for (unsigned long window : windows) {
			WindowGeometry frame;
			ASSERT_TRUE(fProbe->Geometry(fProbe->Frame(window), &frame));
			left = std::min(left, frame.x);
			top = std::min(top, frame.y);
			right = std::max(right, frame.x + frame.width);
			bottom = std::max(bottom, frame.y + frame.height);
		}
		ASSERT_TRUE(WaitUntilDrawn(windows));
		Screenshot screen = fProbe->GrabSettled(fProbe->Root());
		ASSERT_FALSE(screen.IsEmpty());
		left = std::max(0, left);
		top = std::max(0, top);
		right = std::min(screen.width, right);
		bottom = std::min(screen.height, bottom);
		std::vector<uint8> rgb;
		for (int y = top; y < bottom; y++) {
			rgb.insert(rgb.end(), screen.rgb.begin() + (y * screen.width
				+ left) * 3, screen.rgb.begin() + (y * screen.width + right)
				* 3);
		}
		std::string path = std::string(fFolder) + "/" + name + ".png";
		EXPECT_TRUE(WritePng(path, right - left, bottom - top, rgb)) << path;
	}

	bool WaitUntilDrawn(const std::vector<unsigned long>& windows)
	{
		for (unsigned long window : windows) {
			if (fProbe->GrabSettled(window).IsEmpty())
				return false;
		}
		return true;
	}

	// A click at a point of the window (pixels from its top left corner).
	void Click(unsigned long window, int x, int y)
	{
		WindowGeometry geometry;
		ASSERT_TRUE(fProbe->Geometry(window, &geometry));
		ASSERT_TRUE(ClickAt(geometry.x + x, geometry.y + y));
		snooze(300000);
	}

	const char*			fFolder = NULL;
	XProbe*				fProbe = NULL;
};

} // namespace


TEST_F(DocsScreenshots, TakenFromTheInstalledProgramOnOpenbox)
{
	fFolder = getenv("TOLVEX_SCREENSHOTS");
	if (fFolder == NULL)
		GTEST_SKIP() << "tools/screenshots.sh takes them";
	const char* home = getenv("HOME");
	ASSERT_STREQ("/home/utente", home);
	XvfbServer server;
	ASSERT_TRUE(server.IsRunning());
	XProbe probe;
	fProbe = &probe;
	pid_t manager = Spawn({ "openbox" });
	ASSERT_GT(manager, 0);
	for (int i = 0; i < 200 && probe.Property(probe.Root(),
			"_NET_SUPPORTING_WM_CHECK").empty(); i++)
		snooze(50000);

	std::string prefix = std::string(home) + "/.local";
	ASSERT_EQ(0, system(("'" + std::string(TOLVEX_SOURCE_DIR)
		+ "/tools/install.sh' '" + TOLVEX_BINARY_DIR + "' '" + prefix
		+ "' > /dev/null").c_str()));
	// The music, and a list of it opened from the desktop.
	const char* names[] = { "01 Preludio.wav", "02 Allemanda.wav",
		"03 Corrente.wav", "04 Sarabanda.wav", "05 Giga.wav" };
	std::string folder = std::string(home) + "/Musica/Suite per violoncello";
	mkdir((std::string(home) + "/Musica").c_str(), 0755);
	mkdir(folder.c_str(), 0755);
	std::string list = "# Generated by Tolvex 1.2a\n";
	for (int i = 0; i < 5; i++) {
		std::string path = folder + "/" + names[i];
		std::ofstream(path) << Wave(20, 220 * (i + 2));
		list += "0;" + path + "\n";
	}
	std::string listPath = std::string(home) + "/Musica/Suite.tvx";
	std::ofstream(listPath) << list;
	const char* type = "text/x-tolvex-list";
	setxattr(listPath.c_str(), "user.mime_type", type, strlen(type), 0);
	std::vector<std::string> words = { prefix + "/bin/Tolvex", "--refs",
		listPath };
	unsetenv("BE_DISPLAY");
	pid_t tolvex = Spawn(words);
	ASSERT_GT(tolvex, 0);
	unsigned long main = probe.WaitForWindow("Tolvex 1.2a", 20000);
	ASSERT_NE(0ul, main);

	// The list, its second entry chosen; the options tabs.
	Click(main, 100, 88);
	Take("main-window-files", { main });
	Click(main, 197, 32);
	Take("main-window-encoder", { main });
	Click(main, 324, 32);
	Take("main-window-options", { main });

	// The About box, from the "?" menu.
	Click(main, 15, 8);
	ASSERT_TRUE(PressKey("Right Down Down Return"));
	unsigned long alert = probe.WaitForWindow("Tolvex");
	ASSERT_NE(0ul, alert);
	Take("about-box", { main, alert });
	ASSERT_TRUE(PressKey("Return"));
	ASSERT_TRUE(probe.WaitUntilGone("Tolvex"));

	// The run, held still while the progress window is taken.
	Click(main, 70, 32);
	WindowGeometry geometry;
	ASSERT_TRUE(probe.Geometry(main, &geometry));
	ASSERT_TRUE(ClickAt(geometry.x + 320, geometry.y + 262));
	pid_t encoder = 0;
	for (int i = 0; i < 5000 && encoder == 0; i++) {
		encoder = ChildOf(tolvex);
		if (encoder == 0)
			snooze(1000);
	}
	ASSERT_GT(encoder, 0);
	kill(encoder, SIGSTOP);
	unsigned long progress = probe.WaitForWindow("Stato della codifica");
	ASSERT_NE(0ul, progress);
	snooze(500000);
	Take("progress-window", { main, progress });
	kill(encoder, SIGCONT);
	ASSERT_TRUE(probe.WaitUntilGone("Stato della codifica", 60000));

	// An encoder that is not where the options say.
	Click(main, 324, 32);
	Click(main, 300, 65);
	ASSERT_TRUE(PressKey("ctrl+a"));
	ASSERT_TRUE(TypeText("/home/utente/Programmi/Codificatori MP3/"
		"gogo-2.39b/bin/Gogo"));
	Click(main, 70, 32);
	Click(main, 320, 262);
	alert = probe.WaitForWindow("Tolvex");
	ASSERT_NE(0ul, alert);
	Take("alert-encoder-missing", { main, alert });
	ASSERT_TRUE(PressKey("Return"));
	ASSERT_TRUE(probe.WaitUntilGone("Tolvex"));

	probe.SendDeleteWindow(main);
	int status = -1;
	waitpid(tolvex, &status, 0);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

	// An album of long names, each row showing its file name.
	const char* tracks[] = { "01 - La primavera, Allegro.wav",
		"02 - La primavera, Largo e pianissimo sempre.wav",
		"03 - La primavera, Danza pastorale.wav",
		"04 - L'estate, Allegro non molto.wav" };
	std::string album = std::string(home) + "/Musica/Orchestra da camera "
		"di Santa Cecilia";
	mkdir(album.c_str(), 0755);
	album += "/Le quattro stagioni (registrazione dal vivo, 1987)";
	mkdir(album.c_str(), 0755);
	list = "# Generated by Tolvex 1.2a\n";
	for (int i = 0; i < 4; i++) {
		std::string path = album + "/" + tracks[i];
		std::ofstream(path) << Wave(20, 220 * (i + 2));
		list += "0;" + path + "\n";
	}
	listPath = std::string(home) + "/Musica/Stagioni.tvx";
	std::ofstream(listPath) << list;
	setxattr(listPath.c_str(), "user.mime_type", type, strlen(type), 0);
	words.back() = listPath;
	tolvex = Spawn(words);
	ASSERT_GT(tolvex, 0);
	main = probe.WaitForWindow("Tolvex 1.2a", 20000);
	ASSERT_NE(0ul, main);
	Click(main, 100, 72);
	Take("main-window-long-paths", { main });
	probe.SendDeleteWindow(main);
	waitpid(tolvex, &status, 0);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	kill(manager, SIGTERM);
	waitpid(manager, NULL, 0);
}
