#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"


// Whatever the last run chose, a new start shows "Default" twice, both
// check boxes off and both fields empty.
TEST(EncoderPanelScriptTest, StartsAtDefaultEveryTime)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult first = runner.Run("tab \"Opzioni di Gogo\"\n"
		"pick BitRateField \"320 kbps\"\nclick DeleteWave\n"
		"type ExtraParam -silent\n");
	ASSERT_EQ(0, first.status) << first.errors;

	RunResult result = runner.Run("tab \"Opzioni di Gogo\"\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_EQ("BMenuField \"BitRateField\" label=\"Bit rate:\" "
		"text=\"Default\" enabled=1 hidden=0 frame=(0,0,201,20) "
		"marked=\"Default\" items=16",
		DumpLine(result.output, "BMenuField \"BitRateField\""));
	EXPECT_TRUE(Contains(DumpLine(result.output,
		"BMenuField \"OutputModeField\""), "label=\"Modalità:\" "
		"text=\"Default\" enabled=1 hidden=0"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BCheckBox \"DisablePsycho\""),
		"label=\"Disabilita psico-acustica\" value=0 enabled=1"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BCheckBox \"DeleteWave\""),
		"label=\"Elimina file wave dopo la codifica\" value=0 enabled=1"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BButton \"OutputDirButton\""),
		"label=\"Sfoglia...\" enabled=1 hidden=0 frame=(334,"));
	EXPECT_TRUE(Contains(DumpLine(result.output, "BTextControl \"OutputDirText\""),
		"label=\"Cartella di destinazione:\" enabled=1 hidden=0 frame=(0,"));
	EXPECT_TRUE(Contains(result.output,
		"BTextControl \"ExtraParam\" label=\"Altri parametri:\""));
	EXPECT_FALSE(Contains(result.output, "BTextView \"_input_\" text=\"-"))
		<< result.output;
	EXPECT_TRUE(Contains(result.output, "BMenuItem \"320 kbps\" enabled=1\n"));
	EXPECT_TRUE(Contains(result.output,
		"BMenuItem \"Default\" enabled=1 marked=1"));
}


// Picking, clicking and typing, as a user does, shown back in the dump.
TEST(EncoderPanelScriptTest, ControlsTakeTheUsersInput)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	std::string tooLong(200, 'x');
	RunResult result = runner.Run("tab \"Opzioni di Gogo\"\n"
		"pick BitRateField \"320 kbps\"\n"
		"wait-text BitRateField \"320 kbps\" 5\n"
		"pick OutputModeField \"Joint stereo\"\n"
		"click DisablePsycho\nclick DeleteWave\nclick DeleteWave\n"
		"type OutputDirText \"/tmp/La mia musica\"\n"
		"type ExtraParam \"" + tooLong + "\"\n"
		"dump\n"
		"pick BitRateField Default\n"
		"dump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	EXPECT_TRUE(Contains(result.output, "BMenuField \"BitRateField\" "
		"label=\"Bit rate:\" text=\"320 kbps\""));
	EXPECT_TRUE(Contains(result.output, "marked=\"320 kbps\" items=16"));
	EXPECT_TRUE(Contains(result.output, "text=\"Joint stereo\""));
	EXPECT_TRUE(Contains(result.output, "BCheckBox \"DisablePsycho\" "
		"label=\"Disabilita psico-acustica\" value=1"));
	EXPECT_TRUE(Contains(result.output, "BCheckBox \"DeleteWave\" "
		"label=\"Elimina file wave dopo la codifica\" value=0"));
	EXPECT_TRUE(Contains(result.output,
		"BTextView \"_input_\" text=\"/tmp/La mia musica\""));
	// The field keeps its limit of 128 bytes whatever is typed.
	EXPECT_TRUE(Contains(result.output, "BTextView \"_input_\" text=\""
		+ std::string(128, 'x') + "\" enabled=1"));
	EXPECT_FALSE(Contains(result.output, std::string(129, 'x')));
	// "Default" again shows "Default".
	std::vector<std::string> lines = SplitLines(result.output);
	std::string last;
	for (const std::string& line : lines) {
		if (Contains(line, "BMenuField \"BitRateField\""))
			last = line;
	}
	EXPECT_TRUE(Contains(last, "text=\"Default\"")) << last;
}


// What a user could not do is an error of the script.
TEST(EncoderPanelScriptTest, ActionsAUserCannotPerform)
{
	struct Case {
		const char* script;
		const char* error;
	} cases[] = {
		// The tab is not in front.
		{ "pick BitRateField \"128 kbps\"\n",
			"script error 1: \"BitRateField\" is hidden" },
		{ "tab \"Opzioni di Gogo\"\npick BitRateField \"129 kbps\"\n",
			"script error 2: no item \"129 kbps\" in \"BitRateField\"" },
		{ "tab \"Opzioni di Gogo\"\npick BitRateField \"\"\n",
			"script error 2: no item \"\" in \"BitRateField\"" },
		{ "tab \"Opzioni di Gogo\"\npick DeleteWave Default\n",
			"script error 2: \"DeleteWave\" does not take this action" },
		{ "tab \"Opzioni di Gogo\"\ntype BitRateField x\n",
			"script error 2: \"BitRateField\" does not take this action" },
		{ "tab \"Opzioni di Gogo\"\nclick ExtraParam\n",
			"script error 2: \"ExtraParam\" does not take this action" },
		{ "tab \"Opzioni di Gogo\"\ntype ExtraParam\n",
			"script error 2: usage: type NAME TEXT" },
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.script);
		TemporaryHome home;
		TolvexRunner runner(home);
		RunResult result = runner.Run(test.script);
		EXPECT_EQ(3, result.status);
		EXPECT_TRUE(Contains(result.errors, test.error)) << result.errors;
	}
}
