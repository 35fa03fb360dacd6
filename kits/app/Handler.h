#ifndef _HANDLER_H
#define _HANDLER_H

#include <SupportDefs.h>

class BLooper;
class BMessage;

class BHandler {
public:
								BHandler(const char* name = NULL);
	virtual						~BHandler();

	virtual	void				MessageReceived(BMessage* message);

			BLooper*			Looper() const { return fLooper; }
			void				SetName(const char* name);
			const char*			Name() const;
			void				SetNextHandler(BHandler* handler);
			BHandler*			NextHandler() const { return fNextHandler; }

			bool				LockLooper();
			void				UnlockLooper();

			class Private;

private:
	friend class Private;

	friend class BLooper;

			void				_SetLooper(BLooper* looper);

								BHandler(const BHandler&);
			BHandler&			operator=(const BHandler&);

			char*				fName;
			int32				fToken;
			BLooper*			fLooper;
			BHandler*			fNextHandler;
};

#endif // _HANDLER_H
