#ifndef _KITS_PRIVATE_LOOPER_STATE_H
#define _KITS_PRIVATE_LOOPER_STATE_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include <OS.h>

#include "private/app/Quiet.h"

class BHandler;
class BLooper;
class BMessage;

namespace BPrivate {

struct QueuedMessage {
	// NULL: a quit asked for from another thread, which waits its turn
	// behind what was posted before it.
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

	const int32					token;

	// The looper's lock: recursive, with owner and count.
	std::mutex					lockMutex;
	std::condition_variable		lockCondition;
	// Atomic so that the idle check may read it under other locks.
	std::atomic<thread_id>		owner{-1};
	int32						count = 0;
	bool						dead = false;

	// Guards everything below.
	std::mutex					queueMutex;
	std::condition_variable		queueCondition;
	// NULL once the looper has gone.
	BLooper*					looper;
	// The looper's handlers by token, so that a messenger finds its
	// target without walking the looper's own list.
	std::map<int32, BHandler*>	handlers;
	std::deque<QueuedMessage>	queue;
	bool						dispatching = false;
	// Set by the looper's own thread: end after the current message.
	bool						quitting = false;
	thread_id					thread = -1;
	bool						threadDone = false;
};

// Every looper by token.
std::shared_ptr<LooperState> FindLooperState(int32 token);
void RegisterLooperState(const std::shared_ptr<LooperState>& state);
void UnregisterLooperState(int32 token);
int32 NewHandlerToken();

// The handler of that token and its looper, read under the state's lock;
// both NULL once the looper has gone. A token of -1 names no handler.
BHandler* FindHandler(const std::shared_ptr<LooperState>& state,
	int32 handlerToken, BLooper** looper);

// Queue a message (taking it over); B_BAD_PORT_ID once the looper has
// gone or its loop has ended.
status_t PostToLooperState(const std::shared_ptr<LooperState>& state,
	BMessage* message, int32 handlerToken, bool preferred);
// Queue a quit behind what is queued already.
status_t PostQuitToLooperState(const std::shared_ptr<LooperState>& state);

// Lock a looper through its state; fails once the looper is dead.
status_t LockLooperState(const std::shared_ptr<LooperState>& state,
	bigtime_t timeout);
// notify false: for a holder whose release can never bring the
// application to rest (the script driver between two looks), so that it
// does not wake its own wait for activity.
void UnlockLooperState(const std::shared_ptr<LooperState>& state,
	bool notify = true);

// Every looper idle: its queue empty and nothing being handled, or its
// thread parked in an alert.
bool AllLoopersIdle();

// Threads blocked in a synchronous alert.
void EnterAlertWait();
// Called by whoever ends the wait, before it goes idle itself, so that the
// application never looks quiet between the press and the waiter's return.
void LeaveAlertWait(thread_id thread);
bool IsThreadParked(thread_id thread);

} // namespace BPrivate

#endif
