#ifndef _FILE_H
#define _FILE_H

#include <Node.h>

// A regular file opened with a BeOS open mode (StorageDefs.h).
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
