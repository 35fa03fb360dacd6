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

#endif // LIST_FILE_LINE_H
