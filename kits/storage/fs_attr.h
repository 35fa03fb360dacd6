#ifndef _FS_ATTR_H
#define _FS_ATTR_H

#include <SupportDefs.h>

// What BNode::GetAttrInfo reports: the attribute's type code and the
// size of its data in bytes.
typedef struct attr_info {
	uint32	type;
	off_t	size;
} attr_info;

#endif // _FS_ATTR_H
