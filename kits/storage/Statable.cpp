#include <Statable.h>

namespace {

// One field of the node's stat, as each getter gives it.
template<typename Value, typename Pick>
status_t
StatField(const BStatable& statable, Value* value, Pick pick)
{
	if (value == NULL)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = statable.GetStat(&info);
	if (status == B_OK)
		*value = pick(info);
	return status;
}

} // namespace


BStatable::~BStatable()
{
}


status_t
BStatable::GetOwner(uid_t* owner) const
{
	return StatField(*this, owner,
		[](const struct stat& info) { return info.st_uid; });
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
	return StatField(*this, group,
		[](const struct stat& info) { return info.st_gid; });
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
	return StatField(*this, permissions,
		[](const struct stat& info) { return info.st_mode & 07777; });
}


status_t
BStatable::SetPermissions(mode_t permissions)
{
	struct stat info = {};
	info.st_mode = permissions & 07777;
	return set_stat(info, B_STAT_PERMISSIONS);
}
