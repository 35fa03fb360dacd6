#ifndef _SYM_LINK_H
#define _SYM_LINK_H

#include <Node.h>

class BEntry;
class BPath;

// A symbolic link itself, not what it leads to.
class BSymLink : public BNode {
public:
								BSymLink();
								BSymLink(const char* path);
								BSymLink(const BEntry* entry);
	virtual						~BSymLink();

			status_t			SetTo(const char* path);
			status_t			SetTo(const BEntry* entry);

			// The link's text, NUL-terminated; its length, or an error
			// (B_NAME_TOO_LONG where it does not fit, never cut).
			ssize_t				ReadLink(char* buffer, size_t size);
			// What the link names, a relative text taken from dirPath,
			// the folder that holds the link; the path's length or an
			// error.
			ssize_t				MakeLinkedPath(const char* dirPath,
									BPath* path);
};

#endif // _SYM_LINK_H
