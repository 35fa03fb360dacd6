#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <dirent.h>

#include <string>

#include <Node.h>

class BEntry;

// A folder, and its entries one by one ("." and ".." left out).
class BDirectory : public BNode {
public:
								BDirectory();
								BDirectory(const char* path);
	virtual						~BDirectory();

			status_t			SetTo(const char* path);
			void				Unset();

			// B_ENTRY_NOT_FOUND after the last entry.
			status_t			GetNextEntry(BEntry* entry,
									bool traverse = false);
			status_t			Rewind();

private:
								BDirectory(const BDirectory&);
			BDirectory&			operator=(const BDirectory&);

			std::string			fPath;
			DIR*				fDir;
};

// Makes the folder at path and every missing folder above it; B_OK when
// it is there already.
status_t create_directory(const char* path, mode_t mode);

#endif // _DIRECTORY_H
