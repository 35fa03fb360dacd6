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
			// bytes), and its length, which counts NULs within it; false
			// at the end of the file or on a read error. A UTF-8
			// byte-order mark at the start of the file is skipped.
			bool				Next(char* line, size_t* length = NULL);
			// A read failed: what was handed out is not the whole file.
			bool				Failed() const { return fFailed; }
			// The file starts with a NUL: it is no text, and nothing of
			// it is handed out.
			bool				IsBinary() const { return fBinary; }
			// Whether the last piece, from its first NUL on, and all the
			// rest of the file are NULs: the zeros a crash leaves at the
			// end of a file. The rest is then passed over.
			bool				OnlyNulsFrom(const char* line,
									size_t length);

	static	const size_t		kLineSize = 1026;
	static	const size_t		kBlockSize = 64 * 1024;

private:
			bool				_Fill();

			BFile*				fFile;
			char*				fBlock;
			size_t				fStart;
			size_t				fEnd;
			bool				fAtEnd;
			bool				fFailed;
			bool				fBinary;
			bool				fStarted;
};

#endif // LIST_READER_H
