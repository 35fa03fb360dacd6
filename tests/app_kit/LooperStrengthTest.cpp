#include <gtest/gtest.h>

#include <thread>

#include <Looper.h>

// A nested lock is the outer lock's: giving it back leaves the looper
// locked by the same thread, and only the last unlock lets another in.
TEST(LooperStrengthTest, InnerUnlockKeepsTheOuterLock)
{
	BLooper* looper = new BLooper("nested");
	looper->Run();

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	looper->Unlock();
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_EQ(find_thread(NULL), looper->LockingThread());
	EXPECT_EQ(1, looper->CountLocks());

	status_t fromOther = B_OK;
	std::thread other([&] {
		fromOther = looper->LockWithTimeout(20000);
		if (fromOther == B_OK)
			looper->Unlock();
	});
	other.join();
	EXPECT_EQ(B_TIMED_OUT, fromOther);

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
