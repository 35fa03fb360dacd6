#ifndef LIST_READER_H
#define LIST_READER_H

#include <File.h>

// Hands out a list file as fgets into a 1026-byte buffer would: a line up
// to and including its LF, a longer one in pieces of at most 1025 bytes.
// It reads the file a big block at a time, which a line at a time through
// the C library made most of the cost of opening a big list.
class ListReader {
public:
								ListReader(BFile* file);
								~ListReader();

			// The next piece, NUL-terminated, into line (kLineSize
			// bytes); false at the end of the file or on a read error.
			bool				Next(char* line);
			// A read failed: what was handed out is not the whole file.
			bool				Failed() const { return fFailed; }
			// A NUL byte in the first kTextProbeSize bytes: the file is
			// no text, and nothing of it is handed out.
			bool				IsBinary() const { return fBinary; }

	static	const size_t		kLineSize = 1026;
	static	const size_t		kBlockSize = 64 * 1024;
	static	const size_t		kTextProbeSize = 64 * 1024;

private:
			bool				_Fill();

			BFile*				fFile;
			char*				fBlock;
			size_t				fStart;
			size_t				fEnd;
			bool				fAtEnd;
			bool				fFailed;
			bool				fBinary;
			size_t				fOffset;
};

#endif // LIST_READER_H
