#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <Alert.h>
#include <Button.h>
#include <Messenger.h>

#include "TestSupport.h"
#include "display/DisplayProtocol.h"
#include "private/app/HandlerPrivate.h"

using BPrivate::B_INPUT_KEY;

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


// A key presses the button it is the shortcut of, wherever the focus is:
// Escape the lone button of an alert, the one given it with SetShortcut
// (the About box's "Chiudi"), and nothing where no button has it.
TEST(AlertStrengthTest, KeysPressTheButtonsTheyAreShortcutsFor)
{
	struct Case {
		const char*	labels[3];
		int32		shortcutIndex;
		char		shortcut;
		const char*	keys[2];	// the first must leave the alert waiting
		int32		pressed;
	} cases[] = {
		{ { "OK", NULL, NULL }, -1, 0, { NULL, "\x1b" }, 0 },
		{ { "Apri sito", "Chiudi", NULL }, 1, B_ESCAPE, { NULL, "\x1b" }, 1 },
		{ { "Annulla", "Sostituisci", NULL }, -1, 0, { "\x1b", "\n" }, 1 },
		{ { "Uno", "Due", "Tre" }, 0, 'u', { "x", "u" }, 0 },
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.labels[0]);
		BAlert* alert = new BAlert("Scelta", "Testo", test.labels[0],
			test.labels[1], test.labels[2]);
		if (test.shortcutIndex >= 0)
			alert->SetShortcut(test.shortcutIndex, test.shortcut);
		BMessenger messenger(alert);
		int32 buttonToken = BHandler::Private(alert->ButtonAt(0)).Token();
		std::atomic<int32> result(-2);
		std::thread waiter([&] { result = alert->Go(); });
		ASSERT_TRUE(WaitUntilQuiet());
		for (const char* key : test.keys) {
			if (key == NULL)
				continue;
			EXPECT_EQ(-2, result.load());
			BMessage input(B_INPUT_KEY);
			input.AddString("bytes", key);
			ASSERT_EQ(B_OK, messenger.SendMessage(&input));
			ASSERT_TRUE(WaitUntilQuiet());
		}
		bigtime_t deadline = system_time() + 5000000;
		while (result.load() == -2 && system_time() < deadline)
			snooze(10000);
		if (result.load() == -2) {
			// Not pressed: the first button ends the wait, so that the
			// failure does not hang.
			ADD_FAILURE() << "the key pressed no button";
			BMessage click(BPrivate::B_INPUT_CLICK);
			click.AddInt32("view", buttonToken);
			messenger.SendMessage(&click);
		}
		waiter.join();
		EXPECT_EQ(test.pressed, result.load());
	}
}
