#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "TestSupport.h"

namespace {

// Records what it handles, and whether it held its own lock meanwhile.
class RecordingLooper : public BLooper {
public:
	RecordingLooper(std::atomic<bool>* deleted = NULL)
		: BLooper("recorder"), fDeleted(deleted) {}
	~RecordingLooper() { if (fDeleted != NULL) *fDeleted = true; }

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(fLock);
		int32 sender = -1, sequence = -1;
		message->FindInt32("sender", &sender);
		message->FindInt32("sequence", &sequence);
		fRecord.push_back(std::make_pair(sender, sequence));
		if (!IsLocked() || LockingThread() != Thread())
			fUnlockedHandling = true;
	}

	std::vector<std::pair<int32, int32> > Record()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fRecord;
	}

	std::atomic<bool>* fDeleted;
	std::mutex fLock;
	std::vector<std::pair<int32, int32> > fRecord;
	bool fUnlockedHandling = false;
};

} // namespace


TEST(LooperTest, LockIsRecursiveWithOwnerAndCount)
{
	BLooper* looper = new BLooper("locks");
	looper->Run();

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_EQ(2, looper->CountLocks());
	EXPECT_EQ(find_thread(NULL), looper->LockingThread());

	status_t fromOther = B_OK;
	bool otherSawLocked = true;
	std::thread other([&] {
		fromOther = looper->LockWithTimeout(20000);
		otherSawLocked = looper->IsLocked();
	});
	other.join();
	EXPECT_EQ(B_TIMED_OUT, fromOther);
	EXPECT_FALSE(otherSawLocked);

	looper->Unlock();
	EXPECT_EQ(1, looper->CountLocks());
	looper->Unlock();
	EXPECT_FALSE(looper->IsLocked());

	std::thread taker([&] {
		fromOther = looper->LockWithTimeout(1000000);
		if (fromOther == B_OK)
			looper->Unlock();
	});
	taker.join();
	EXPECT_EQ(B_OK, fromOther);

	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}


// Two threads post at once: every message is handled once, in its
// sender's order, with the looper locked by its own thread.
TEST(LooperTest, MessagesKeepTheirOrderUnderTwoThreads)
{
	RecordingLooper* looper = new RecordingLooper();
	looper->Run();
	const int32 kCount = 2000;
	auto post = [looper](int32 sender) {
		BMessenger messenger(looper);
		for (int32 i = 0; i < kCount; i++) {
			BMessage message('ORDR');
			message.AddInt32("sender", sender);
			message.AddInt32("sequence", i);
			if (sender == 0)
				looper->PostMessage(&message);
			else
				messenger.SendMessage(&message);
		}
	};
	std::thread first(post, 0);
	std::thread second(post, 1);
	first.join();
	second.join();
	ASSERT_TRUE(WaitUntilQuiet());

	std::vector<std::pair<int32, int32> > record = looper->Record();
	ASSERT_EQ((size_t)(2 * kCount), record.size());
	int32 next[2] = { 0, 0 };
	for (auto& entry : record) {
		ASSERT_TRUE(entry.first == 0 || entry.first == 1);
		EXPECT_EQ(next[entry.first], entry.second);
		next[entry.first] = entry.second + 1;
	}
	EXPECT_FALSE(looper->fUnlockedHandling);

	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}


// Quit from another thread waits for the looper's end; what still names
// it afterwards fails instead of touching freed memory.
TEST(LooperTest, QuitFromAnotherThreadEndsAndInvalidatesMessengers)
{
	std::atomic<bool> deleted(false);
	RecordingLooper* looper = new RecordingLooper(&deleted);
	looper->Run();
	BMessenger messenger(looper);
	EXPECT_TRUE(messenger.IsValid());

	ASSERT_TRUE(looper->Lock());
	looper->Quit();
	EXPECT_TRUE(deleted);
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_FALSE(messenger.LockTarget());
	EXPECT_NE(B_OK, messenger.SendMessage('LATE'));
}


TEST(LooperTest, QuitRequestedCanRefuse)
{
	class Stubborn : public BLooper {
	public:
		bool QuitRequested() override { return ++fAsked > 1; }
		std::atomic<int32> fAsked{0};
	};
	Stubborn* looper = new Stubborn();
	looper->Run();
	BMessenger messenger(looper);
	messenger.SendMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_TRUE(messenger.IsValid());
	messenger.SendMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_FALSE(messenger.IsValid());
}


namespace {

// Counts what it handles; a 'QUIT' message makes it quit from its own
// thread.
class CountingLooper : public BLooper {
public:
	CountingLooper(std::atomic<int32>* handled, std::atomic<bool>* deleted)
		: BLooper("counter"), fHandled(handled), fDeleted(deleted) {}
	~CountingLooper() { *fDeleted = true; }

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'QUIT') {
			Quit();
			return;
		}
		(*fHandled)++;
	}

	std::atomic<int32>* fHandled;
	std::atomic<bool>* fDeleted;
};

} // namespace


// A quit from another thread waits its turn in the queue: input or
// progress posted before it is not lost.
TEST(LooperTest, QuitFromAnotherThreadHandlesWhatWasPostedFirst)
{
	std::atomic<int32> handled(0);
	std::atomic<bool> deleted(false);
	CountingLooper* looper = new CountingLooper(&handled, &deleted);
	looper->Run();
	BMessenger messenger(looper);

	// Held, so that all of them are still queued when Quit comes.
	ASSERT_TRUE(looper->Lock());
	for (int32 i = 0; i < 100; i++)
		ASSERT_EQ(B_OK, messenger.SendMessage('WORK'));
	looper->Quit();
	EXPECT_TRUE(deleted);
	EXPECT_EQ(100, handled);
	EXPECT_EQ(B_BAD_PORT_ID, messenger.SendMessage('LATE'));
}


// From its own thread the looper ends after the message being handled:
// what follows is dropped.
TEST(LooperTest, QuitFromItsOwnThreadEndsAfterTheCurrentMessage)
{
	std::atomic<int32> handled(0);
	std::atomic<bool> deleted(false);
	CountingLooper* looper = new CountingLooper(&handled, &deleted);
	looper->Run();
	BMessenger messenger(looper);
	ASSERT_TRUE(looper->Lock());
	messenger.SendMessage('WORK');
	messenger.SendMessage('QUIT');
	messenger.SendMessage('WORK');
	looper->Unlock();
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_TRUE(deleted);
	EXPECT_EQ(1, handled);
}


// Target reads the looper's handlers under its lock while another thread
// quits the looper (ThreadSanitizer watches the two); afterwards the
// messenger finds nothing and sending fails as to a port that has gone.
TEST(LooperTest, TargetIsSafeWhileTheLooperQuits)
{
	for (int32 round = 0; round < 20; round++) {
		BLooper* looper = new BLooper("target");
		BHandler* handler = new BHandler("handler");
		looper->AddHandler(handler);
		looper->Run();
		BMessenger messenger(handler);
		BLooper* found = NULL;
		ASSERT_EQ(handler, messenger.Target(&found));
		ASSERT_EQ(looper, found);

		std::atomic<bool> go(false);
		std::atomic<int32> inconsistent(0);
		std::thread reader([&] {
			while (!go) {
			}
			for (int32 i = 0; i < 2000; i++) {
				BLooper* owner = NULL;
				BHandler* target = messenger.Target(&owner);
				// Both or neither: never a handler without its looper.
				if ((target == NULL) != (owner == NULL))
					inconsistent++;
			}
		});
		go = true;
		ASSERT_TRUE(looper->Lock());
		looper->Quit();
		reader.join();
		EXPECT_EQ(0, inconsistent);

		found = looper;
		EXPECT_EQ(nullptr, messenger.Target(&found));
		EXPECT_EQ(nullptr, found);
		EXPECT_EQ(B_BAD_PORT_ID, messenger.SendMessage('GONE'));
		EXPECT_FALSE(messenger.IsValid());
		delete handler;
	}
}


// A handler taken out of its looper is no target any more, though the
// looper lives on.
TEST(LooperTest, TargetForgetsARemovedHandler)
{
	BLooper* looper = new BLooper("removal");
	BHandler* handler = new BHandler("handler");
	looper->AddHandler(handler);
	looper->Run();
	BMessenger messenger(handler);
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->RemoveHandler(handler));
	looper->Unlock();
	BLooper* found = NULL;
	EXPECT_EQ(nullptr, messenger.Target(&found));
	EXPECT_EQ(looper, found);
	delete handler;
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}


// The handler list may be changed only under the lock, once the looper
// runs; before, its builder is the only thread that touches it.
TEST(LooperDeathTest, HandlerListNeedsTheLockOnceRunning)
{
#ifdef NDEBUG
	GTEST_SKIP() << "lock assertions are on in debug builds only";
#else
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	BLooper* looper = new BLooper("asserted");
	BHandler* early = new BHandler("early");
	looper->AddHandler(early);
	looper->Run();

	BHandler* late = new BHandler("late");
	EXPECT_DEATH(looper->AddHandler(late), "asserted.*without holding it");
	EXPECT_DEATH(looper->RemoveHandler(early),
		"asserted.*without holding it");
	ASSERT_TRUE(looper->Lock());
	looper->AddHandler(late);
	EXPECT_EQ(3, looper->CountHandlers());
	EXPECT_TRUE(looper->RemoveHandler(late));
	EXPECT_TRUE(looper->RemoveHandler(early));
	looper->Quit();
	delete early;
	delete late;
#endif
}
