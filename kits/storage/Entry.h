#ifndef _ENTRY_H
#define _ENTRY_H

#include <string>

#include <Statable.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

class BPath;

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


// An entry in a folder, named by its absolute path. It need not exist
// (an abstract entry), but its folder must. With traverse, a link is
// followed to the entry it finally leads to.
class BEntry : public BStatable {
public:
								BEntry();
								BEntry(const char* path, bool traverse = false);
								BEntry(const entry_ref* ref,
									bool traverse = false);
								BEntry(const BEntry& other) = default;
	virtual						~BEntry() = default;

			BEntry&				operator=(const BEntry& other) = default;

			status_t			SetTo(const char* path, bool traverse = false);
			status_t			SetTo(const entry_ref* ref,
									bool traverse = false);
			void				Unset();
			status_t			InitCheck() const;

			bool				Exists() const;
			bool				IsFile() const;
			bool				IsDirectory() const;
			bool				IsSymLink() const;

			// The entry's own stat: a link is not followed.
	virtual	status_t			GetStat(struct stat* stat) const;

			status_t			GetRef(entry_ref* ref) const;
			status_t			GetPath(BPath* path) const;
			status_t			GetParent(BEntry* entry) const;
			// name holds at least B_FILE_NAME_LENGTH bytes.
			status_t			GetName(char* name) const;

			status_t			Remove();
			// A path relative to the entry's folder, or absolute; the entry
			// then names the new place. Without clobber an existing entry
			// there is an error.
			status_t			Rename(const char* path, bool clobber = false);

private:
	virtual	status_t			set_stat(struct stat& stat, uint32 what);

			status_t			_SetPath(const std::string& path,
									bool traverse);

			std::string			fPath;
			status_t			fStatus;
};

#endif // _ENTRY_H
