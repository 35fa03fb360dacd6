#include <gtest/gtest.h>

#include <atomic>

#include <Invoker.h>
#include <Looper.h>
#include <Message.h>

#include "TestSupport.h"

namespace {

class CountingLooper : public BLooper {
public:
	CountingLooper() : BLooper("invoked") {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'INVK')
			fReceived++;
		else
			BLooper::MessageReceived(message);
	}

	std::atomic<int32> fReceived{0};
};


// An invoker as a control uses it: its window stands in for a target
// that was never set.
class ControlLikeInvoker : public BInvoker {
public:
	ControlLikeInvoker() : BInvoker(new BMessage('INVK'), NULL) {}

	status_t InvokeWithFallback(const BMessenger& fallback)
	{
		return _SendCopy(Message(), fallback, this);
	}
};

} // namespace


TEST(InvokerTest, FallbackOnlyWithoutATarget)
{
	CountingLooper* window = new CountingLooper();
	window->Run();
	BMessenger fallback(window);

	ControlLikeInvoker invoker;
	EXPECT_EQ(B_OK, invoker.InvokeWithFallback(fallback));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, window->fReceived);

	// A target that has gone is an error, not a reason to tell the window.
	CountingLooper* target = new CountingLooper();
	target->Run();
	ASSERT_EQ(B_OK, invoker.SetTarget(target));
	EXPECT_EQ(B_OK, invoker.InvokeWithFallback(fallback));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, target->fReceived);
	ASSERT_TRUE(target->Lock());
	target->Quit();
	EXPECT_EQ(B_BAD_PORT_ID, invoker.InvokeWithFallback(fallback));
	EXPECT_EQ(B_BAD_PORT_ID, invoker.Invoke());
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1, window->fReceived);

	// Cleared on purpose: no target again.
	ASSERT_EQ(B_OK, invoker.SetTarget(NULL, NULL));
	EXPECT_EQ(B_OK, invoker.InvokeWithFallback(fallback));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(2, window->fReceived);

	ASSERT_TRUE(window->Lock());
	window->Quit();
}
