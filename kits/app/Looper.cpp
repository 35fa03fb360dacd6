#include <Looper.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include <Message.h>

#include "private/LooperState.h"

using BPrivate::LooperState;

namespace {

thread_local BLooper* sCurrentLooper = NULL;

struct StartInfo {
	BLooper*				looper;
	std::shared_ptr<LooperState> state;
};

} // namespace


BLooper::BLooper(const char* name, int32, int32)
	:
	BHandler(name),
	fOwnsThread(true),
	fPreferred(NULL),
	fCurrentMessage(NULL)
{
	fState = std::make_shared<LooperState>(this);
	BPrivate::RegisterLooperState(fState);
	_SetLooper(this);
	fHandlers.push_back(this);
}


BLooper::~BLooper()
{
	{
		std::lock_guard<std::mutex> lock(fState->lockMutex);
		fState->dead = true;
	}
	fState->lockCondition.notify_all();
	BPrivate::UnregisterLooperState(fState->token);

	std::deque<BPrivate::QueuedMessage> pending;
	{
		std::lock_guard<std::mutex> lock(fState->queueMutex);
		pending.swap(fState->queue);
		fState->looper = NULL;
	}
	for (auto& queued : pending)
		delete queued.message;

	for (BHandler* handler : fHandlers) {
		if (handler != this)
			handler->_SetLooper(NULL);
	}
	_SetLooper(NULL);
	BPrivate::NotifyActivity();
}


void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this && message->what == B_QUIT_REQUESTED) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}


void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


BMessage*
BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}


BMessage*
BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = NULL;
	return message;
}


status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}


status_t
BLooper::PostMessage(BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	return _PostMessage(new BMessage(*message), _Token(), false);
}


status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}


status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler*)
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (handler != NULL && handler->Looper() != this)
		return B_MISMATCHED_VALUES;
	BMessage* copy = new BMessage(*message);
	if (handler == NULL)
		return _PostMessage(copy, -1, true);
	return _PostMessage(copy, handler->_Token(), false);
}


status_t
BLooper::_PostMessage(BMessage* message, int32 handlerToken, bool preferred)
{
	return BPrivate::PostToLooperState(fState, message, handlerToken,
		preferred);
}


void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->Looper() != NULL)
		return;
	fHandlers.push_back(handler);
	handler->_SetLooper(this);
}


bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this || handler->Looper() != this)
		return false;
	fHandlers.erase(std::remove(fHandlers.begin(), fHandlers.end(), handler),
		fHandlers.end());
	handler->_SetLooper(NULL);
	if (fPreferred == handler)
		fPreferred = NULL;
	return true;
}


int32
BLooper::CountHandlers() const
{
	return (int32)fHandlers.size();
}


BHandler*
BLooper::HandlerAt(int32 index) const
{
	if (index < 0 || index >= (int32)fHandlers.size())
		return NULL;
	return fHandlers[index];
}


BHandler*
BLooper::PreferredHandler() const
{
	return fPreferred;
}


void
BLooper::SetPreferredHandler(BHandler* handler)
{
	if (handler == NULL || handler->Looper() == this)
		fPreferred = handler;
}


static void*
LooperThreadEntry(void* data)
{
	StartInfo* info = (StartInfo*)data;
	BLooper* looper = info->looper;
	{
		std::lock_guard<std::mutex> lock(info->state->queueMutex);
		info->state->thread = find_thread(NULL);
	}
	info->state->queueCondition.notify_all();
	delete info;
	looper->_RunInThisThread();
	return NULL;
}


thread_id
BLooper::Run()
{
	{
		std::lock_guard<std::mutex> lock(fState->queueMutex);
		if (fState->thread >= 0)
			return B_ALREADY_RUNNING;
	}

	pthread_attr_t attributes;
	pthread_attr_init(&attributes);
	pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
	StartInfo* info = new StartInfo{ this, fState };
	pthread_t thread;
	if (pthread_create(&thread, &attributes, LooperThreadEntry, info) != 0) {
		pthread_attr_destroy(&attributes);
		delete info;
		return B_NO_MORE_THREADS;
	}
	pthread_attr_destroy(&attributes);

	std::unique_lock<std::mutex> lock(fState->queueMutex);
	fState->queueCondition.wait(lock, [this] { return fState->thread >= 0; });
	return fState->thread;
}


void
BLooper::_RunInThisThread()
{
	{
		std::lock_guard<std::mutex> lock(fState->queueMutex);
		fState->thread = find_thread(NULL);
	}
	sCurrentLooper = this;
	_Loop();
	sCurrentLooper = NULL;
}


void
BLooper::_Loop()
{
	std::shared_ptr<LooperState> state = fState;
	while (true) {
		BPrivate::QueuedMessage queued = { NULL, -1, false };
		bool quitting;
		{
			std::unique_lock<std::mutex> lock(state->queueMutex);
			state->queueCondition.wait(lock, [&state] {
				return !state->queue.empty() || state->quitting;
			});
			quitting = state->quitting;
			if (!quitting) {
				queued = state->queue.front();
				state->queue.pop_front();
				state->dispatching = true;
			}
		}

		if (BPrivate::LockLooperState(state, B_INFINITE_TIMEOUT) != B_OK)
			break;

		if (quitting) {
			_EndLoop();
			return;
		}

		fCurrentMessage = queued.message;
		BHandler* handler = _ResolveTarget(queued.handlerToken,
			queued.preferred);
		if (handler != NULL)
			DispatchMessage(fCurrentMessage, handler);
		delete fCurrentMessage;
		fCurrentMessage = NULL;

		bool quit;
		{
			std::lock_guard<std::mutex> lock(state->queueMutex);
			quit = state->quitting;
			state->dispatching = false;
		}
		if (quit) {
			_EndLoop();
			return;
		}
		BPrivate::UnlockLooperState(state);
		BPrivate::NotifyActivity();
	}
}


// Runs in the looper's thread with the lock held. A looper with a thread
// of its own deletes itself; an application's loop just returns to Run.
void
BLooper::_EndLoop()
{
	std::shared_ptr<LooperState> state = fState;
	if (fOwnsThread) {
		delete this;
		{
			std::lock_guard<std::mutex> lock(state->queueMutex);
			state->threadDone = true;
			state->dispatching = false;
		}
		state->queueCondition.notify_all();
		BPrivate::NotifyActivity();
		return;
	}
	{
		std::lock_guard<std::mutex> lock(state->queueMutex);
		state->dispatching = false;
		state->threadDone = true;
	}
	state->queueCondition.notify_all();
	// Drop the lock entirely: Run returns to a caller that holds none.
	while (state->owner.load() == find_thread(NULL))
		BPrivate::UnlockLooperState(state);
	BPrivate::NotifyActivity();
}


BHandler*
BLooper::_ResolveTarget(int32 token, bool preferred)
{
	if (preferred)
		return fPreferred != NULL ? fPreferred : this;
	for (BHandler* handler : fHandlers) {
		if (handler->_Token() == token)
			return handler;
	}
	return NULL;
}


void
BLooper::Quit()
{
	std::shared_ptr<LooperState> state = fState;
	thread_id self = find_thread(NULL);
	thread_id thread;
	{
		std::lock_guard<std::mutex> lock(state->queueMutex);
		thread = state->thread;
		if (thread < 0) {
			// Never ran: nothing to stop.
			state->quitting = true;
		}
	}
	if (thread < 0) {
		delete this;
		return;
	}

	if (thread == self) {
		// The loop ends once the current message has been handled.
		std::lock_guard<std::mutex> lock(state->queueMutex);
		state->quitting = true;
		return;
	}

	// Another thread: hand over the lock and wait for the looper's thread.
	int32 held = 0;
	while (state->owner.load() == self) {
		BPrivate::UnlockLooperState(state);
		held++;
	}
	(void)held;
	{
		std::lock_guard<std::mutex> lock(state->queueMutex);
		state->quitting = true;
	}
	state->queueCondition.notify_all();
	std::unique_lock<std::mutex> lock(state->queueMutex);
	state->queueCondition.wait(lock, [&state] { return state->threadDone; });
}


bool
BLooper::QuitRequested()
{
	return true;
}


void
BLooper::AssertLocked() const
{
#ifndef NDEBUG
	if (IsLocked() || Thread() < 0)
		return;
	fprintf(stderr, "looper \"%s\" used without its lock by thread %d\n",
		Name() != NULL ? Name() : "", (int)find_thread(NULL));
	abort();
#endif
}


bool
BLooper::Lock()
{
	return BPrivate::LockLooperState(fState, B_INFINITE_TIMEOUT) == B_OK;
}


void
BLooper::Unlock()
{
	BPrivate::UnlockLooperState(fState);
}


status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	return BPrivate::LockLooperState(fState, timeout);
}


bool
BLooper::IsLocked() const
{
	return fState->owner.load() == find_thread(NULL);
}


thread_id
BLooper::LockingThread() const
{
	return fState->owner.load();
}


int32
BLooper::CountLocks() const
{
	std::lock_guard<std::mutex> lock(fState->lockMutex);
	return fState->count;
}


thread_id
BLooper::Thread() const
{
	std::lock_guard<std::mutex> lock(fState->queueMutex);
	return fState->thread;
}


BLooper*
BLooper::LooperForThread(thread_id thread)
{
	if (thread == find_thread(NULL))
		return sCurrentLooper;
	return NULL;
}
