#ifndef TOLVEX_LAUNCH_H
#define TOLVEX_LAUNCH_H

#include <Entry.h>
#include <OS.h>

// The words of one launch, each ended by a zero byte, one after the other.
// A text that fits it needs at most one byte more than its own length.
const size_t kLaunchTextSize = 4096;
// Every byte of a text that fits may open a word (two blanks in a row
// give an empty word), so there is room for as many words as bytes: no
// text that fits is refused for its number of words.
const int32 kMaxLaunchArgs = (int32)kLaunchTextSize;

// Splits a command text the way a very small shell would: every unquoted
// blank ends a word and opens the next, a double quote turns quoting over
// and is dropped, every other byte (tabs and backslashes too) is kept.
// An empty text gives no words. A text longer than kLaunchTextSize - 1
// bytes is refused with B_NAME_TOO_LONG and nothing is written.
status_t TolvexSplitText(const char* text, char* words, const char** args,
	int32* count);

// Starts the executable with the words of the command text after its own
// path, and stores its team. Returns the roster's status, or the
// splitter's refusal.
status_t TolvexLaunch(entry_ref* ref, const char* text, team_id* team);

#endif // TOLVEX_LAUNCH_H
