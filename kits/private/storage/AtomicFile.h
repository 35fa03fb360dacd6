#ifndef _KITS_PRIVATE_ATOMIC_FILE_H
#define _KITS_PRIVATE_ATOMIC_FILE_H

#include <sys/types.h>

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// Writes a whole file beside its place and renames it over, so that a
// reader sees the old contents or the new ones, never a part.
status_t WriteFileAtomically(const std::string& path,
	const std::string& contents, mode_t mode);

// The files in folder named "...<marker><pid>-..." by a process that no
// longer runs: what a writer killed half-way left behind.
std::vector<std::string> LeftoversOfGoneWriters(const std::string& folder,
	const char* marker);

} // namespace BPrivate

#endif
