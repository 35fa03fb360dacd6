#ifndef _LOOPER_H
#define _LOOPER_H

#include <memory>
#include <vector>

#include <Handler.h>
#include <Message.h>
#include <OS.h>

class BMessage;
class BMessenger;

namespace BPrivate {
class LooperState;
}

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

// A message loop in a thread of its own, with a recursive lock (owner
// thread and count) that guards its handlers.
class BLooper : public BHandler {
public:
								BLooper(const char* name = NULL,
									int32 priority = B_NORMAL_PRIORITY,
									int32 portCapacity
										= B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual						~BLooper();

	virtual	void				DispatchMessage(BMessage* message,
									BHandler* handler);
	virtual	void				MessageReceived(BMessage* message);

			BMessage*			CurrentMessage() const;
			BMessage*			DetachCurrentMessage();

			status_t			PostMessage(uint32 command);
			status_t			PostMessage(BMessage* message);
			status_t			PostMessage(uint32 command, BHandler* handler,
									BHandler* replyTo = NULL);
			status_t			PostMessage(BMessage* message,
									BHandler* handler,
									BHandler* replyTo = NULL);

			void				AddHandler(BHandler* handler);
			bool				RemoveHandler(BHandler* handler);
			int32				CountHandlers() const;
			BHandler*			HandlerAt(int32 index) const;
			BHandler*			PreferredHandler() const;
			void				SetPreferredHandler(BHandler* handler);

	virtual	thread_id			Run();
	// From the looper's own thread the looper ends once the message being
	// handled returns; from another thread (which holds the lock) Quit
	// waits until the looper's thread has ended. Either way the looper is
	// deleted.
	virtual	void				Quit();
	virtual	bool				QuitRequested();

			bool				Lock();
			void				Unlock();
			status_t			LockWithTimeout(bigtime_t timeout);
			bool				IsLocked() const;
			thread_id			LockingThread() const;
			int32				CountLocks() const;
			thread_id			Thread() const;

	static	BLooper*			LooperForThread(thread_id thread);

			// Kits-internal.
			std::shared_ptr<BPrivate::LooperState> _State() const
									{ return fState; }
			status_t			_PostMessage(BMessage* message,
									int32 handlerToken, bool preferred);
			void				_RunInThisThread();

protected:
			// False for a BApplication, whose loop runs in the caller of
			// Run and which its creator deletes.
			bool				fOwnsThread;

private:
	friend class BView;
	friend class BWindow;

			// Debug builds stop here when the caller does not hold the
			// lock of a looper whose thread runs.
			void				AssertLocked() const;

			void				_Loop();
			void				_EndLoop();
			BHandler*			_ResolveTarget(int32 token, bool preferred);

			std::shared_ptr<BPrivate::LooperState> fState;
			BHandler*			fPreferred;
			BMessage*			fCurrentMessage;
			std::vector<BHandler*> fHandlers;
};

#endif // _LOOPER_H
