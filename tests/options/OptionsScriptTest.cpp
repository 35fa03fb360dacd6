#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "TestSupport.h"

namespace {

const char* kOptionsTab = "tab \"Opzioni del programma\"\n";


// The line after the one that names the view: a text control's text view.
std::vector<std::string>
LinesAfter(const std::string& output, const std::string& part)
{
	std::vector<std::string> lines = SplitLines(output);
	std::vector<std::string> found;
	for (size_t i = 0; i + 1 < lines.size(); i++) {
		if (Contains(lines[i], part))
			found.push_back(lines[i + 1]);
	}
	return found;
}


std::vector<std::string>
LinesWith(const std::string& output, const std::string& part)
{
	std::vector<std::string> found;
	for (const std::string& line : SplitLines(output)) {
		if (Contains(line, part))
			found.push_back(line);
	}
	return found;
}


std::string
StoredLocation(const std::string& executable)
{
	BNode node(executable.c_str());
	attr_info info;
	if (node.GetAttrInfo("encoder_location", &info) != B_OK)
		return "<none>";
	std::string bytes(info.size, '\0');
	if (node.ReadAttr("encoder_location", B_STRING_TYPE, 0, &bytes[0],
			info.size) != (ssize_t)info.size)
		return "<unreadable>";
	// Stored with its NUL.
	if (bytes.empty() || bytes.back() != '\0')
		return "<not terminated>";
	bytes.pop_back();
	return bytes;
}


// A fake preferred application for plain text, which writes its arguments
// to the record file; whole, as the test reads it as soon as it is there.
bool
InstallFakeTextReader(const TemporaryHome& home, const std::string& record)
{
	std::string reader = home.WriteFile("bin/fake-reader",
		"#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + record
		+ ".part' && mv '" + record + ".part' '" + record + "'\n", true);
	entry_ref readerRef;
	if (get_ref_for_path(reader.c_str(), &readerRef) != B_OK)
		return false;
	BMimeType app("application/x-vnd.test-reader");
	if (app.SetAppHint(&readerRef) != B_OK || app.Install() != B_OK)
		return false;
	BMimeType text("text/plain");
	if (!text.IsInstalled() && text.Install() != B_OK)
		return false;
	return text.SetPreferredApp("application/x-vnd.test-reader") == B_OK;
}

} // namespace


// A first start shows the defaults; what the user types and clicks is
// what the next start of the real program shows.
TEST(OptionsScriptTest, ChangesSurviveAQuitAndANewStart)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult first = runner.Run(std::string(kOptionsTab) + "dump\n"
		"type EncoderLocation \"/opt/il mio gogo/Gogo\"\n"
		"click DontClearOnOpen\nclick DontCloseOnAdd\n"
		"click SelfRegisterMIMEType\nmenu Lista Esci\n");
	ASSERT_EQ(0, first.status) << first.errors;
	std::vector<std::string> texts = LinesAfter(first.output,
		"BTextControl \"EncoderLocation\" label=\"Posizione di Gogo:\"");
	ASSERT_EQ(1u, texts.size()) << first.output;
	EXPECT_TRUE(Contains(texts[0], "text=\"/boot/home/config/bin/Gogo\""))
		<< texts[0];
	EXPECT_TRUE(Contains(first.output, "BCheckBox \"DontCloseOnAdd\" "
		"label=\"Non chiudere la finestra \\\"Aggiungi file\\\" quando si "
		"aggiunge un file\" value=0"));
	EXPECT_TRUE(Contains(first.output, "BCheckBox \"DontClearOnOpen\" "
		"label=\"Non cancellare la lista attuale quando se ne apre "
		"un'altra\" value=0"));
	EXPECT_TRUE(Contains(first.output, "BCheckBox \"SelfRegisterMIMEType\" "
		"label=\"Auto installa tipo MIME all'avvio\" value=1"));

	RunResult second = runner.Run(std::string(kOptionsTab) + "dump\n"
		"click SelfRegisterMIMEType\n");
	ASSERT_EQ(0, second.status) << second.errors;
	texts = LinesAfter(second.output, "BTextControl \"EncoderLocation\"");
	ASSERT_EQ(1u, texts.size()) << second.output;
	EXPECT_TRUE(Contains(texts[0], "text=\"/opt/il mio gogo/Gogo\""))
		<< texts[0];
	EXPECT_EQ(1u, LinesWith(second.output,
		"BCheckBox \"DontClearOnOpen\" ").size());
	EXPECT_TRUE(Contains(LinesWith(second.output,
		"BCheckBox \"DontClearOnOpen\" ")[0], "value=1"));
	EXPECT_TRUE(Contains(LinesWith(second.output,
		"BCheckBox \"DontCloseOnAdd\" ")[0], "value=1"));
	EXPECT_TRUE(Contains(LinesWith(second.output,
		"BCheckBox \"SelfRegisterMIMEType\" ")[0], "value=0"));

	// Turned on again in the second run, quit by the end of the script.
	RunResult third = runner.Run(std::string(kOptionsTab) + "dump\n");
	ASSERT_EQ(0, third.status) << third.errors;
	EXPECT_TRUE(Contains(LinesWith(third.output,
		"BCheckBox \"SelfRegisterMIMEType\" ")[0], "value=1"));
	EXPECT_EQ("/opt/il mio gogo/Gogo", StoredLocation(runner.Executable()));
}


// The add-files panel reads "Non chiudere..." each time it is shown: on,
// it stays open after adding and offers "Chiudi"; off, it closes after
// adding and offers "Annulla". The click takes effect at once.
TEST(OptionsScriptTest, AddFilesPanelFollowsTheSwitchAtEachShowing)
{
	TemporaryHome home;
	std::string first = home.WriteFile("suoni/uno.wav", "RIFF");
	std::string second = home.WriteFile("suoni/due.wav", "RIFF");
	TolvexRunner runner(home);
	RunResult result = runner.Run(std::string(kOptionsTab)
		+ "click DontCloseOnAdd\ntab File\nclick AddFiles\n"
		"panel " + first + "\ndump\ncancel\n"
		+ kOptionsTab + "click DontCloseOnAdd\ntab File\nclick AddFiles\n"
		"panel " + second + "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> panels = LinesWith(result.output,
		"window \"Aggiungi file\"");
	ASSERT_EQ(2u, panels.size()) << result.output;
	EXPECT_TRUE(Contains(panels[0], "hidden=0")) << panels[0];
	EXPECT_TRUE(Contains(panels[1], "hidden=1")) << panels[1];
	std::vector<std::string> cancels = LinesWith(result.output,
		"BButton \"PanelCancel\"");
	// Every panel's cancel button is listed in each dump; the add-files
	// panel is the one whose label changes.
	int closeLabels = 0;
	for (const std::string& line : cancels) {
		if (Contains(line, "label=\"Chiudi\""))
			closeLabels++;
	}
	EXPECT_EQ(1, closeLabels) << result.output;
	// Both files joined the list.
	EXPECT_TRUE(Contains(result.output, "item 0 selected=0 \"" + first + "\""));
	EXPECT_TRUE(Contains(result.output, "item 1 selected=0 \"" + second
		+ "\""));
}


// "Non cancellare..." turned on counts for the very next list opened.
TEST(OptionsScriptTest, DontClearOnOpenTakesEffectAtOnce)
{
	TemporaryHome home;
	std::string wave = home.WriteFile("uno.wav", "RIFF");
	std::string other = home.WriteFile("due.wav", "RIFF");
	std::string list = home.WriteFile("lista.tvx", "0;" + other + "\n");
	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + wave + "\n"
		+ kOptionsTab + "click DontClearOnOpen\ntab File\n"
		"menu Lista Apri...\npanel " + list + "\ndump\n"
		+ kOptionsTab + "click DontClearOnOpen\ntab File\n"
		"menu Lista Apri...\npanel " + list + "\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> lists = LinesWith(result.output,
		"FilesList \"FilesList\"");
	ASSERT_EQ(2u, lists.size()) << result.output;
	EXPECT_TRUE(Contains(lists[0], "items=2")) << lists[0];
	EXPECT_TRUE(Contains(lists[1], "items=1")) << lists[1];
}


// Chosen in the panel, a link stays the link: its own path is the text
// and what is stored. Cancelling the panel changes nothing.
TEST(OptionsScriptTest, EncoderPanelKeepsALinksOwnPath)
{
	TemporaryHome home;
	std::string encoder = home.WriteFile("strumenti/Gogo", "#!/bin/sh\n",
		true);
	std::string link = home.File("strumenti/gogo-link");
	ASSERT_EQ(0, symlink(encoder.c_str(), link.c_str()));
	home.WriteFile("strumenti/cartella/.keep", "");

	TolvexRunner runner(home);
	RunResult result = runner.Run(std::string(kOptionsTab)
		+ "type EncoderLocation /scritto/a/mano\n"
		"click SetEncoderLocation\ncancel\ndump\n"
		"click SetEncoderLocation\npanel " + link + "\ndump\n"
		// A folder is opened, not chosen.
		"click SetEncoderLocation\npanel " + home.File("strumenti/cartella")
		+ "\ncancel\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(3u, LinesWith(result.output, "panel Posizione di Gogo").size())
		<< result.output;
	std::vector<std::string> texts = LinesAfter(result.output,
		"BTextControl \"EncoderLocation\"");
	ASSERT_EQ(3u, texts.size()) << result.output;
	EXPECT_TRUE(Contains(texts[0], "text=\"/scritto/a/mano\"")) << texts[0];
	EXPECT_TRUE(Contains(texts[1], "text=\"" + link + "\"")) << texts[1];
	EXPECT_TRUE(Contains(texts[2], "text=\"" + link + "\"")) << texts[2];
	EXPECT_EQ(link, StoredLocation(runner.Executable()));
	EXPECT_TRUE(Contains(result.output, "window \"Posizione di Gogo\""));
	EXPECT_TRUE(Contains(result.output, "label=\"Seleziona\""));
}


// The field takes 1024 bytes, the setting 1023 and its NUL: the copy is
// cut before a character that would not fit whole.
TEST(OptionsScriptTest, ALocationLongerThanTheSettingIsCutWhole)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	std::string text = "/" + std::string(1020, 'a') + "\xc3\xa8";
	ASSERT_EQ(1023u, text.size());
	std::string longer = text + "b";
	RunResult result = runner.Run(std::string(kOptionsTab)
		+ "type EncoderLocation \"" + longer + "\"\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(text, StoredLocation(runner.Executable()));

	std::string wide = "/" + std::string(1021, 'a') + "\xc3\xa8";
	ASSERT_EQ(1024u, wide.size());
	result = runner.Run(std::string(kOptionsTab)
		+ "type EncoderLocation \"" + wide + "\"\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("/" + std::string(1021, 'a'),
		StoredLocation(runner.Executable()));
}


// "Leggimi" opens the read-me beside the executable with the preferred
// application of its type, or says it is missing.
TEST(OptionsScriptTest, ReadmeFoundAndMissing)
{
	TemporaryHome home;
	std::string record = home.File("reader-args.txt");
	ASSERT_TRUE(InstallFakeTextReader(home, record));
	TolvexRunner runner(home);

	RunResult missing = runner.Run("menu ? Leggimi\nalert 0\n");
	ASSERT_EQ(0, missing.status) << missing.errors;
	EXPECT_TRUE(Contains(missing.output,
		"alert ReadmeDialog: File leggimi non trovato!")) << missing.output;
	EXPECT_NE(0, access(record.c_str(), F_OK));

	std::string readme = home.WriteFile("prefix/lib/tolvex/leggimi",
		"Tolvex\n");
	{
		BNode node(readme.c_str());
		BNodeInfo info(&node);
		ASSERT_EQ(B_OK, info.SetType("text/plain"));
	}
	RunResult found = runner.Run("menu ? Leggimi\n");
	ASSERT_EQ(0, found.status) << found.errors;
	EXPECT_FALSE(Contains(found.output, "ReadmeDialog")) << found.output;
	for (int i = 0; i < 100 && access(record.c_str(), F_OK) != 0; i++)
		usleep(50000);
	std::vector<std::string> arguments = SplitLines(ReadFile(record));
	ASSERT_EQ(1u, arguments.size()) << ReadFile(record);
	EXPECT_EQ(readme, arguments[0]);
}


// Each button acts anew at each press, with the alert that fits the
// type's state at that moment.
TEST(OptionsScriptTest, MimeButtonsPressedTwiceEach)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	// The type is installed silently at start (the switch is on).
	RunResult result = runner.Run(std::string(kOptionsTab)
		+ "click UnregisterMIMETypeNow\nalert 0\n"
		"click UnregisterMIMETypeNow\nalert 0\n"
		"click RegisterMIMETypeNow\nalert 0\n"
		"click RegisterMIMETypeNow\nalert 0\n");
	ASSERT_EQ(0, result.status) << result.errors;
	std::vector<std::string> alerts = LinesWith(result.output, "alert Mime");
	ASSERT_EQ(4u, alerts.size()) << result.output;
	EXPECT_EQ("alert MimeDeleted: Tipo MIME cancellato.", alerts[0]);
	EXPECT_EQ("alert MimeDeleted: Impossibile cancellare il tipo MIME; non "
		"è installato.", alerts[1]);
	EXPECT_EQ("alert MimeInstalled: Tipo MIME installato.", alerts[2]);
	EXPECT_EQ("alert MimeInstalled: Il tipo MIME è già installato.",
		alerts[3]);
	EXPECT_TRUE(BMimeType("text/x-Tolvex-list").IsInstalled());
}


// The location typed, and the one chosen in the panel, is what the next
// run launches. A link chosen stays the link: the run follows it to
// wherever it points when the run starts, also after a new start.
TEST(OptionsScriptTest, LocationTypedOrChosenIsWhatTheNextRunLaunches)
{
	TemporaryHome home;
	// Each encoder writes the path it was started from.
	std::string record = home.File("launched");
	std::string encoder = "#!/bin/sh\nprintf '%s\\n' \"$0\" >> '" + record
		+ "'\n";
	std::string first = home.WriteFile("strumenti/primo", encoder, true);
	std::string second = home.WriteFile("strumenti/secondo", encoder, true);
	std::string link = home.File("strumenti/gogo-link");
	ASSERT_EQ(0, symlink(first.c_str(), link.c_str()));
	std::string wave = home.WriteFile("musica/a.wav", "RIFF");
	const std::string encode = "click EncodeButton\n"
		"wait-hidden \"Stato della codifica\" 10\n";

	TolvexRunner runner(home);
	RunResult result = runner.Run("drop FilesList " + wave + "\n"
		+ kOptionsTab + "type EncoderLocation " + second + "\n" + encode
		+ "click SetEncoderLocation\npanel " + link + "\n" + encode);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(second + "\n" + first + "\n", ReadFile(record));
	EXPECT_EQ(link, StoredLocation(runner.Executable()));

	// Had the link been resolved when chosen, the first would run again.
	ASSERT_EQ(0, unlink(link.c_str()));
	ASSERT_EQ(0, symlink(second.c_str(), link.c_str()));
	result = runner.Run("drop FilesList " + wave + "\n" + encode);
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ(second + "\n" + first + "\n" + second + "\n", ReadFile(record));
	EXPECT_FALSE(Contains(result.output, "alert ")) << result.output;
}
