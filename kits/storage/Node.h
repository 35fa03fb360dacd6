#ifndef _NODE_H
#define _NODE_H

#include <string>

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>
#include <fs_attr.h>

// A file system node (file, folder) and its attributes. Links are
// followed: the node is what the path finally leads to.
class BNode {
public:
								BNode();
								BNode(const char* path);
								BNode(const entry_ref* ref);
	virtual						~BNode();

			status_t			SetTo(const char* path);
			status_t			SetTo(const entry_ref* ref);
			void				Unset();
			status_t			InitCheck() const;

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

protected:
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

								BNode(const BNode&);
			BNode&				operator=(const BNode&);

			int					fFd;
			status_t			fStatus;
};

#endif // _NODE_H
