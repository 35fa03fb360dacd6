#include <Locker.h>

BLocker::BLocker(const char*)
{
}


BLocker::~BLocker()
{
}


bool
BLocker::Lock()
{
	fMutex.lock();
	return true;
}


void
BLocker::Unlock()
{
	fMutex.unlock();
}
