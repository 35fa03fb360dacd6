#include "display/accessibility/Utf8Text.h"

#include <algorithm>

namespace BPrivate {

int32
CountCharacters(const std::string& text)
{
	int32 count = 0;
	for (unsigned char c : text) {
		if ((c & 0xc0) != 0x80)
			count++;
	}
	return count;
}


size_t
ByteOffset(const std::string& text, int32 characters)
{
	if (characters <= 0)
		return 0;
	int32 seen = 0;
	for (size_t i = 0; i < text.size(); i++) {
		if (((unsigned char)text[i] & 0xc0) != 0x80) {
			if (seen == characters)
				return i;
			seen++;
		}
	}
	return text.size();
}


std::string
Substring(const std::string& text, int32 start, int32 end)
{
	if (end < 0)
		end = CountCharacters(text);
	if (start < 0)
		start = 0;
	if (end < start)
		return "";
	size_t from = ByteOffset(text, start);
	size_t to = ByteOffset(text, end);
	return text.substr(from, to - from);
}


int32
CharacterOffset(const std::string& text, int32 byteOffset)
{
	return CountCharacters(text.substr(0,
		std::min((size_t)std::max(byteOffset, 0), text.size())));
}

} // namespace BPrivate
