#ifndef _KITS_PRIVATE_OUTPUT_LOCK_H
#define _KITS_PRIVATE_OUTPUT_LOCK_H

#include <string>

namespace BPrivate {

// One whole line to standard output, never interleaved with another.
void PrintLine(const std::string& line);

} // namespace BPrivate

#endif
