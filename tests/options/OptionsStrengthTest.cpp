#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

// Users and the manual know the program options tab by these words: each
// control is shown with its label exactly as it is.
TEST(OptionsStrengthTest, EveryControlShowsItsItalianLabel)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	RunResult result = runner.Run("tab \"Opzioni del programma\"\ndump\n");
	ASSERT_EQ(0, result.status) << result.errors;
	const char* expected[] = {
		"BButton \"SetEncoderLocation\" label=\"Sfoglia...\"",
		"BTextControl \"EncoderLocation\" label=\"Posizione di Gogo:\"",
		"BCheckBox \"DontCloseOnAdd\" label=\"Non chiudere la finestra "
			"\\\"Aggiungi file\\\" quando si aggiunge un file\"",
		"BCheckBox \"DontClearOnOpen\" label=\"Non cancellare la lista "
			"attuale quando se ne apre un'altra\"",
		"BCheckBox \"SelfRegisterMIMEType\" label=\"Auto installa tipo MIME "
			"all'avvio\"",
		"BButton \"RegisterMIMETypeNow\" label=\"Installa tipo MIME ora\"",
		"BButton \"UnregisterMIMETypeNow\" label=\"Cancella tipo MIME ora\"",
	};
	for (const char* line : expected)
		EXPECT_TRUE(Contains(result.output, line)) << line << "\n"
			<< result.output;
}
