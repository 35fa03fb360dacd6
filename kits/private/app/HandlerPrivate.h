#ifndef _KITS_PRIVATE_APP_HANDLER_PRIVATE_H
#define _KITS_PRIVATE_APP_HANDLER_PRIVATE_H

#include <Handler.h>

// A handler's token, by which messengers, loopers and displays name it.
class BHandler::Private {
public:
								Private(const BHandler* handler)
									: fHandler(handler) {}

			int32				Token() const { return fHandler->fToken; }

private:
			const BHandler*		fHandler;
};

#endif // _KITS_PRIVATE_APP_HANDLER_PRIVATE_H
