#include <Statable.h>

BStatable::~BStatable()
{
}


status_t
BStatable::GetOwner(uid_t* owner) const
{
	if (owner == NULL)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = GetStat(&info);
	if (status == B_OK)
		*owner = info.st_uid;
	return status;
}


status_t
BStatable::SetOwner(uid_t owner)
{
	struct stat info = {};
	info.st_uid = owner;
	return set_stat(info, B_STAT_OWNER);
}


status_t
BStatable::GetGroup(gid_t* group) const
{
	if (group == NULL)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = GetStat(&info);
	if (status == B_OK)
		*group = info.st_gid;
	return status;
}


status_t
BStatable::SetGroup(gid_t group)
{
	struct stat info = {};
	info.st_gid = group;
	return set_stat(info, B_STAT_GROUP);
}


status_t
BStatable::GetPermissions(mode_t* permissions) const
{
	if (permissions == NULL)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = GetStat(&info);
	if (status == B_OK)
		*permissions = info.st_mode & 07777;
	return status;
}


status_t
BStatable::SetPermissions(mode_t permissions)
{
	struct stat info = {};
	info.st_mode = permissions & 07777;
	return set_stat(info, B_STAT_PERMISSIONS);
}
