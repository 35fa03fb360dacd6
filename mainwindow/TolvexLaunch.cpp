#include "TolvexLaunch.h"

#include <Roster.h>

#include <string.h>


// words holds kLaunchTextSize bytes, args kMaxLaunchArgs pointers.
status_t
TolvexSplitText(const char* text, char* words, const char** args,
	int32* count)
{
	*count = 0;
	if (text == NULL)
		return B_BAD_VALUE;
	size_t length = strnlen(text, kLaunchTextSize);
	if (length >= kLaunchTextSize)
		return B_NAME_TOO_LONG;
	if (length == 0)
		return B_OK;

	// The write position never passes the read position, and the words
	// never outnumber the bytes plus one: the checks above are enough.
	size_t position = 0;
	int32 wordCount = 0;
	bool quoted = false;
	args[wordCount++] = words;
	for (size_t i = 0; i < length; i++) {
		char byte = text[i];
		if (byte == '"')
			quoted = !quoted;
		else if (byte == ' ' && !quoted) {
			words[position++] = '\0';
			args[wordCount++] = words + position;
		} else
			words[position++] = byte;
	}
	words[position] = '\0';
	*count = wordCount;
	return B_OK;
}


status_t
TolvexLaunch(entry_ref* ref, const char* text, team_id* team)
{
	char words[kLaunchTextSize];
	const char* args[kMaxLaunchArgs];
	int32 count;
	status_t status = TolvexSplitText(text, words, args, &count);
	if (status != B_OK)
		return status;
	return be_roster->Launch(ref, count, args, team);
}
