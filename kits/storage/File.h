#ifndef _FILE_H
#define _FILE_H

#include <Node.h>

// A regular file opened with a BeOS open mode (StorageDefs.h), to which
// O_NOFOLLOW may be added, as on Haiku, where the open modes are open(2)'s
// flags: a link in the file's place is then refused (B_LINK_LIMIT).
// Anything but a regular file (a folder: B_IS_A_DIRECTORY; a FIFO, a
// device, a socket: B_NOT_ALLOWED) is refused without blocking.
class BFile : public BNode {
public:
								BFile();
								BFile(const char* path, uint32 openMode);
								BFile(const entry_ref* ref, uint32 openMode);
	virtual						~BFile();

			status_t			SetTo(const char* path, uint32 openMode);
			status_t			SetTo(const entry_ref* ref, uint32 openMode);
			void				Unset();

			bool				IsReadable() const;
			bool				IsWritable() const;

			ssize_t				Read(void* buffer, size_t size);
			ssize_t				Write(const void* buffer, size_t size);
			off_t				Seek(off_t position, uint32 seekMode);
			off_t				Position() const;
			status_t			GetSize(off_t* size) const;
			status_t			SetSize(off_t size);

private:
			uint32				fMode;
			// A running program's file can only be opened for reading;
			// its attributes may still be written.
			bool				fDataWriteRefused;
};

#endif // _FILE_H
