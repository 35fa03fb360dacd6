#include "private/app/LooperState.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <set>

#include <Looper.h>
#include <Message.h>
#include "display/DisplayProtocol.h"
#include "private/app/HandlerPrivate.h"

namespace BPrivate {

namespace {

// Looper threads may still be finishing while the process exits, so what
// they touch is never destroyed.
struct Globals {
	std::mutex registryLock;
	std::map<int32, std::shared_ptr<LooperState> > loopers;
	std::atomic<int32> nextToken{1};

	// Threads parked in an alert, and threads waiting for a looper's lock.
	std::mutex parkLock;
	std::set<thread_id> inAlert;
	std::map<thread_id, std::weak_ptr<LooperState> > waitingForLock;
};

Globals&
G()
{
	static Globals* sGlobals = new Globals;
	return *sGlobals;
}


} // namespace


LooperState::LooperState(BLooper* target)
	:
	token(BHandler::Private(target).Token()),
	looper(target)
{
	handlers[token] = target;
}


std::shared_ptr<LooperState>
FindLooperState(int32 token)
{
	std::lock_guard<std::mutex> guard(G().registryLock);
	auto found = G().loopers.find(token);
	if (found == G().loopers.end())
		return std::shared_ptr<LooperState>();
	return found->second;
}


void
RegisterLooperState(const std::shared_ptr<LooperState>& state)
{
	std::lock_guard<std::mutex> guard(G().registryLock);
	G().loopers[state->token] = state;
}


void
UnregisterLooperState(int32 token)
{
	std::lock_guard<std::mutex> guard(G().registryLock);
	G().loopers.erase(token);
}


int32
NewHandlerToken()
{
	return G().nextToken++;
}


BHandler*
FindHandler(const std::shared_ptr<LooperState>& state, int32 handlerToken,
	BLooper** looper)
{
	BLooper* target = NULL;
	BHandler* handler = NULL;
	if (state) {
		std::lock_guard<std::mutex> lock(state->queueMutex);
		target = state->looper;
		auto found = state->handlers.find(handlerToken);
		if (target != NULL && handlerToken != -1
			&& found != state->handlers.end())
			handler = found->second;
	}
	if (looper != NULL)
		*looper = target;
	return handler;
}


static status_t
Queue(const std::shared_ptr<LooperState>& state, BMessage* message,
	int32 handlerToken, bool preferred)
{
	if (!state) {
		delete message;
		return B_BAD_PORT_ID;
	}
	{
		std::lock_guard<std::mutex> lock(state->queueMutex);
		if (state->looper == NULL || state->threadDone) {
			delete message;
			return B_BAD_PORT_ID;
		}
		// What a looper posts itself while it handles a message (a
		// control's message, after a click) is that message's own
		// consequence: it goes before user input queued behind it, as if
		// the user had waited for it. Else a click queued behind one on
		// "Aggiungi..." would come before the panel that click opens,
		// which must take it.
		auto at = state->queue.end();
		if (message != NULL && state->dispatching
			&& state->thread == find_thread(NULL)
			&& !IsUserInput(message->what)) {
			at = std::find_if(state->queue.begin(), state->queue.end(),
				[](const QueuedMessage& queued) {
					return queued.message == NULL
						|| IsUserInput(queued.message->what);
				});
			if (at != state->queue.end() && at->message == NULL)
				at = state->queue.end();
		}
		state->queue.insert(at, QueuedMessage{ message, handlerToken,
			preferred });
	}
	state->queueCondition.notify_all();
	NotifyActivity();
	return B_OK;
}


status_t
PostToLooperState(const std::shared_ptr<LooperState>& state,
	BMessage* message, int32 handlerToken, bool preferred)
{
	if (message == NULL)
		return B_BAD_VALUE;
	return Queue(state, message, handlerToken, preferred);
}


status_t
PostQuitToLooperState(const std::shared_ptr<LooperState>& state)
{
	return Queue(state, NULL, -1, false);
}


status_t
LockLooperState(const std::shared_ptr<LooperState>& state, bigtime_t timeout)
{
	if (!state)
		return B_BAD_VALUE;
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> lock(state->lockMutex);
	if (state->dead)
		return B_BAD_VALUE;
	if (state->owner == self) {
		state->count++;
		return B_OK;
	}
	if (state->owner != -1) {
		{
			std::lock_guard<std::mutex> guard(G().parkLock);
			G().waitingForLock[self] = state;
		}
		// Waiting for an owner that is parked parks this thread too.
		NotifyActivity();
		auto free = [&state] { return state->owner == -1 || state->dead; };
		bool gotIt = true;
		if (timeout == B_INFINITE_TIMEOUT)
			state->lockCondition.wait(lock, free);
		else {
			gotIt = state->lockCondition.wait_for(lock,
				std::chrono::microseconds(timeout < 0 ? 0 : timeout), free);
		}
		{
			std::lock_guard<std::mutex> guard(G().parkLock);
			G().waitingForLock.erase(self);
		}
		if (!gotIt)
			return B_TIMED_OUT;
		if (state->dead)
			return B_BAD_VALUE;
	}
	state->owner = self;
	state->count = 1;
	return B_OK;
}


void
UnlockLooperState(const std::shared_ptr<LooperState>& state, bool notify)
{
	bool freed = false;
	{
		std::lock_guard<std::mutex> lock(state->lockMutex);
		if (state->owner != find_thread(NULL) || state->count <= 0)
			return;
		if (--state->count == 0) {
			state->owner = -1;
			freed = true;
		}
	}
	if (freed) {
		state->lockCondition.notify_all();
		if (notify)
			NotifyActivity();
	}
}


static bool
IsParkedLocked(thread_id thread, int depth)
{
	if (thread < 0 || depth > 8)
		return false;
	if (G().inAlert.count(thread) != 0)
		return true;
	// A thread that waits for the lock of a looper whose owner is parked
	// in an alert is parked as well: nothing can move it on but the user.
	auto waiting = G().waitingForLock.find(thread);
	if (waiting == G().waitingForLock.end())
		return false;
	std::shared_ptr<LooperState> state = waiting->second.lock();
	if (!state)
		return false;
	return IsParkedLocked(state->owner.load(), depth + 1);
}


bool
IsThreadParked(thread_id thread)
{
	std::lock_guard<std::mutex> guard(G().parkLock);
	return IsParkedLocked(thread, 0);
}


void
EnterAlertWait()
{
	{
		std::lock_guard<std::mutex> guard(G().parkLock);
		G().inAlert.insert(find_thread(NULL));
	}
	NotifyActivity();
}


void
LeaveAlertWait(thread_id thread)
{
	{
		std::lock_guard<std::mutex> guard(G().parkLock);
		G().inAlert.erase(thread);
	}
	NotifyActivity();
}


bool
AllLoopersIdle()
{
	std::vector<std::shared_ptr<LooperState> > loopers;
	{
		std::lock_guard<std::mutex> guard(G().registryLock);
		for (auto& entry : G().loopers)
			loopers.push_back(entry.second);
	}
	for (auto& state : loopers) {
		bool busy;
		thread_id thread;
		{
			std::lock_guard<std::mutex> lock(state->queueMutex);
			busy = state->thread >= 0 && !state->threadDone
				&& (state->dispatching || !state->queue.empty()
					|| state->quitting);
			thread = state->thread;
		}
		if (busy && !IsThreadParked(thread))
			return false;
	}
	return true;
}

} // namespace BPrivate
