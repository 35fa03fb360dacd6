#ifndef _REPLACEMENT_FILE_H
#define _REPLACEMENT_FILE_H

#include <string>

#include <File.h>

// A Linux extension of the Storage Kit: a new file, written beside the file
// at a path, that takes that file's place once it is whole on the disk.
// What made the old file the user's stays: its permission bits, its owner
// and group, its attributes other than those written on the new file, and
// its hard links. Until Commit succeeds, and whenever it fails, the file at
// the path is as it was. A symbolic link at the path has its target
// replaced (a dangling one has it created); the link stays.
class BReplacementFile : public BFile {
public:
								BReplacementFile();
	virtual						~BReplacementFile();

			// Opens the new, empty file for writing. An error when the
			// path cannot be written: not a regular file, a folder or a
			// file the user may not write, a read-only volume.
			status_t			SetTo(const char* path);
			// Flushes the new file to the disk and puts it in place; an
			// error when any step failed, the old file then left whole.
			status_t			Commit();
			// Drops the new file; the old one stays.
			void				Unset();

private:
			status_t			_Create(const std::string& folder,
									const char* marker, int mode,
									std::string* path);
			status_t			_Rename(int oldFile, bool* renamed);
			status_t			_RewriteInPlace(int oldFile);

			std::string			fTarget;
			std::string			fTemporary;
			bool				fExisted;
};

#endif // _REPLACEMENT_FILE_H
