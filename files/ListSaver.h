#ifndef LIST_SAVER_H
#define LIST_SAVER_H

#include <string>

#include <File.h>
#include <Path.h>

// Writes a list file so that a save killed or failing at any moment leaves
// the old list or the new one, whole, and so that two saves of one list
// never mix. The new list goes to a file beside the old one; it takes the
// old one's place by a rename where it can carry everything the old file
// was to the user (its one link, owner, group, attributes, permissions),
// and is written into the old file otherwise, a copy of the old contents
// kept on the disk meanwhile. Every file a save works with is locked while
// the save lives: one whose lock can be taken is a leftover.
class ListSaver {
public:
								ListSaver();
								~ListSaver();

			// Locks the list at path (waiting a few seconds for another
			// save of it) and opens the new, empty file. B_BUSY when
			// another save kept the list; another error when the path
			// cannot be written.
			status_t			SetTo(const char* path);
			ssize_t				Write(const void* buffer, size_t size);
			// Puts the new list in place with the given type. On an
			// error the old list is whole at the path, or, where even
			// putting it back failed, at KeptPath.
			status_t			Commit(const char* type);
			// The copy of the old list that a failed Commit could not put
			// back; NULL when there is none.
			const char*			KeptPath() const;

	// Where the files of a save go when the list's folder takes no new
	// file: the user's settings.
	static	const char*			kWorkFolder;

	// What a kept copy says of itself (see _RewriteInPlace).
	struct KeptRecord {
		unsigned long long		device;
		unsigned long long		node;
		char					newName[B_FILE_NAME_LENGTH];
		std::string				path;
	};

private:
			status_t			_ResolveTarget(const char* path);
			status_t			_LockTarget();
			status_t			_Rename();
			status_t			_RewriteInPlace(const char* type);
			void				_CleanFolder(const char* folder,
									bool workFolder);
			bool				_PutBack(BFile* kept,
									const KeptRecord& record,
									const char* folder,
									const struct stat& folderInfo,
									bool workFolder, const char* newPath);
			void				_Drop();

			BPath				fTarget;
			BFile				fList;
			bool				fExisted;
			bool				fInPlaceOnly;
			BFile				fNew;
			BPath				fNewPath;
			std::string			fKeptPath;
};

#endif // LIST_SAVER_H
