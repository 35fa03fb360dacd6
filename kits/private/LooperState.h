#ifndef _KITS_PRIVATE_LOOPER_STATE_H
#define _KITS_PRIVATE_LOOPER_STATE_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include <OS.h>

class BLooper;
class BMessage;

namespace BPrivate {

struct QueuedMessage {
	BMessage*	message;
	int32		handlerToken;
	bool		preferred;
};

// What outlives a looper: its lock and queue, shared with the messengers
// and lockers that reach it by token, so that a looper that has gone is
// seen as dead instead of as freed memory.
class LooperState {
public:
	explicit					LooperState(BLooper* looper);

	BLooper*					looper;
	int32						token;

	// The looper's lock: recursive, with owner and count.
	std::mutex					lockMutex;
	std::condition_variable		lockCondition;
	// Atomic so that the idle check may read it under other locks.
	std::atomic<thread_id>		owner{-1};
	int32						count = 0;
	bool						dead = false;

	// The message queue.
	std::mutex					queueMutex;
	std::condition_variable		queueCondition;
	std::deque<QueuedMessage>	queue;
	bool						dispatching = false;
	bool						quitting = false;
	thread_id					thread = -1;
	bool						threadDone = false;
};

// Every looper by token.
std::shared_ptr<LooperState> FindLooperState(int32 token);
void RegisterLooperState(const std::shared_ptr<LooperState>& state);
void UnregisterLooperState(int32 token);
int32 NewHandlerToken();

// Queue a message (taking it over); fails once the looper has gone.
status_t PostToLooperState(const std::shared_ptr<LooperState>& state,
	BMessage* message, int32 handlerToken, bool preferred);

// Lock a looper through its state; fails once the looper is dead.
status_t LockLooperState(const std::shared_ptr<LooperState>& state,
	bigtime_t timeout);
void UnlockLooperState(const std::shared_ptr<LooperState>& state);

// Quiet: every looper idle (its queue empty and nothing being handled, or
// its thread parked in an alert). Used by the script driver.
bool AllLoopersIdle();

// Threads blocked in a synchronous alert.
void EnterAlertWait();
// Called by whoever ends the wait, before it goes idle itself, so that the
// application never looks quiet between the press and the waiter's return.
void LeaveAlertWait(thread_id thread);
bool IsThreadParked(thread_id thread);

// Wakes whoever waits for the application to become quiet.
void NotifyActivity();
void WaitForActivity(bigtime_t timeout);
uint64 ActivityCount();

} // namespace BPrivate

#endif
