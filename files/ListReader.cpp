#include "ListReader.h"

#include <string.h>

#include <algorithm>

ListReader::ListReader(BFile* file)
	:
	fFile(file),
	fBlock(new char[kBlockSize]),
	fStart(0),
	fEnd(0),
	fAtEnd(false),
	fFailed(false),
	fBinary(false),
	fOffset(0)
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
	return length > 0 && !fFailed && !fBinary;
}


bool
ListReader::_Fill()
{
	if (fAtEnd || fFailed || fBinary)
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
	// The first bytes are looked at before any line of them is handed
	// out: a sound file or a program read as a list gave garbage entries.
	if (fOffset < kTextProbeSize) {
		size_t probe = std::min((size_t)got, kTextProbeSize - fOffset);
		if (memchr(fBlock, '\0', probe) != NULL) {
			fBinary = true;
			fStart = fEnd = 0;
			return false;
		}
	}
	fOffset += got;
	return true;
}
