#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include <OS.h>

#include "TestSupport.h"

namespace {

// Processor time, user and system, of the children reaped so far.
double
ChildrenSeconds()
{
	struct rusage usage;
	getrusage(RUSAGE_CHILDREN, &usage);
	return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
		+ (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}


// Starts the program with the script, lets it wait for the given time
// after its first dump, then ends it with SIGTERM. The processor time it
// took.
double
SecondsUsed(const std::string& script, bigtime_t waitFor,
	RunResult* result)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	double before = ChildrenSeconds();
	int pid = runner.Start(script);
	bigtime_t deadline = system_time() + 30000000;
	while (!Contains(ReadFile(home.File("stdout.txt")), "window")
			&& system_time() < deadline)
		usleep(10000);
	usleep(waitFor);
	kill(pid, SIGTERM);
	*result = runner.Finish(30);
	return ChildrenSeconds() - before;
}

} // namespace


// A line that waits for a window or a text sleeps until the application
// does something: it does not keep a processor busy looking again and
// again (its own release of the windows' locks once woke it at once).
TEST(WaitTest, WaitingDoesNotKeepAProcessorBusy)
{
	const bigtime_t kWait = 3000000;
	RunResult result;
	double baseline = SecondsUsed("dump\n", 0, &result);
	ASSERT_EQ(0, result.status) << result.errors;

	const char* waits[] = {
		"dump\nwait-hidden \"Tolvex 1.2a\" 60\n",
		"dump\nwait-text EncodeButton Mai 60\n"
	};
	for (const char* script : waits) {
		double used = SecondsUsed(script, kWait, &result);
		// Ended by the signal while it waited: the normal way out.
		EXPECT_EQ(0, result.status) << script << result.errors;
		// Spinning takes a processor's whole share for the three seconds,
		// even on a busy machine far more than this.
		EXPECT_LT(used - baseline, 0.3) << script << " took " << used
			<< " s of processor time, a start alone " << baseline << " s";
	}
}
