#include <gtest/gtest.h>

#include <atomic>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "TestSupport.h"

namespace {

class CountingHandler : public BHandler {
public:
	CountingHandler(const char* name) : BHandler(name), fCount(0) {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'PING')
			fCount++;
		else
			BHandler::MessageReceived(message);
	}

	std::atomic<int> fCount;
};


class CountingLooper : public BLooper {
public:
	CountingLooper() : BLooper("counting"), fCount(0) {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'PING')
			fCount++;
		else
			BLooper::MessageReceived(message);
	}

	std::atomic<int> fCount;
};

} // namespace


// A messenger names one handler: what it sends reaches that handler, not
// its looper; one made for a looper alone reaches the preferred handler,
// or the looper when there is none.
TEST(MessengerTest, MessagesReachTheHandlerTheMessengerNames)
{
	CountingLooper* looper = new CountingLooper();
	CountingHandler* handler = new CountingHandler("named");
	CountingHandler* preferred = new CountingHandler("preferred");
	looper->AddHandler(handler);
	looper->AddHandler(preferred);
	looper->Run();

	ASSERT_EQ(B_OK, BMessenger(handler).SendMessage('PING'));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, handler->fCount.load());
	EXPECT_EQ(0, looper->fCount.load());

	ASSERT_EQ(B_OK, BMessenger(NULL, looper).SendMessage('PING'));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, looper->fCount.load());

	ASSERT_TRUE(looper->Lock());
	looper->SetPreferredHandler(preferred);
	looper->Unlock();
	ASSERT_EQ(B_OK, BMessenger(NULL, looper).SendMessage('PING'));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, preferred->fCount.load());
	EXPECT_EQ(1, looper->fCount.load());
	EXPECT_EQ(1, handler->fCount.load());

	ASSERT_TRUE(looper->Lock());
	looper->RemoveHandler(handler);
	looper->RemoveHandler(preferred);
	looper->Quit();
	delete handler;
	delete preferred;
}
