#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>

class BHandler;
class BLooper;
class BMessage;

class BInvoker {
public:
								BInvoker();
								BInvoker(BMessage* message,
									const BHandler* handler,
									const BLooper* looper = NULL);
	virtual						~BInvoker();

	virtual	status_t			SetMessage(BMessage* message);
			BMessage*			Message() const { return fMessage; }
			uint32				Command() const;

	virtual	status_t			SetTarget(const BHandler* handler,
									const BLooper* looper = NULL);
	virtual	status_t			SetTarget(BMessenger messenger);
			bool				IsTargetLocal() const { return true; }
			BHandler*			Target(BLooper** looper = NULL) const;
			BMessenger			Messenger() const { return fMessenger; }

	virtual	status_t			Invoke(BMessage* message = NULL);

protected:
			// Sends a copy of the message, with "when" and "source" added,
			// to the target, or to fallback when no target was set; fails
			// with B_BAD_PORT_ID when the target has gone.
			status_t			_SendCopy(const BMessage* message,
									const BMessenger& fallback,
									const void* source);

private:
			BMessage*			fMessage;
			BMessenger			fMessenger;
};

#endif // _INVOKER_H
