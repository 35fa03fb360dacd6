#include <gtest/gtest.h>

#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include <Alert.h>
#include <Button.h>
#include <MimeType.h>

#include "RunningApp.h"
#include "private/app/LooperState.h"

namespace {

// Runs an operation that shows an alert and waits for it; answers the
// alert as a user would and gives back its name and text.
std::pair<std::string, std::string>
AnswerAlert(RunningApp& running, std::function<void()> operation)
{
	std::atomic<thread_id> caller(-1);
	std::thread thread([&] {
		caller = find_thread(NULL);
		operation();
	});
	// Once the calling thread waits in the alert, the alert is built and
	// shown.
	std::pair<std::string, std::string> shown;
	bigtime_t deadline = system_time() + 10000000;
	while ((caller < 0 || !BPrivate::IsThreadParked(caller))
			&& system_time() < deadline)
		snooze(1000);
	BAlert* alert = running.ShowingAlert();
	EXPECT_NE(nullptr, alert);
	if (alert != NULL) {
		EXPECT_TRUE(WaitUntilQuiet());
		shown = std::make_pair(std::string(alert->Title()),
			std::string(alert->Text()));
		EXPECT_EQ(1, alert->CountButtons());
		EXPECT_STREQ("OK", alert->ButtonAt(0)->Label());
		EXPECT_EQ(B_INFO_ALERT, alert->AlertType());
		running.Press(alert, alert->ButtonAt(0));
	}
	thread.join();
	return shown;
}

} // namespace


TEST(MimeTypeTest, InstallAndDeleteTellTheirOutcome)
{
	RunningApp running;
	TolvexApp* app = running.App();
	// The start installed the type silently; begin without it.
	BMimeType type("text/x-Tolvex-list");
	ASSERT_TRUE(type.IsInstalled());
	auto unregister = [app] { app->UnregisterMIMEType(); };
	auto registerVerbose = [app] { app->RegisterMIMEType(true); };

	auto shown = AnswerAlert(running, unregister);
	EXPECT_EQ("MimeDeleted", shown.first);
	EXPECT_EQ("Tipo MIME cancellato.", shown.second);
	EXPECT_FALSE(BMimeType("text/x-Tolvex-list").IsInstalled());

	shown = AnswerAlert(running, unregister);
	EXPECT_EQ("MimeDeleted", shown.first);
	EXPECT_EQ("Impossibile cancellare il tipo MIME; non è installato.",
		shown.second);

	shown = AnswerAlert(running, registerVerbose);
	EXPECT_EQ("MimeInstalled", shown.first);
	EXPECT_EQ("Tipo MIME installato.", shown.second);

	shown = AnswerAlert(running, registerVerbose);
	EXPECT_EQ("MimeInstalled", shown.first);
	EXPECT_EQ("Il tipo MIME è già installato.", shown.second);

	// What the type was given.
	BMimeType installed("text/x-Tolvex-list");
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(B_OK, installed.GetShortDescription(text));
	EXPECT_STREQ("Tolvex list", text);
	ASSERT_EQ(B_OK, installed.GetLongDescription(text));
	EXPECT_STREQ("Tolvex list", text);
	ASSERT_EQ(B_OK, installed.GetPreferredApp(text, B_OPEN));
	EXPECT_STREQ("application/x-vnd.Tolvex", text);
	BMessage extensions;
	ASSERT_EQ(B_OK, installed.GetFileExtensions(&extensions));
	type_code code;
	int32 count = 0;
	ASSERT_EQ(B_OK, extensions.GetInfo("extensions", &code, &count));
	EXPECT_EQ(1, count);
	const char* extension;
	ASSERT_EQ(B_OK, extensions.FindString("extensions", &extension));
	EXPECT_STREQ("tvx", extension);
}


// A type that is installed already belongs to the user: it is never
// changed, and the silent start-up registration says nothing about it.
TEST(MimeTypeTest, AnInstalledTypeIsLeftAlone)
{
	RunningApp running;
	BMimeType type("text/x-Tolvex-list");
	ASSERT_TRUE(type.IsInstalled());
	ASSERT_EQ(B_OK, type.SetShortDescription("Le mie liste"));
	ASSERT_EQ(B_OK, type.SetPreferredApp("application/x-vnd.altro", B_OPEN));

	running.App()->RegisterMIMEType(false);
	EXPECT_EQ(nullptr, running.ShowingAlert());
	BMimeType again("text/x-Tolvex-list");
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(B_OK, again.GetShortDescription(text));
	EXPECT_STREQ("Le mie liste", text);
	ASSERT_EQ(B_OK, again.GetPreferredApp(text, B_OPEN));
	EXPECT_STREQ("application/x-vnd.altro", text);
}


// Installing includes the desktop's database: where it cannot be written
// the user hears of it, and the type is not taken for installed, so the
// next registration writes both. A damaged entry in the type's place is
// no type: it is replaced, not reported as installed.
TEST(MimeTypeTest, FailuresAndDamageAreToldNotHidden)
{
	RunningApp running;
	TolvexApp* app = running.App();
	auto unregister = [app] { app->UnregisterMIMEType(); };
	auto registerVerbose = [app] { app->RegisterMIMEType(true); };
	ASSERT_EQ("Tipo MIME cancellato.",
		AnswerAlert(running, unregister).second);

	std::string mime = running.fHome.File(".local/share/mime");
	std::string moved = running.fHome.File(".local/share/mime-moved");
	ASSERT_EQ(0, rename(mime.c_str(), moved.c_str()));
	running.fHome.WriteFile(".local/share/mime", "not a folder");
	EXPECT_EQ("Errore durante l'installazione del tipo MIME.",
		AnswerAlert(running, registerVerbose).second);
	EXPECT_FALSE(BMimeType("text/x-Tolvex-list").IsInstalled());
	ASSERT_EQ(0, unlink(mime.c_str()));
	ASSERT_EQ(0, rename(moved.c_str(), mime.c_str()));
	EXPECT_EQ("Tipo MIME installato.",
		AnswerAlert(running, registerVerbose).second);
	EXPECT_NE(std::string::npos, ReadFile(running.fHome.File(
		".local/share/mime/packages/beos-text@x-tolvex-list.xml"))
		.find("*.tvx"));

	// An entry left without its attributes.
	std::string entry = running.fHome.File(
		".local/share/beos_mime/text/x-tolvex-list");
	ASSERT_EQ(0, unlink(entry.c_str()));
	running.fHome.WriteFile(".local/share/beos_mime/text/x-tolvex-list", "");
	EXPECT_EQ("Impossibile cancellare il tipo MIME; non è installato.",
		AnswerAlert(running, unregister).second);
	EXPECT_EQ("Tipo MIME installato.",
		AnswerAlert(running, registerVerbose).second);
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(B_OK, BMimeType("text/x-Tolvex-list").GetShortDescription(text));
	EXPECT_STREQ("Tolvex list", text);
}
