#ifndef _NODE_H
#define _NODE_H

#include <string>
#include <vector>

#include <Entry.h>
#include <Statable.h>
#include <StorageDefs.h>
#include <SupportDefs.h>
#include <fs_attr.h>

// A file system node (file, folder) and its attributes. Links are
// followed: the node is what the path finally leads to.
class BNode : public BStatable {
public:
								BNode();
								BNode(const char* path);
								BNode(const entry_ref* ref);
	virtual						~BNode();

			status_t			SetTo(const char* path);
			status_t			SetTo(const entry_ref* ref);
			void				Unset();
			status_t			InitCheck() const;

	virtual	status_t			GetStat(struct stat* stat) const;

			// An exclusive lock on the node, held until Unlock or until
			// the node is closed; B_BUSY while another BNode (of this
			// process or another) holds it. Locks are advisory: they keep
			// out only those who ask for them.
			status_t			Lock();
			status_t			Unlock();

			// The number of bytes read or written, or an error code; an
			// uninitialised node answers B_FILE_ERROR.
			ssize_t				ReadAttr(const char* name, type_code type,
									off_t offset, void* buffer, size_t size);
			ssize_t				WriteAttr(const char* name, type_code type,
									off_t offset, const void* buffer,
									size_t size);
			status_t			RemoveAttr(const char* name);
			// Whatever was written is on the disk, or the error says why
			// not.
			status_t			Sync();
			status_t			GetAttrInfo(const char* name,
									attr_info* info) const;
			// The attributes' names one by one, B_ENTRY_NOT_FOUND after
			// the last; buffer holds B_ATTR_NAME_LENGTH bytes.
			status_t			GetNextAttrName(char* buffer);
			status_t			RewindAttrs();

protected:
			// Unsets the node, then opens the entry at path (relative to
			// the working folder) with these open(2) flags.
			status_t			_Open(const char* path, int flags);
			// Takes over the descriptor, whatever the status.
			void				_SetDescriptor(int fd, status_t status);
			// The path a ref names; on failure the node is left unset
			// with that status.
			status_t			_PathForRef(const entry_ref* ref,
									std::string* path);
			int					_Descriptor() const { return fFd; }

private:
	// They reach attributes of other conventions and the file's data.
	friend class BNodeInfo;
	friend class BAppFileInfo;

	virtual	status_t			set_stat(struct stat& stat, uint32 what);

								BNode(const BNode&);
			BNode&				operator=(const BNode&);

			int					fFd;
			status_t			fStatus;
			bool				fLocked;
			// The names GetNextAttrName hands out, read at its first call.
			std::vector<std::string> fAttrNames;
			size_t				fAttrIndex;
			bool				fAttrsRead;
};

#endif // _NODE_H
