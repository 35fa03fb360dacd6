#include "ListReader.h"

#include <string.h>

ListReader::ListReader(BFile* file)
	:
	fFile(file),
	fBlock(new char[kBlockSize]),
	fStart(0),
	fEnd(0),
	fAtEnd(false),
	fFailed(false)
{
}


ListReader::~ListReader()
{
	delete[] fBlock;
}


bool
ListReader::Next(char* line)
{
	size_t length = 0;
	const size_t room = kLineSize - 1;
	while (length < room) {
		if (fStart == fEnd && !_Fill())
			break;
		size_t take = fEnd - fStart;
		if (take > room - length)
			take = room - length;
		const char* from = fBlock + fStart;
		const char* newline = (const char*)memchr(from, '\n', take);
		if (newline != NULL)
			take = newline - from + 1;
		memcpy(line + length, from, take);
		length += take;
		fStart += take;
		if (newline != NULL)
			break;
	}
	line[length] = '\0';
	// As fgets: a read error loses the piece it interrupted.
	return length > 0 && !fFailed;
}


bool
ListReader::_Fill()
{
	if (fAtEnd || fFailed)
		return false;
	ssize_t got = fFile->Read(fBlock, kBlockSize);
	if (got < 0)
		fFailed = true;
	if (got <= 0) {
		fAtEnd = true;
		return false;
	}
	fStart = 0;
	fEnd = got;
	return true;
}
