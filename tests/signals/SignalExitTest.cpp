#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>

#include "TestSupport.h"

namespace {

// Under the address sanitizer the leak check at exit stops every thread,
// which is where an exit racing a signal once hung: that build gets the
// most runs.
#if defined(__SANITIZE_ADDRESS__)
const int kDefaultRuns = 50;
#else
const int kDefaultRuns = 15;
#endif
const int kShards = 4;
const char* kRunning = "runs on the headless display without a script";


// Sleeps until the given number of microseconds after start.
void
SleepUntil(const struct timespec& start, long microseconds)
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	long elapsed = (now.tv_sec - start.tv_sec) * 1000000L
		+ (now.tv_nsec - start.tv_nsec) / 1000;
	if (microseconds > elapsed)
		usleep(microseconds - elapsed);
}


// TOLVEX_SIGNAL_RUNS sets the runs of each shard, for a longer stress run
// outside the suite.
int
RunsPerShard()
{
	const char* runs = getenv("TOLVEX_SIGNAL_RUNS");
	return runs != NULL && atoi(runs) > 0 ? atoi(runs) : kDefaultRuns;
}


class SignalExitTest : public testing::TestWithParam<int> {
};

} // namespace


// SIGTERM twice at random moments of the first 300 ms: every run ends, and
// ends the normal way, whatever it was doing. The one exception is a
// signal that comes before the program has begun to take signals (while
// the system still loads it): the program then never ran, and the signal
// ends it as it ends any program. Odd shards start the program with the
// signals blocked, as a parent may: then nothing is an exception, since a
// signal that came early waits for the program.
TEST_P(SignalExitTest, TwoSigtermsInTheFirst300MsEndTheRunNormally)
{
	bool startBlocked = GetParam() % 2 == 1;
	int runs = RunsPerShard();
	std::mt19937 random(1000 + GetParam());
	std::uniform_int_distribution<long> moment(0, 300000);
	int normal = 0;
	int early = 0;
	for (int run = 0; run < runs; run++) {
		long first = moment(random);
		long second = moment(random);
		if (second < first)
			std::swap(first, second);
		// A fresh home each time: the first start registers the list type
		// and runs the desktop's database update, a child started in the
		// middle of it all.
		TemporaryHome home;
		TolvexRunner runner(home);
		struct timespec start;
		clock_gettime(CLOCK_MONOTONIC, &start);
		sigset_t quit;
		sigset_t previous;
		sigemptyset(&quit);
		sigaddset(&quit, SIGTERM);
		if (startBlocked)
			pthread_sigmask(SIG_BLOCK, &quit, &previous);
		// Without a script the program runs until a signal ends it, and
		// says so once it takes signals.
		int pid = runner.StartScriptAt(NULL);
		if (startBlocked)
			pthread_sigmask(SIG_SETMASK, &previous, NULL);
		SleepUntil(start, first);
		kill(pid, SIGTERM);
		SleepUntil(start, second);
		kill(pid, SIGTERM);
		RunResult result = runner.Finish(30);

		std::string where = "run " + std::to_string(run) + ", SIGTERM at "
			+ std::to_string(first / 1000) + " and "
			+ std::to_string(second / 1000) + " ms: ";
		ASSERT_FALSE(Contains(result.errors, "killed after"))
			<< where << "did not end" << result.errors;
		if (result.signal == SIGTERM && !startBlocked) {
			// Taken before the program could take it.
			EXPECT_FALSE(Contains(result.errors, kRunning))
				<< where << "ended by the signal while running";
			early++;
			continue;
		}
		EXPECT_EQ(0, result.signal) << where << result.errors;
		EXPECT_EQ(0, result.status) << where << result.errors;
		// Nothing but the notice, when it came that far.
		std::string errors = result.errors;
		size_t notice = errors.find(kRunning);
		if (notice != std::string::npos)
			errors.erase(0, errors.find('\n', notice) + 1);
		EXPECT_EQ("", errors) << where;
		normal++;
	}
	if (startBlocked) {
		EXPECT_EQ(runs, normal);
	}
	RecordProperty("normal_exits", normal);
	printf("shard %d: %d runs, %d ended normally, %d by the signal before "
		"taking it\n", GetParam(), runs, normal, early);
}


INSTANTIATE_TEST_SUITE_P(Shards, SignalExitTest, testing::Range(0, kShards));
