#include <Path.h>

#include <string.h>

#include <Entry.h>

#include "private/storage/EntryPath.h"

namespace {

bool
NeedsNormalizing(const std::string& path)
{
	if (path.empty() || path[0] != '/')
		return true;
	if (path.find("//") != std::string::npos)
		return true;
	if (path.size() > 1 && path.back() == '/')
		return true;
	std::string padded = path + "/";
	return padded.find("/./") != std::string::npos
		|| padded.find("/../") != std::string::npos;
}

} // namespace


BPath::BPath(const char* path, const char* leaf, bool normalize)
	:
	fStatus(B_NO_INIT)
{
	if (path != NULL)
		SetTo(path, leaf, normalize);
}


BPath::BPath(const entry_ref* ref)
	:
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}


status_t
BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	Unset();
	if (path == NULL || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	if (leaf != NULL && leaf[0] == '/')
		return fStatus = B_BAD_VALUE;

	std::string text(path);
	if (leaf != NULL && leaf[0] != '\0')
		text += std::string(text.back() == '/' ? "" : "/") + leaf;
	if (text.size() >= B_PATH_NAME_LENGTH)
		return fStatus = B_NAME_TOO_LONG;

	if (normalize || NeedsNormalizing(text)) {
		std::string full;
		status_t status = BPrivate::EntryPath(text.c_str(), &full);
		if (status != B_OK)
			return fStatus = status;
		text = full;
	} else {
		std::string folder;
		std::string name;
		BPrivate::SplitEntryPath(text, &folder, &name);
		if (name.size() >= B_FILE_NAME_LENGTH)
			return fStatus = B_NAME_TOO_LONG;
	}
	fPath = text;
	return fStatus = B_OK;
}


status_t
BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == NULL)
		return fStatus = B_BAD_VALUE;
	std::string full;
	status_t status = BPrivate::PathForRef(ref->device, ref->directory,
		ref->name, &full);
	if (status != B_OK)
		return fStatus = status;
	fPath = full;
	return fStatus = B_OK;
}


void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}


status_t
BPath::InitCheck() const
{
	return fStatus;
}


const char*
BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : NULL;
}


const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return NULL;
	if (fPath == "/")
		return "";
	return fPath.c_str() + fPath.rfind('/') + 1;
}


status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == NULL || path[0] == '/')
		return B_BAD_VALUE;
	// A failed append leaves the path as it was.
	BPath joined;
	status_t status = joined.SetTo(fPath.c_str(), path, normalize);
	if (status != B_OK)
		return status;
	*this = joined;
	return B_OK;
}


status_t
BPath::GetParent(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	size_t slash = fPath.rfind('/');
	return path->SetTo(slash == 0 ? "/" : fPath.substr(0, slash).c_str());
}
