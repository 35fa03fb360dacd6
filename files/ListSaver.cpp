#include "ListSaver.h"

#include <stdio.h>
#include <string.h>

#include <random>
#include <vector>

#include <Directory.h>
#include <Entry.h>
#include <NodeInfo.h>
#include <OS.h>
#include <SymLink.h>
#include <fs_attr.h>
#include <TypeConstants.h>

const char* ListSaver::kWorkFolder = "/boot/home/config/settings/Tolvex/saves";

namespace {

// The new contents, and the copy of the old ones kept while a list is
// written in place. Short names, so that any name the file system takes
// can be saved beside them.
const char* kNewMarker = ".~save-";
const char* kKeptMarker = ".~keep-";
// On a kept copy once it is whole: "<device> <node> <path>" of its list.
// A copy without it was never finished, and its list never touched.
const char* kKeptForAttr = "Tolvex:kept_for";
const int kRandomDigits = 16;
const int kMaxLinks = 40;
// How long a save waits for another save of the same list.
const bigtime_t kLockWait = 5000000;
const bigtime_t kLockPoll = 20000;
const size_t kCopyBlock = 64 * 1024;


bool
SameNode(const struct stat& one, const struct stat& other)
{
	return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}


// The file is still the one its name leads to: another save's clean-up
// may have taken it away in the moment before it was locked.
bool
StillNamed(const BNode& node, const char* path)
{
	struct stat locked;
	struct stat named;
	return node.GetStat(&locked) == B_OK
		&& BEntry(path).GetStat(&named) == B_OK && SameNode(locked, named);
}


// A save's file: the marker, then hexadecimal digits (older saves put a
// process number and a dash in).
bool
IsWorkFile(const char* name, const char* marker)
{
	size_t length = strlen(marker);
	if (strncmp(name, marker, length) != 0 || name[length] == '\0')
		return false;
	return strspn(name + length, "0123456789abcdef-") == strlen(name + length);
}


bool
IsOwnFormat(const char* name, const char* marker)
{
	size_t length = strlen(marker);
	return strlen(name) == length + kRandomDigits
		&& strspn(name + length, "0123456789abcdef") == kRandomDigits;
}


// Everything of one file into another, which is emptied first and
// flushed after.
status_t
CopyData(BFile* from, BFile* to)
{
	status_t status = to->SetSize(0);
	if (status != B_OK)
		return status;
	if (from->Seek(0, SEEK_SET) < 0 || to->Seek(0, SEEK_SET) < 0)
		return B_IO_ERROR;
	std::vector<char> buffer(kCopyBlock);
	while (true) {
		ssize_t got = from->Read(buffer.data(), buffer.size());
		if (got < 0)
			return (status_t)got;
		if (got == 0)
			break;
		ssize_t written = to->Write(buffer.data(), got);
		if (written != got)
			return written < 0 ? (status_t)written : B_IO_ERROR;
	}
	return to->Sync();
}


// A file of a new name in the folder, locked; names are tried until one
// is free.
status_t
CreateWorkFile(const char* folder, const char* marker, BFile* file,
	BPath* path)
{
	std::random_device device;
	std::mt19937_64 random(((uint64)device() << 32) ^ device()
		^ (uint64)system_time());
	for (int tries = 0; tries < 100; tries++) {
		char name[32];
		snprintf(name, sizeof(name), "%s%016llx", marker,
			(unsigned long long)random());
		status_t status = path->SetTo(folder, name);
		if (status == B_OK) {
			status = file->SetTo(path->Path(),
				B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
		}
		if (status == B_FILE_EXISTS)
			continue;
		if (status != B_OK)
			return status;
		if (file->Lock() == B_OK && StillNamed(*file, path->Path()))
			return B_OK;
		file->Unset();
	}
	return B_ERROR;
}


void
SyncFolder(const char* folder)
{
	BDirectory directory(folder);
	if (directory.InitCheck() == B_OK)
		directory.Sync();
}

} // namespace


ListSaver::ListSaver()
	:
	fExisted(false),
	fInPlaceOnly(false)
{
}


ListSaver::~ListSaver()
{
	_Drop();
}


status_t
ListSaver::SetTo(const char* path)
{
	_Drop();
	fKeptPath.clear();
	status_t status = _ResolveTarget(path);
	if (status != B_OK)
		return status;

	BEntry entry(fTarget.Path());
	fExisted = entry.Exists();
	if (fExisted) {
		if (!entry.IsFile())
			return entry.IsDirectory() ? B_IS_A_DIRECTORY : B_NOT_ALLOWED;
		// The user must be allowed to write the list itself: the new file
		// only takes its place.
		status = _LockTarget();
		if (status != B_OK) {
			_Drop();
			return status;
		}
	}

	BPath folder;
	status = fTarget.GetParent(&folder);
	if (status != B_OK) {
		_Drop();
		return status;
	}
	_CleanFolder(folder.Path());
	_CleanFolder(kWorkFolder);
	status = CreateWorkFile(folder.Path(), kNewMarker, &fNew, &fNewPath);
	if (status != B_OK && fExisted) {
		// A folder that takes no new file, around a list the user may
		// write: the list is written in place, its copies kept aside.
		fNewPath.Unset();
		status = create_directory(kWorkFolder, 0700);
		if (status == B_OK) {
			status = CreateWorkFile(kWorkFolder, kNewMarker, &fNew,
				&fNewPath);
		}
		fInPlaceOnly = true;
	}
	if (status != B_OK) {
		fNewPath.Unset();
		_Drop();
		return status;
	}
	// The old list's permissions are given at Commit; until then nobody
	// else reads the new one.
	if (fExisted)
		fNew.SetPermissions(0600);
	return B_OK;
}


ssize_t
ListSaver::Write(const void* buffer, size_t size)
{
	return fNew.Write(buffer, size);
}


status_t
ListSaver::Commit(const char* type)
{
	if (fNew.InitCheck() != B_OK || fNewPath.InitCheck() != B_OK)
		return B_NO_INIT;
	BNodeInfo info(&fNew);
	info.SetType(type);
	status_t status = fNew.Sync();
	if (status == B_OK && !fExisted) {
		status = BEntry(fNewPath.Path()).Rename(fTarget.Path(), true);
		if (status == B_OK) {
			fNewPath.Unset();
			BPath folder;
			if (fTarget.GetParent(&folder) == B_OK)
				SyncFolder(folder.Path());
		}
	} else if (status == B_OK && (fInPlaceOnly || _Rename() != B_OK))
		status = _RewriteInPlace(type);
	_Drop();
	return status;
}


const char*
ListSaver::KeptPath() const
{
	return fKeptPath.empty() ? NULL : fKeptPath.c_str();
}


// The file the path finally leads to: a link's target is written, and a
// dangling link has its target made.
status_t
ListSaver::_ResolveTarget(const char* path)
{
	status_t status = fTarget.SetTo(path);
	for (int links = 0; status == B_OK; links++) {
		BEntry entry(fTarget.Path());
		status = entry.InitCheck();
		if (status != B_OK || !entry.IsSymLink())
			break;
		if (links == kMaxLinks)
			return B_LINK_LIMIT;
		BPath folder;
		BSymLink link(&entry);
		status = fTarget.GetParent(&folder);
		if (status == B_OK) {
			BPath next;
			ssize_t length = link.MakeLinkedPath(folder.Path(), &next);
			status = length < 0 ? (status_t)length : B_OK;
			if (status == B_OK)
				fTarget = next;
		}
	}
	return status;
}


// The list, opened for writing and locked, as its name leads to it once
// the lock is had: a save that renamed its file over the list meanwhile
// left the node waited for without a name.
status_t
ListSaver::_LockTarget()
{
	bigtime_t deadline = system_time() + kLockWait;
	while (true) {
		status_t status = fList.SetTo(fTarget.Path(), B_READ_WRITE);
		if (status != B_OK)
			return status;
		while ((status = fList.Lock()) == B_BUSY
			&& system_time() < deadline)
			snooze(kLockPoll);
		if (status != B_OK)
			return status;
		if (StillNamed(fList, fTarget.Path()))
			return B_OK;
		fList.Unset();
		if (system_time() >= deadline)
			return B_BUSY;
	}
}


// The new file takes the old one's name once it carries everything the
// old one had; where it cannot, nothing has changed and the list is
// written in place.
status_t
ListSaver::_Rename()
{
	struct stat old;
	struct stat mine;
	status_t status = fList.GetStat(&old);
	if (status == B_OK)
		status = fNew.GetStat(&mine);
	if (status != B_OK)
		return status;
	if (old.st_nlink != 1)
		return B_NOT_ALLOWED;
	if (old.st_uid != mine.st_uid
		&& (status = fNew.SetOwner(old.st_uid)) != B_OK)
		return status;
	if (old.st_gid != mine.st_gid
		&& (status = fNew.SetGroup(old.st_gid)) != B_OK)
		return status;

	// The old file's attributes, but for those the new one was given.
	char name[B_ATTR_NAME_LENGTH];
	fList.RewindAttrs();
	while (fList.GetNextAttrName(name) == B_OK) {
		attr_info info;
		if (fNew.GetAttrInfo(name, &info) == B_OK)
			continue;
		if ((status = fList.GetAttrInfo(name, &info)) != B_OK)
			return status;
		std::vector<char> data((size_t)info.size + 1);
		if (fList.ReadAttr(name, info.type, 0, data.data(), info.size)
				!= info.size
			|| fNew.WriteAttr(name, info.type, 0, data.data(), info.size)
				!= info.size)
			return B_ERROR;
	}
	// After the owner: a change of owner clears the set-id bits.
	if ((status = fNew.SetPermissions(old.st_mode & 07777)) != B_OK)
		return status;
	if ((status = BEntry(fNewPath.Path()).Rename(fTarget.Path(), true))
			!= B_OK)
		return status;
	fNewPath.Unset();
	BPath folder;
	if (fTarget.GetParent(&folder) == B_OK)
		SyncFolder(folder.Path());

	// The old node has no name left: what is kept for it beside the file
	// system goes with it.
	if (fList.GetStat(&old) == B_OK && old.st_nlink == 0) {
		std::vector<std::string> names;
		fList.RewindAttrs();
		while (fList.GetNextAttrName(name) == B_OK)
			names.push_back(name);
		for (const std::string& attribute : names)
			fList.RemoveAttr(attribute.c_str());
	}
	return B_OK;
}


// The list keeps its node, and so its links, owner, group and attributes:
// the new contents are written into it. A copy of the old contents is on
// the disk first and goes only once the new ones are; a failed rewrite
// puts it back, and a copy that cannot be put back stays.
status_t
ListSaver::_RewriteInPlace(const char* type)
{
	BPath folder;
	status_t status = fInPlaceOnly ? folder.SetTo(kWorkFolder)
		: fTarget.GetParent(&folder);
	BFile kept;
	BPath keptPath;
	if (status == B_OK)
		status = CreateWorkFile(folder.Path(), kKeptMarker, &kept, &keptPath);
	if (status != B_OK)
		return status;
	kept.SetPermissions(0600);
	status = CopyData(&fList, &kept);
	struct stat list;
	if (status == B_OK)
		status = fList.GetStat(&list);
	if (status == B_OK) {
		char record[B_PATH_NAME_LENGTH + 64];
		int length = snprintf(record, sizeof(record), "%llu %llu %s",
			(unsigned long long)list.st_dev, (unsigned long long)list.st_ino,
			fTarget.Path());
		if (length <= 0 || (size_t)length >= sizeof(record)
			|| kept.WriteAttr(kKeptForAttr, B_STRING_TYPE, 0, record,
				length + 1) != length + 1)
			status = B_ERROR;
	}
	if (status == B_OK)
		status = kept.Sync();
	if (status == B_OK)
		SyncFolder(folder.Path());
	if (status != B_OK) {
		// The list was not touched.
		BEntry(keptPath.Path()).Remove();
		return status;
	}

	status = CopyData(&fNew, &fList);
	if (status == B_OK) {
		BNodeInfo info(&fList);
		info.SetType(type);
		status = fList.Sync();
		if (status == B_OK) {
			BEntry(keptPath.Path()).Remove();
			return B_OK;
		}
	}
	if (CopyData(&kept, &fList) == B_OK)
		BEntry(keptPath.Path()).Remove();
	else
		fKeptPath = keptPath.Path();
	return status;
}


// What saves that are gone left in a folder: a new file goes, a kept copy
// is put back over its list first. A file whose lock cannot be taken
// belongs to a save that still runs, wherever that runs.
void
ListSaver::_CleanFolder(const char* folder)
{
	BDirectory directory(folder);
	if (directory.InitCheck() != B_OK)
		return;
	BEntry entry;
	while (directory.GetNextEntry(&entry) == B_OK) {
		char name[B_FILE_NAME_LENGTH];
		BPath path;
		if (entry.GetName(name) != B_OK || entry.GetPath(&path) != B_OK)
			continue;
		bool isNew = IsWorkFile(name, kNewMarker);
		if (!isNew && !IsWorkFile(name, kKeptMarker))
			continue;
		BFile file(path.Path(), B_READ_ONLY);
		if (file.InitCheck() != B_OK || file.Lock() != B_OK
			|| !StillNamed(file, path.Path()))
			continue;
		if (isNew || _PutBack(&file, name))
			entry.Remove();
	}
}


// A kept copy over the list it was made for, when that list is still the
// same file and no save holds it; true when the copy may go.
bool
ListSaver::_PutBack(BFile* kept, const char* name)
{
	char record[B_PATH_NAME_LENGTH + 64];
	ssize_t size = kept->ReadAttr(kKeptForAttr, B_STRING_TYPE, 0, record,
		sizeof(record) - 1);
	if (size <= 0) {
		// Never finished, so its list was never touched; a copy of an
		// older save, of a list unknown, is left alone.
		return IsOwnFormat(name, kKeptMarker);
	}
	record[size] = '\0';
	unsigned long long device;
	unsigned long long node;
	int pathStart = 0;
	if (sscanf(record, "%llu %llu %n", &device, &node, &pathStart) != 2
		|| pathStart == 0 || record[pathStart] != '/')
		return false;

	struct stat info;
	BFile other;
	BFile* list = NULL;
	if (fList.InitCheck() == B_OK && fList.GetStat(&info) == B_OK
		&& info.st_dev == (dev_t)device && info.st_ino == (ino_t)node)
		list = &fList;
	else if (other.SetTo(record + pathStart, B_READ_WRITE) == B_OK
		&& other.Lock() == B_OK && other.GetStat(&info) == B_OK
		&& info.st_dev == (dev_t)device && info.st_ino == (ino_t)node)
		list = &other;
	return list != NULL && CopyData(kept, list) == B_OK;
}


void
ListSaver::_Drop()
{
	if (fNewPath.InitCheck() == B_OK)
		BEntry(fNewPath.Path()).Remove();
	fNewPath.Unset();
	fNew.Unset();
	fList.Unset();
	fExisted = false;
	fInPlaceOnly = false;
}
