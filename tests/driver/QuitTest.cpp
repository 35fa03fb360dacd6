#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <OS.h>

#include "TestSupport.h"

// Every way out quits the program once, normally, with status 0.
TEST(QuitTest, CloseBoxMenuAndButtonEachQuitWithStatusZero)
{
	const char* scripts[] = {
		"close \"Tolvex 1.2a\"\n",
		"menu Lista Esci\n",
		"click CloseButton\n",
		"# the end of the script asks the program to quit\n"
	};
	for (const char* script : scripts) {
		TemporaryHome home;
		TolvexRunner runner(home);
		RunResult result = runner.Run(script, {}, 30);
		EXPECT_EQ(0, result.status) << script << result.errors;
		EXPECT_EQ("", result.errors) << script;
	}
}


TEST(QuitTest, SignalsQuitTheNormalWay)
{
	for (int signal : { SIGTERM, SIGINT, SIGHUP }) {
		TemporaryHome home;
		TolvexRunner runner(home);
		// The script waits for as long as the window shows, so only the
		// signal can end the program.
		int pid = runner.Start("dump\nwait-hidden \"Tolvex 1.2a\" 60\n");
		bigtime_t deadline = system_time() + 20000000;
		while (!Contains(ReadFile(home.File("stdout.txt")), "window")
				&& system_time() < deadline)
			usleep(10000);
		ASSERT_EQ(0, kill(pid, signal));
		RunResult result = runner.Finish(20);
		EXPECT_EQ(0, result.status) << "signal " << signal << result.errors;
		EXPECT_EQ("", result.errors) << "signal " << signal;
	}
}
