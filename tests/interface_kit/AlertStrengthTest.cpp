#include <gtest/gtest.h>

#include <Alert.h>
#include <Button.h>

// As on BeOS, Enter presses an alert's last button: "Chiudi" in the About
// box, never the first one, which may act ("Apri sito").
TEST(AlertStrengthTest, TheLastButtonIsTheDefault)
{
	const char* labels[][3] = {
		{ "OK", NULL, NULL },
		{ "Apri sito", "Chiudi", NULL },
		{ "Uno", "Due", "Tre" },
	};
	for (int count = 1; count <= 3; count++) {
		SCOPED_TRACE(count);
		const char* const* label = labels[count - 1];
		BAlert* alert = new BAlert("Scelta", "Testo", label[0], label[1],
			label[2]);
		ASSERT_TRUE(alert->Lock());
		for (int32 i = 0; i < count; i++) {
			ASSERT_NE(alert->ButtonAt(i), nullptr);
			EXPECT_EQ(i == count - 1, alert->ButtonAt(i)->IsDefault()) << i;
		}
		alert->Quit();
	}
}
