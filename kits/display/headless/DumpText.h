#ifndef _KITS_DISPLAY_HEADLESS_DUMP_TEXT_H
#define _KITS_DISPLAY_HEADLESS_DUMP_TEXT_H

#include <string>
#include <vector>

#include "display/DisplayMirror.h"

namespace BPrivate {

// A text between double quotes, with \\, \", \n, \r and \t escaped and
// every other byte as it is.
std::string QuoteForDump(const std::string& text);

// A text echoed in an error message: quoted as for the dump, other control
// bytes (NUL included) as \xNN, and cut after 64 bytes with "...".
std::string QuoteForError(const std::string& text);

// Every window the mirror knows, in the order of creation, as the dump
// prints them (docs/driving.md).
void DumpWindows(DisplayMirror& mirror, std::vector<std::string>* lines);

// One whole line to standard output, never interleaved with another.
void PrintLine(const std::string& line);

} // namespace BPrivate

#endif
