#include "display/headless/ScriptLines.h"

#include <string.h>

namespace BPrivate {

namespace {

const char kByteOrderMark[] = "\xef\xbb\xbf";
const size_t kByteOrderMarkSize = 3;

} // namespace


ScriptLines::ScriptLines()
	:
	fStart(0),
	fScanned(0),
	fAtStart(true),
	fAtEnd(false),
	fLineNumber(0)
{
}


void
ScriptLines::Append(const char* data, size_t size)
{
	// What was given goes only now, so that a long script never moves its
	// rest once per line.
	if (fStart > 0) {
		fBuffer.erase(0, fStart);
		fScanned -= fStart;
		fStart = 0;
	}
	fBuffer.append(data, size);
}


void
ScriptLines::SetAtEnd()
{
	fAtEnd = true;
}


ScriptLines::result
ScriptLines::Next(std::string* line)
{
	if (fAtStart) {
		// A mark split over two reads is still a mark.
		if (fBuffer.size() < kByteOrderMarkSize && !fAtEnd
			&& memcmp(fBuffer.data(), kByteOrderMark, fBuffer.size()) == 0)
			return kWantMore;
		if (fBuffer.compare(0, kByteOrderMarkSize, kByteOrderMark) == 0) {
			fStart = kByteOrderMarkSize;
			fScanned = fStart;
		}
		fAtStart = false;
	}

	size_t end = fBuffer.find('\n', fScanned);
	if (end == std::string::npos) {
		fScanned = fBuffer.size();
		if (fBuffer.size() - fStart > kLongestLine) {
			fLineNumber++;
			return kTooLong;
		}
		if (!fAtEnd)
			return kWantMore;
		if (fStart == fBuffer.size())
			return kEnded;
		end = fBuffer.size();
	}
	line->assign(fBuffer, fStart, end - fStart);
	fStart = end < fBuffer.size() ? end + 1 : end;
	fScanned = fStart;
	fLineNumber++;
	if (line->size() > kLongestLine)
		return kTooLong;
	if (!line->empty() && line->back() == '\r')
		line->pop_back();
	return kLine;
}


bool
ScriptLines::Split(const std::string& line, std::vector<std::string>* words)
{
	std::string word;
	bool inWord = false;
	bool quoted = false;
	for (size_t i = 0; i < line.size(); i++) {
		char c = line[i];
		if (c == '"') {
			quoted = !quoted;
			inWord = true;
		} else if (quoted && c == '\\' && i + 1 < line.size()
			&& line[i + 1] != '\0' && strchr("\"\\nrt", line[i + 1]) != NULL) {
			char next = line[++i];
			word += next == 'n' ? '\n' : next == 'r' ? '\r'
				: next == 't' ? '\t' : next;
		} else if ((c == ' ' || c == '\t') && !quoted) {
			if (inWord)
				words->push_back(word);
			word.clear();
			inWord = false;
		} else {
			word += c;
			inWord = true;
		}
	}
	if (quoted)
		return false;
	if (inWord)
		words->push_back(word);
	return true;
}

} // namespace BPrivate
