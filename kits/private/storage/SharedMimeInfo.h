#ifndef _KITS_PRIVATE_SHARED_MIME_INFO_H
#define _KITS_PRIVATE_SHARED_MIME_INFO_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// The desktop's shared MIME database ($XDG_DATA_HOME/mime): a type
// installed in the kits' database is also described there, so that file
// managers recognise its files by extension.

// A string that files of the type hold at an offset, or somewhere in a
// range of offsets; priority 0 to 100.
struct SharedMimeMagic {
	int				priority;
	int64			start;
	int64			end;
	std::string		value;
};

// A BeOS sniffer rule of one string: "priority ([start[:end]] "string")",
// the priority from 0 to 1; false for any other rule (kept, but not
// published).
bool ParseSnifferRule(const char* rule, SharedMimeMagic* magic);

// The package file that describes a type.
std::string SharedMimePackagePath(const char* type);

// The shared databases' folders of $XDG_DATA_DIRS (/usr/local/share:
// /usr/share where it is unset or empty), in order; relative ones are left
// out, as the desktop leaves them.
std::vector<std::string> SystemDataFolders();

// Whether a database the desktop reads describes the type already: one
// of $XDG_DATA_DIRS (/usr/local/share:/usr/share), compiled or as a package
// file not yet compiled, or the user's own from another package file than
// the kits'. Such a type needs no copy in the user's data folder.
bool DesktopHasType(const char* type);

// Writes the package file (atomically) and updates the database.
status_t PublishSharedMimeType(const char* type, const char* comment,
	const std::vector<std::string>& extensions,
	const std::vector<SharedMimeMagic>& magic
		= std::vector<SharedMimeMagic>());
// Removes the package file, if any, and updates the database.
status_t UnpublishSharedMimeType(const char* type);

// Runs update-mime-database on $XDG_DATA_HOME/mime where it is installed;
// its output is silenced and its failure ignored, as the kits' own
// database stays the reference.
void UpdateSharedMimeDatabase();

} // namespace BPrivate

#endif // _KITS_PRIVATE_SHARED_MIME_INFO_H
