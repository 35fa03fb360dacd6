#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

// Names a handler in a looper by tokens, so that it is safe to hold after
// the target has gone: sending to a vanished target fails, it never
// touches freed memory.
class BMessenger {
public:
								BMessenger();
								BMessenger(const BHandler* handler,
									const BLooper* looper = NULL,
									status_t* result = NULL);
								BMessenger(const BMessenger& other);
								~BMessenger();

			BMessenger&			operator=(const BMessenger& other);
			bool				operator==(const BMessenger& other) const;
			bool				operator!=(const BMessenger& other) const
									{ return !(*this == other); }

			bool				IsTargetLocal() const { return true; }
			BHandler*			Target(BLooper** looper) const;
			bool				LockTarget() const;
			status_t			LockTargetWithTimeout(bigtime_t timeout) const;
			bool				IsValid() const;
			team_id				Team() const;

			status_t			SendMessage(uint32 command,
									BHandler* replyTo = NULL) const;
			status_t			SendMessage(BMessage* message,
									BHandler* replyTo = NULL,
									bigtime_t timeout = B_INFINITE_TIMEOUT)
									const;

			class Private;

private:
	friend class Private;

			int32				fLooperToken;
			int32				fHandlerToken;
};

#endif // _MESSENGER_H
