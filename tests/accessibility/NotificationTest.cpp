// The end of a run told to the desktop: a notification service of a few
// lines (notifications.py, beside this file) on a private session bus
// records every notification Tolvex sends.

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Errors.h>
#include <Notification.h>

#include "TestSupport.h"

namespace {

const char* kServer = TOLVEX_SOURCE_DIR "/tests/accessibility/notifications.py";

// A fake encoder at the default location: a path with "rotto" in it fails
// with a line on its error stream, "lento" waits to be killed, any other
// becomes an MP3.
const char* kEncoder = "#!/bin/sh\n"
	"for a; do last=$a; done\n"
	"case \"$last\" in\n"
	"*rotto*) echo 'Gogo: file rotto' >&2; exit 1;;\n"
	"*lento*) exec sleep 60;;\n"
	"esac\n"
	": > \"${last%.wav}.mp3\"\n";


class NotificationTest : public testing::Test {
protected:
	void SetUp() override
	{
		fHome.WriteFile(".local/bin/Gogo", kEncoder, true);
		for (const char* name : { "uno.wav", "due.wav", "rotto.wav",
				"lento.wav" })
			fHome.WriteFile(std::string("musica/") + name, "RIFF");
	}

	// Runs the script on a private session bus, with the service on it
	// when asked; the notifications it recorded, one a line.
	std::string Run(const std::string& script, bool withService = true)
	{
		std::string scriptPath = fHome.WriteFile("script", script);
		std::string record = fHome.File("record");
		std::string ready = fHome.File("ready");
		std::string inner;
		if (withService) {
			inner = "/usr/bin/python3 " + Quoted(kServer) + " "
				+ Quoted(record) + " " + Quoted(ready) + " & server=$!; "
				"i=0; while [ ! -e " + Quoted(ready) + " ] && [ $i -lt 600 ]; "
				"do sleep 0.1; i=$((i+1)); done; ";
		}
		inner += "BE_DISPLAY=headless BE_SCRIPT=" + Quoted(scriptPath) + " "
			+ Quoted(TolvexRunner(fHome).Executable()) + " >"
			+ Quoted(fHome.File("out")) + " 2>" + Quoted(fHome.File("err"))
			+ "; echo $? >" + Quoted(fHome.File("status"));
		if (withService)
			inner += "; kill $server";
		std::string command = "dbus-run-session -- sh -c " + Quoted(inner)
			+ " 2>/dev/null";
		EXPECT_EQ(0, system(command.c_str()));
		EXPECT_EQ("0\n", ReadFile(fHome.File("status")))
			<< ReadFile(fHome.File("err"));
		return ReadFile(record);
	}

	std::string Music(const std::string& name) const
	{
		return fHome.File("musica/" + name);
	}

	TemporaryHome fHome;
};

} // namespace


TEST_F(NotificationTest, AFinishedRunIsToldOnceWithItsCount)
{
	std::string record = Run("drop FilesList " + Music("uno.wav") + " "
		+ Music("due.wav") + "\nclick EncodeButton\n"
		"wait-hidden \"Stato della codifica\" 60\n");
	EXPECT_EQ("Tolvex|Tolvex|Codifica terminata: 2 file codificati.|1\n",
		record);
	EXPECT_EQ("", ReadFile(fHome.File("err")));
}


// The report's first line, as urgent; the alert still shows.
TEST_F(NotificationTest, FailuresAreToldByTheReportsFirstLine)
{
	std::string record = Run("drop FilesList " + Music("uno.wav") + " "
		+ Music("rotto.wav") + " " + Music("due.wav") + "\n"
		"click EncodeButton\nwait-hidden \"Stato della codifica\" 60\n"
		"alert 0\n");
	EXPECT_EQ("Tolvex|Tolvex|Codifica terminata: 1 file su 3 non è stato "
		"codificato.|2\n", record);
	EXPECT_TRUE(Contains(ReadFile(fHome.File("out")),
		"alert EncodeErrors: Codifica terminata: 1 file su 3"));
}


// The user who stopped the run knows it ended; a run after it that goes
// through is told once, alone.
TEST_F(NotificationTest, NoneAfterStoppingTheRun)
{
	std::string record = Run("drop FilesList " + Music("lento.wav") + " "
		+ Music("uno.wav") + "\nclick EncodeButton\nclick StopEncoding\n"
		"wait-hidden \"Stato della codifica\" 60\n"
		"select FilesList 0\nclick RemoveFiles\nclick EncodeButton\n"
		"wait-hidden \"Stato della codifica\" 60\n");
	EXPECT_EQ("Tolvex|Tolvex|Codifica terminata: 1 file codificati.|1\n",
		record);
}


// Without a notification service the run ends as ever, nothing said.
TEST_F(NotificationTest, NoServiceChangesNothing)
{
	std::string record = Run("drop FilesList " + Music("uno.wav")
		+ "\nclick EncodeButton\nwait-hidden \"Stato della codifica\" 60\n",
		false);
	EXPECT_EQ("", record);
	EXPECT_EQ("", ReadFile(fHome.File("err")));
	EXPECT_EQ(0, access(Music("uno.mp3").c_str(), F_OK));
}


// The window that sends a notification is never held up by the service:
// this one answers only once the caller has gone on (HOLD appears after
// Send returned), which a Send that waited could never see.
TEST(NotificationSendTest, SendReturnsBeforeTheServiceAnswers)
{
	TemporaryHome home;
	PrivateSessionBus bus;
	std::string record = home.File("record");
	std::string ready = home.File("ready");
	std::string hold = home.File("hold");
	ASSERT_TRUE(bus.StartService("/usr/bin/python3 " + Quoted(kServer) + " "
		+ Quoted(record) + " " + Quoted(ready) + " " + Quoted(hold), ready));

	BNotification notification(B_INFORMATION_NOTIFICATION);
	notification.SetTitle("Tolvex");
	notification.SetContent("Codifica terminata: 1 file codificati.");
	// A minute's timeout: a Send that waited would outlast the test.
	EXPECT_EQ(B_OK, notification.Send(60000000));
	// The call reached the service, which is still holding it.
	for (int i = 0; i < 600 && ReadFile(record).empty(); i++)
		usleep(100000);
	EXPECT_TRUE(Contains(ReadFile(record),
		"|Tolvex|Codifica terminata: 1 file codificati.|1\n"))
		<< ReadFile(record);
	home.WriteFile("hold", "");

	// No bus, no promise.
	unsetenv("DBUS_SESSION_BUS_ADDRESS");
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	std::string oldRuntime = runtime != NULL ? runtime : "";
	unsetenv("XDG_RUNTIME_DIR");
	EXPECT_EQ(B_ERROR, notification.Send());
	if (!oldRuntime.empty())
		setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
}
