#ifndef _ROSTER_H
#define _ROSTER_H

#include <Entry.h>
#include <Messenger.h>
#include <OS.h>

class BMessage;

struct app_info {
	app_info();

	thread_id thread;
	team_id team;
	int32 port;
	uint32 flags;
	entry_ref ref;
	char signature[B_MIME_TYPE_LENGTH];
};

// Application flags, as in the BEOS:APP_FLAGS resource.
#define B_SINGLE_LAUNCH 0x0
#define B_MULTIPLE_LAUNCH 0x1
#define B_EXCLUSIVE_LAUNCH 0x2
#define B_LAUNCH_MASK 0x3
#define B_BACKGROUND_APP 0x4
#define B_ARGV_ONLY 0x8

// Events to watch for.
enum {
	B_REQUEST_LAUNCHED = 0x00000001,
	B_REQUEST_QUIT = 0x00000002,
	B_REQUEST_ACTIVATED = 0x00000004
};

// Starts programs and documents, and tells watchers when a program that
// it started has ended. A team is the started process and its process
// group.
//
// A Linux extension: a program launched by its entry_ref writes its error
// stream through a pipe that the roster passes on, byte for byte, to ours;
// its B_SOME_APP_QUIT then also holds "linux:exit_status" or "linux:signal"
// (int32) and, if it wrote one, "linux:error_line", its last non-empty line
// on that stream (docs/encoding-run.md).
class BRoster {
public:
								BRoster();
								~BRoster();

			// An executable: argv[0] is its path, then the given words.
			status_t			Launch(const entry_ref* ref, int argc,
									const char* const* args,
									team_id* team = NULL) const;
			// The preferred application of a MIME type, given the words.
			status_t			Launch(const char* mimeType, int argc,
									const char* const* args,
									team_id* team = NULL) const;
			// A document, with the preferred application of its type.
			status_t			Launch(const entry_ref* document,
									const BMessage* initialMessage = NULL,
									team_id* team = NULL) const;

			status_t			StartWatching(BMessenger target,
									uint32 eventMask = B_REQUEST_LAUNCHED
										| B_REQUEST_QUIT) const;
			status_t			StopWatching(BMessenger target) const;
};

extern const BRoster* be_roster;

#endif // _ROSTER_H
