#ifndef _KITS_DISPLAY_ACCESSIBILITY_UTF8_TEXT_H
#define _KITS_DISPLAY_ACCESSIBILITY_UTF8_TEXT_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {

// AT-SPI counts characters, the kits bytes of UTF-8.
int32			CountCharacters(const std::string& text);
// The byte the character at that offset starts at; the text's size past
// its end.
size_t			ByteOffset(const std::string& text, int32 characters);
// Characters start to end (end < 0: to the end of the text).
std::string		Substring(const std::string& text, int32 start, int32 end);
// A byte offset of the kit's, clamped to the text, in characters.
int32			CharacterOffset(const std::string& text, int32 byteOffset);

} // namespace BPrivate

#endif
