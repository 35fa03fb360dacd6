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
	std::atomic<bool> deleted(false);
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
