#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include <Entry.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>

#include "TestSupport.h"
#include "private/app/LooperState.h"
#include "private/app/LooperPrivate.h"
#include "private/app/Quiet.h"

using BPrivate::ActivityCount;
using BPrivate::NotifyActivity;
using BPrivate::WaitForActivity;
using BPrivate::WaitForQuiet;

namespace {

const bigtime_t kPatience = 10000000;


// Runs a wait that has no deadline of its own in a thread; true when it
// returned within the test's patience. A wait that hangs is released
// through cancel so that the thread can be joined.
bool
ReturnsInTime(std::function<bool()> wait, std::atomic<bool>* cancel,
	bool* result)
{
	std::promise<bool> done;
	std::future<bool> finished = done.get_future();
	std::thread waiter([&] { done.set_value(wait()); });
	bool inTime = finished.wait_for(std::chrono::microseconds(kPatience))
		== std::future_status::ready;
	if (!inTime) {
		*cancel = true;
		NotifyActivity();
	}
	waiter.join();
	*result = finished.get();
	return inTime;
}


// A source for the waits below; what makes it busy is given as a
// function. Tells, once, when it was first asked, so that the test acts
// only after the waiter has looked and found the application busy.
struct Source {
	std::function<bool()>	busy;
	std::promise<void>		asked;
	std::once_flag			once;

	static bool IsBusy(void* data)
	{
		Source* source = (Source*)data;
		bool busy = source->busy();
		std::call_once(source->once, [source] { source->asked.set_value(); });
		return busy;
	}
};


class FlagLooper : public BLooper {
public:
	FlagLooper() : BLooper("flag") {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'DONE')
			fDone = true;
		else
			BLooper::MessageReceived(message);
	}

	std::atomic<bool> fDone{false};
};

} // namespace


// A waiter with no deadline wakes for a message that another thread
// posts, and a quiet wait ends once that message has been handled.
TEST(QuietTest, WaiterWakesForAMessagePostedFromAnotherThread)
{
	FlagLooper* looper = new FlagLooper();
	looper->Run();
	BMessenger messenger(looper);
	ASSERT_TRUE(WaitUntilQuiet());

	// Not run: only the post itself can wake the waiter.
	BLooper* idle = new BLooper("idle");
	uint64 seen = ActivityCount();
	std::atomic<bool> cancel(false);
	bool woke = false;
	std::thread poster;
	EXPECT_TRUE(ReturnsInTime([&] {
			poster = std::thread([idle] { idle->PostMessage('POST'); });
			return WaitForActivity(seen, B_INFINITE_TIMEOUT);
		}, &cancel, &woke));
	poster.join();
	EXPECT_TRUE(woke);
	idle->Quit();

	Source done;
	done.busy = [looper] { return !looper->fDone; };
	std::future<void> asked = done.asked.get_future();
	BPrivate::AddQuietSource(Source::IsBusy, &done);
	bool quiet = false;
	EXPECT_TRUE(ReturnsInTime([&] {
			poster = std::thread([messenger, &asked] {
				asked.wait();
				messenger.SendMessage('DONE');
			});
			return WaitForQuiet(B_INFINITE_TIMEOUT, &cancel);
		}, &cancel, &quiet));
	poster.join();
	EXPECT_TRUE(quiet);
	EXPECT_TRUE(looper->fDone);
	BPrivate::RemoveQuietSource(Source::IsBusy, &done);
	EXPECT_TRUE(BPrivate::IsQuiet());

	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}


// Nobody watches the roster, so nothing is posted when the child ends:
// reaping it is what wakes the waiter.
TEST(QuietTest, WaiterWakesForAChildsExit)
{
	entry_ref sleep;
	ASSERT_EQ(B_OK, get_ref_for_path("/bin/sleep", &sleep));
	const char* words[] = { "60" };
	team_id team = -1;
	ASSERT_EQ(B_OK, be_roster->Launch(&sleep, 1, words, &team));
	// A child that runs does not keep the application from being quiet.
	ASSERT_TRUE(WaitUntilQuiet());

	// Busy while the child exists, a zombie included.
	Source child;
	child.busy = [team] { return kill(team, 0) == 0; };
	std::future<void> asked = child.asked.get_future();
	BPrivate::AddQuietSource(Source::IsBusy, &child);
	std::atomic<bool> cancel(false);
	bool quiet = false;
	std::thread killer;
	EXPECT_TRUE(ReturnsInTime([&] {
			killer = std::thread([team, &asked] {
				asked.wait();
				EXPECT_EQ(B_OK, kill_team(team));
			});
			return WaitForQuiet(B_INFINITE_TIMEOUT, &cancel);
		}, &cancel, &quiet));
	killer.join();
	BPrivate::RemoveQuietSource(Source::IsBusy, &child);
	EXPECT_TRUE(quiet);
	EXPECT_NE(0, kill(team, 0)) << "reaped";
}


TEST(QuietTest, DeadlineAndCancelEndTheWait)
{
	Source never;
	never.busy = [] { return true; };
	BPrivate::AddQuietSource(Source::IsBusy, &never);
	bigtime_t start = system_time();
	EXPECT_FALSE(WaitForQuiet(start + 50000, NULL));
	EXPECT_GE(system_time(), start + 50000);
	EXPECT_FALSE(WaitForActivity(ActivityCount(), system_time() + 20000));

	std::atomic<bool> cancel(false);
	bool quiet = true;
	std::atomic<bool> stuck(false);
	EXPECT_TRUE(ReturnsInTime([&] {
			std::thread canceller([&cancel] {
				snooze(20000);
				cancel = true;
				NotifyActivity();
			});
			bool result = WaitForQuiet(B_INFINITE_TIMEOUT, &cancel);
			canceller.join();
			return result;
		}, &stuck, &quiet));
	EXPECT_FALSE(quiet);
	BPrivate::RemoveQuietSource(Source::IsBusy, &never);
	EXPECT_TRUE(WaitForQuiet(system_time() + kPatience, &stuck));
}


namespace {

const uint32 kChain = 'CHAN';

// Passes chains of messages back and forth with its partner; one link in
// a few launches /bin/true from the handler, as the application launches
// the encoder. "outstanding" counts every message posted and not yet
// handled to its end.
class ChainLooper : public BLooper {
public:
	ChainLooper(std::atomic<int32>* outstanding, std::atomic<int32>* launches)
		: BLooper("chain"), fOutstanding(outstanding), fLaunches(launches) {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kChain) {
			BLooper::MessageReceived(message);
			return;
		}
		int32 left = 0;
		message->FindInt32("left", &left);
		if (left % 7 == 3) {
			entry_ref ref;
			if (get_ref_for_path("/bin/true", &ref) == B_OK
				&& be_roster->Launch(&ref, 0, NULL) == B_OK)
				(*fLaunches)++;
		}
		if (left > 0) {
			BMessage next(kChain);
			next.AddInt32("left", left - 1);
			(*fOutstanding)++;
			if (fPartner.SendMessage(&next) != B_OK)
				(*fOutstanding)--;
		}
		(*fOutstanding)--;
	}

	BMessenger fPartner;
	std::atomic<int32>* fOutstanding;
	std::atomic<int32>* fLaunches;
};


class NoticeCounter : public BLooper {
public:
	NoticeCounter() : BLooper("notices") {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == B_SOME_APP_QUIT)
			fNotices++;
		else
			BLooper::MessageReceived(message);
	}

	std::atomic<int32> fNotices{0};
};


bool
LooperIsIdle(BLooper* looper)
{
	std::shared_ptr<BPrivate::LooperState> state = BLooper::Private(looper).State();
	std::lock_guard<std::mutex> lock(state->queueMutex);
	return state->queue.empty() && !state->dispatching;
}

} // namespace


// Quiet is never reported while a message is still queued or being
// handled, whatever mix of chains between two loopers and launches of
// short-lived children runs meanwhile.
TEST(QuietTest, NeverQuietWhileAMessageIsQueuedOrHandled)
{
	std::atomic<int32> outstanding(0);
	std::atomic<int32> launches(0);
	ChainLooper* ping = new ChainLooper(&outstanding, &launches);
	ChainLooper* pong = new ChainLooper(&outstanding, &launches);
	ping->fPartner = BMessenger(pong);
	pong->fPartner = BMessenger(ping);
	ping->Run();
	pong->Run();
	NoticeCounter* notices = new NoticeCounter();
	notices->Run();
	ASSERT_EQ(B_OK, be_roster->StartWatching(BMessenger(notices),
		B_REQUEST_QUIT));

	for (int32 round = 0; round < 150; round++) {
		for (int32 chain = 0; chain < 3; chain++) {
			BMessage start(kChain);
			start.AddInt32("left", 5 + (round + chain * 3) % 17);
			outstanding++;
			ASSERT_EQ(B_OK, BMessenger(chain == 1 ? pong : ping)
				.SendMessage(&start));
		}
		ASSERT_TRUE(WaitForQuiet(system_time() + kPatience, NULL));
		ASSERT_EQ(0, outstanding) << "round " << round;
		ASSERT_TRUE(LooperIsIdle(ping)) << "round " << round;
		ASSERT_TRUE(LooperIsIdle(pong)) << "round " << round;
	}

	// Every child ends; each end is reported once.
	EXPECT_GT(launches, 0);
	bigtime_t deadline = system_time() + kPatience;
	while (true) {
		uint64 seen = ActivityCount();
		if (notices->fNotices >= launches
			|| !WaitForActivity(seen, deadline))
			break;
	}
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(launches, notices->fNotices);

	be_roster->StopWatching(BMessenger(notices));
	for (BLooper* looper : { (BLooper*)ping, (BLooper*)pong,
			(BLooper*)notices }) {
		ASSERT_TRUE(looper->Lock());
		looper->Quit();
	}
}
