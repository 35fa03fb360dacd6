#ifndef _LOCKER_H
#define _LOCKER_H

#include <mutex>

#include <SupportDefs.h>

// A recursive lock, as on BeOS.
class BLocker {
public:
								BLocker(const char* name = NULL);
								~BLocker();

			bool				Lock();
			void				Unlock();

private:
			std::recursive_mutex fMutex;
};

#endif // _LOCKER_H
