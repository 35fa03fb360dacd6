#include "private/app/Quiet.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "private/app/LooperState.h"
#include "private/app/RosterState.h"

namespace BPrivate {

namespace {

struct Source {
	bool	(*isBusy)(void*);
	void*	data;
};

// Never destroyed: looper threads may still report activity while the
// process exits.
struct QuietGlobals {
	std::mutex				activityLock;
	std::condition_variable	activity;
	uint64					activityCount = 0;

	// Held while sources are asked, so that a source that is removed is
	// not asked any more once RemoveQuietSource returns.
	std::mutex				sourcesLock;
	std::vector<Source>		sources;
};

QuietGlobals&
Q()
{
	static QuietGlobals* sGlobals = new QuietGlobals;
	return *sGlobals;
}

} // namespace


void
AddQuietSource(bool (*isBusy)(void*), void* data)
{
	{
		std::lock_guard<std::mutex> lock(Q().sourcesLock);
		Q().sources.push_back(Source{ isBusy, data });
	}
	NotifyActivity();
}


void
RemoveQuietSource(bool (*isBusy)(void*), void* data)
{
	{
		std::lock_guard<std::mutex> lock(Q().sourcesLock);
		std::vector<Source>& sources = Q().sources;
		for (auto it = sources.begin(); it != sources.end(); ++it) {
			if (it->isBusy == isBusy && it->data == data) {
				sources.erase(it);
				break;
			}
		}
	}
	NotifyActivity();
}


bool
IsQuiet()
{
	if (!AllLoopersIdle() || !RosterIsQuiet())
		return false;
	std::lock_guard<std::mutex> lock(Q().sourcesLock);
	for (const Source& source : Q().sources) {
		if (source.isBusy(source.data))
			return false;
	}
	return true;
}


bool
WaitForQuiet(bigtime_t deadline, const std::atomic<bool>* cancel)
{
	while (true) {
		// Read before anything is looked at: whatever changes meanwhile,
		// a cancel included, moves the count on and sends us round again.
		uint64 seen = ActivityCount();
		if (cancel != NULL && cancel->load())
			return false;
		if (IsQuiet() && ActivityCount() == seen)
			return true;
		if (!WaitForActivity(seen, deadline))
			return false;
	}
}


void
NotifyActivity()
{
	{
		std::lock_guard<std::mutex> lock(Q().activityLock);
		Q().activityCount++;
	}
	Q().activity.notify_all();
}


uint64
ActivityCount()
{
	std::lock_guard<std::mutex> lock(Q().activityLock);
	return Q().activityCount;
}


bool
WaitForActivity(uint64 seen, bigtime_t deadline)
{
	std::unique_lock<std::mutex> lock(Q().activityLock);
	auto moved = [seen] { return Q().activityCount != seen; };
	if (deadline == B_INFINITE_TIMEOUT) {
		Q().activity.wait(lock, moved);
		return true;
	}
	while (!moved()) {
		bigtime_t left = deadline - system_time();
		if (left <= 0)
			return false;
		// Only the deadline ends this wait; activity ends it sooner.
		Q().activity.wait_for(lock, std::chrono::microseconds(left));
	}
	return true;
}

} // namespace BPrivate
