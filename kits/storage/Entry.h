#ifndef _ENTRY_H
#define _ENTRY_H

#include <StorageDefs.h>
#include <SupportDefs.h>

// A reference to a file system entry: the device and inode of the folder
// that holds it, and its leaf name. Two refs are equal when all three are.
struct entry_ref {
	entry_ref();
	entry_ref(int32 device, int64 directory, const char* name);
	entry_ref(const entry_ref& other);
	~entry_ref();

	status_t set_name(const char* name);

	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const;
	entry_ref& operator=(const entry_ref& other);

	int32 device;
	int64 directory;
	char* name;
};

// The ref of a path's entry; the entry itself need not exist, its folder
// must. A path of B_PATH_NAME_LENGTH bytes or more is B_NAME_TOO_LONG.
status_t get_ref_for_path(const char* path, entry_ref* ref);

#endif // _ENTRY_H
