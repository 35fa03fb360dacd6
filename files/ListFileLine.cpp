#include "ListFileLine.h"

#include <string.h>


const char*
ListFileEntry(char* read)
{
	if (read[0] == '\0' || read[0] == '\r' || read[0] == '\n'
		|| read[0] == '#')
		return NULL;
	size_t length = strlen(read);
	char* separator = strchr(read, ';');
	// "0;" at the very end of a file without its LF is not an entry, while
	// "0;" and LF is one with an empty text: the test comes before the
	// line end is taken off.
	if (separator == NULL || separator == read + length - 1)
		return NULL;
	if (read[length - 1] == '\n' || read[length - 1] == '\r')
		read[--length] = '\0';
	return separator + 1;
}


bool
ListFileEntryHoldsNul(const char* read, size_t length)
{
	if (length == 0 || read[0] == '\0' || read[0] == '\r'
		|| read[0] == '\n' || read[0] == '#')
		return false;
	const char* separator = (const char*)memchr(read, ';', length);
	if (separator == NULL || separator == read + length - 1)
		return false;
	return memchr(read, '\0', length) != NULL;
}
