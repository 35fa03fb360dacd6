#ifndef _KITS_PRIVATE_APP_LOOPER_PRIVATE_H
#define _KITS_PRIVATE_APP_LOOPER_PRIVATE_H

#include <memory>

#include <Looper.h>

#include "private/app/LooperState.h"

// What the kits do with a looper beyond its public API.
class BLooper::Private {
public:
								Private(BLooper* looper)
									: fLooper(looper) {}

			// Queues a message (taking it over) for the handler of that
			// token, or for the preferred handler.
			status_t			PostMessage(BMessage* message,
									int32 handlerToken, bool preferred)
									{ return fLooper->_PostMessage(message,
										handlerToken, preferred); }
			// Runs the loop in the calling thread until the looper quits.
			void				RunInThisThread()
									{ fLooper->_RunInThisThread(); }
			std::shared_ptr<BPrivate::LooperState> State() const
									{ return fLooper->fState; }
			void				AssertLocked() const
									{ fLooper->AssertLocked(); }

private:
			BLooper*			fLooper;
};

#endif // _KITS_PRIVATE_APP_LOOPER_PRIVATE_H
