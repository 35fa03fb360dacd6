#ifndef _STATABLE_H
#define _STATABLE_H

#include <sys/stat.h>
#include <sys/types.h>

#include <SupportDefs.h>

// What a node's stat says of it, and the owner, group and permission bits
// that may be given to it. A BNode answers for the node it has open, a
// BEntry for the entry itself (a link is not followed).
class BStatable {
public:
	virtual						~BStatable();

	virtual	status_t			GetStat(struct stat* stat) const = 0;

			status_t			GetOwner(uid_t* owner) const;
			status_t			SetOwner(uid_t owner);
			status_t			GetGroup(gid_t* group) const;
			status_t			SetGroup(gid_t group);
			status_t			GetPermissions(mode_t* permissions) const;
			status_t			SetPermissions(mode_t permissions);

private:
	// What changes: as on BeOS, one call per field.
	enum {
		B_STAT_OWNER		= 0x01,
		B_STAT_GROUP		= 0x02,
		B_STAT_PERMISSIONS	= 0x04
	};

	virtual	status_t			set_stat(struct stat& stat, uint32 what) = 0;

	friend class BNode;
	friend class BEntry;
};

#endif // _STATABLE_H
