#include "ListReader.h"

#include <string.h>


ListReader::ListReader(BFile* file)
	:
	fFile(file),
	fBlock(new char[kBlockSize]),
	fStart(0),
	fEnd(0),
	fAtEnd(false),
	fFailed(false),
	fBinary(false),
	fStarted(false)
{
}


ListReader::~ListReader()
{
	delete[] fBlock;
}


bool
ListReader::Next(char* line, size_t* pieceLength)
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
	if (pieceLength != NULL)
		*pieceLength = length;
	// As fgets: a read error loses the piece it interrupted.
	return length > 0 && !fFailed && !fBinary;
}


bool
ListReader::OnlyNulsFrom(const char* line, size_t length)
{
	const char* nul = (const char*)memchr(line, '\0', length);
	if (nul == NULL)
		return false;
	for (const char* c = nul; c < line + length; c++) {
		if (*c != '\0')
			return false;
	}
	while (fStart < fEnd || _Fill()) {
		for (; fStart < fEnd; fStart++) {
			if (fBlock[fStart] != '\0')
				return false;
		}
	}
	return !fFailed;
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
	if (!fStarted) {
		fStarted = true;
		// Editors on some systems start a UTF-8 text with a byte-order
		// mark; it is no part of the first line.
		if (fEnd >= 3 && memcmp(fBlock, "\xef\xbb\xbf", 3) == 0)
			fStart = 3;
		// No list starts with a NUL; a sound file, a program or a file
		// of zeros does.
		if (fStart < fEnd && fBlock[fStart] == '\0') {
			fBinary = true;
			fStart = fEnd = 0;
			return false;
		}
	}
	return true;
}
