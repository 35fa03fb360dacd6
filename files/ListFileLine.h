#ifndef LIST_FILE_LINE_H
#define LIST_FILE_LINE_H

#include <stddef.h>

// The reader's buffer for one read of a list file: a read takes at most
// 1025 bytes of a line, its LF included.
const size_t kListFileReadSize = 1026;

// One read of a list file (as fgets leaves it in a kListFileReadSize
// buffer): the entry text it holds, or NULL for a comment, a blank, a
// read without ';' or one whose first ';' is its last byte. One final LF
// or CR is taken off the text in place; everything else is kept as it is.
const char* ListFileEntry(char* read);

// Whether a read of length bytes, looked at byte for byte, is one that
// would be taken as an entry (not a comment or a blank, a ';' before its
// last byte) and holds a NUL, which no list's entry has: such a file is
// no list, and the entry would come back cut at the NUL.
bool ListFileEntryHoldsNul(const char* read, size_t length);

#endif // LIST_FILE_LINE_H
