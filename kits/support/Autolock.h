#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

// Holds a BLocker for the life of a scope.
class BAutolock {
public:
								BAutolock(BLocker* locker)
									: fLocker(locker)
									{ fLocker->Lock(); }
								BAutolock(BLocker& locker)
									: fLocker(&locker)
									{ fLocker->Lock(); }
								~BAutolock() { fLocker->Unlock(); }

			bool				IsLocked() const { return true; }

private:
			BLocker*			fLocker;
};

#endif // _AUTOLOCK_H
