#ifndef _KITS_PRIVATE_ENTRY_PATH_H
#define _KITS_PRIVATE_ENTRY_PATH_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {

// The absolute path of the entry that a path names: /boot paths translated,
// "." and ".." and links in the folder part resolved, the leaf kept as it
// is (an entry may be a link, and need not exist; its folder must).
// A result of B_PATH_NAME_LENGTH bytes or more, or a leaf of
// B_FILE_NAME_LENGTH or more, is B_NAME_TOO_LONG.
status_t EntryPath(const char* path, std::string* result);

// The folder and the leaf of an absolute entry path; the root folder is
// its own folder with the leaf ".".
void SplitEntryPath(const std::string& path, std::string* folder,
	std::string* leaf);

// The absolute path that an entry_ref stands for.
status_t PathForRef(int32 device, int64 directory, const char* name,
	std::string* result);

} // namespace BPrivate

#endif // _KITS_PRIVATE_ENTRY_PATH_H
