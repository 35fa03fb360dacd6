#ifndef _KITS_PRIVATE_APP_MESSENGER_PRIVATE_H
#define _KITS_PRIVATE_APP_MESSENGER_PRIVATE_H

#include <Messenger.h>

// A messenger's tokens, for flattening it into a message and back.
class BMessenger::Private {
public:
								Private(BMessenger* messenger)
									: fMessenger(messenger) {}

			int32				LooperToken() const
									{ return fMessenger->fLooperToken; }
			// -1: the looper's preferred handler.
			int32				HandlerToken() const
									{ return fMessenger->fHandlerToken; }
			void				SetTo(int32 looperToken, int32 handlerToken)
									{
										fMessenger->fLooperToken = looperToken;
										fMessenger->fHandlerToken
											= handlerToken;
									}

private:
			BMessenger*			fMessenger;
};

#endif // _KITS_PRIVATE_APP_MESSENGER_PRIVATE_H
