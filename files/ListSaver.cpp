#include "ListSaver.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <set>
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
// On a kept copy once it is whole: "<device> <node> <its own name> <the
// name of its new contents> <path>" of its list. A copy without it, or
// with a record that names another file (a node used again), was never
// finished, and its list never touched.
const char* kKeptForAttr = "Tolvex:kept_for";
const int kRandomDigits = 16;
const int kMaxLinks = 40;
// How long a save waits for another save of the same list.
const bigtime_t kLockWait = 5000000;
const bigtime_t kLockPoll = 20000;
const size_t kCopyBlock = 64 * 1024;

// How one file's contents stand to another's.
enum {
	kSameData,
	kStartOfData,
	kOtherData
};


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


// A link the kernel refuses to follow where links are protected: one in a
// sticky folder that everybody may write, owned neither by the user nor
// by the folder's owner. Another user's link there could lead a save to
// any file of this user's.
bool
FollowRefused(const struct stat& link, const struct stat& folder)
{
	return link.st_uid != geteuid()
		&& (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH)
		&& folder.st_uid != link.st_uid;
}


// A file that only this user can have put there, and that has no other
// name through which it could be somebody else's.
bool
IsOwnFile(const struct stat& info)
{
	return S_ISREG(info.st_mode) && info.st_uid == geteuid()
		&& info.st_nlink == 1;
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


// The file of that name in the folder, opened without following a link,
// when it is this user's own (see IsOwnFile) and still has that name.
status_t
OpenOwnFile(const char* path, uint32 mode, BFile* file)
{
	struct stat named;
	struct stat opened;
	status_t status = BEntry(path).GetStat(&named);
	if (status != B_OK)
		return status;
	if (!IsOwnFile(named))
		return B_NOT_ALLOWED;
	status = file->SetTo(path, mode | O_NOFOLLOW);
	if (status == B_OK)
		status = file->GetStat(&opened);
	if (status == B_OK && (!SameNode(named, opened) || !IsOwnFile(opened)))
		status = B_NOT_ALLOWED;
	if (status != B_OK)
		file->Unset();
	return status;
}


ssize_t
ReadBlock(BFile* file, char* buffer, size_t size)
{
	size_t done = 0;
	while (done < size) {
		ssize_t got = file->Read(buffer + done, size - done);
		if (got < 0)
			return got;
		if (got == 0)
			break;
		done += got;
	}
	return (ssize_t)done;
}


// kSameData, kStartOfData when the file holds a shorter start of the
// other's contents, or kOtherData; a file that cannot be read is other.
int
CompareData(BFile* file, BFile* with)
{
	if (file->Seek(0, SEEK_SET) != 0 || with->Seek(0, SEEK_SET) != 0)
		return kOtherData;
	std::vector<char> mine(kCopyBlock);
	std::vector<char> theirs(kCopyBlock);
	while (true) {
		ssize_t got = ReadBlock(file, mine.data(), mine.size());
		if (got < 0)
			return kOtherData;
		ssize_t other = ReadBlock(with, theirs.data(), got > 0 ? got : 1);
		if (other < 0)
			return kOtherData;
		if (got == 0)
			return other == 0 ? kSameData : kStartOfData;
		if (other != got || memcmp(mine.data(), theirs.data(), got) != 0)
			return kOtherData;
	}
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
// is free. It has the given permissions and group from the start, so
// that nobody the list keeps out can open it while it fills; a group the
// user may not give leaves it to the user alone.
status_t
CreateWorkFile(const char* folder, const char* marker, mode_t mode,
	gid_t group, BFile* file, BPath* path)
{
	std::random_device device;
	std::mt19937_64 random(((uint64)device() << 32) ^ device()
		^ (uint64)system_time());
	// The folder as the system names it: /boot paths are the kit's.
	BPath real;
	status_t status = BEntry(folder).GetPath(&real);
	if (status != B_OK)
		return status;
	folder = real.Path();
	// The user's own rights are needed to fill it and to read it back.
	bool asNewFile = mode == 0;
	mode = asNewFile ? 0666 : (mode & 0777) | 0600;
	for (int tries = 0; tries < 100; tries++) {
		char name[32];
		snprintf(name, sizeof(name), "%s%016llx", marker,
			(unsigned long long)random());
		status = path->SetTo(folder, name);
		if (status != B_OK)
			return status;
		int fd = open(path->Path(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW
			| O_NONBLOCK | O_CLOEXEC, asNewFile ? mode : mode & 0700);
		if (fd < 0 && errno == EEXIST)
			continue;
		if (fd < 0)
			return errno == EACCES || errno == EPERM ? B_PERMISSION_DENIED
				: errno == EROFS ? B_READ_ONLY_DEVICE : B_ERROR;
		struct stat created;
		if (fstat(fd, &created) != 0) {
			close(fd);
			unlink(path->Path());
			return B_ERROR;
		}
		if (!asNewFile) {
			bool grouped = created.st_gid == group
				|| fchown(fd, (uid_t)-1, group) == 0;
			fchmod(fd, grouped ? mode : mode & ~(mode_t)070);
		}
		struct stat opened;
		status = file->SetTo(path->Path(), B_READ_WRITE | O_NOFOLLOW);
		if (status == B_OK && (file->GetStat(&opened) != B_OK
				|| !SameNode(created, opened)))
			status = B_ERROR;
		close(fd);
		if (status == B_OK && file->Lock() == B_OK
			&& StillNamed(*file, path->Path()))
			return B_OK;
		file->Unset();
		// A file that could not be opened again is not left behind; one
		// locked by another save's clean-up goes with it.
		struct stat now;
		if (status != B_OK && lstat(path->Path(), &now) == 0
			&& SameNode(now, created))
			unlink(path->Path());
	}
	return B_ERROR;
}


typedef ListSaver::KeptRecord KeptRecord;

enum {
	kNoRecord,
	kOwnRecord,
	kUnknownRecord
};

// A kept copy's record: kNoRecord where there is none or where it names
// another file (it came with a node used again), so the copy was never
// finished; kUnknownRecord for one this save cannot read (an older
// save's), which is left alone.
int
ReadKeptRecord(BFile* kept, const char* name, KeptRecord* record)
{
	char text[B_PATH_NAME_LENGTH + 128];
	ssize_t size = kept->ReadAttr(kKeptForAttr, B_STRING_TYPE, 0, text,
		sizeof(text) - 1);
	if (size <= 0)
		return kNoRecord;
	text[size] = '\0';
	char ownName[B_FILE_NAME_LENGTH];
	int pathStart = 0;
	if (sscanf(text, "%llu %llu %255s %255s %n", &record->device,
			&record->node, ownName, record->newName, &pathStart) != 4
		|| pathStart == 0 || text[pathStart] != '/'
		|| !IsWorkFile(ownName, kKeptMarker)
		|| !IsWorkFile(record->newName, kNewMarker))
		return kUnknownRecord;
	if (strcmp(ownName, name) != 0)
		return kNoRecord;
	record->path = text + pathStart;
	return kOwnRecord;
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
	// A new list is made as any new file is; work files for an old one
	// are as private as it, in its group.
	mode_t mode = 0;
	gid_t group = (gid_t)-1;
	if (fExisted) {
		if (!entry.IsFile())
			return entry.IsDirectory() ? B_IS_A_DIRECTORY : B_NOT_ALLOWED;
		// The user must be allowed to write the list itself: the new file
		// only takes its place.
		status = _LockTarget();
		struct stat list;
		if (status == B_OK)
			status = fList.GetStat(&list);
		if (status != B_OK) {
			_Drop();
			return status;
		}
		mode = list.st_mode & 0777;
		group = list.st_gid;
	}

	BPath folder;
	status = fTarget.GetParent(&folder);
	if (status != B_OK) {
		_Drop();
		return status;
	}
	_CleanFolder(folder.Path(), false);
	_CleanFolder(kWorkFolder, true);
	status = CreateWorkFile(folder.Path(), kNewMarker, mode, group, &fNew,
		&fNewPath);
	if (status != B_OK && fExisted) {
		// A folder that takes no new file, around a list the user may
		// write: the list is written in place, its copies kept aside.
		fNewPath.Unset();
		status = create_directory(kWorkFolder, 0700);
		if (status == B_OK) {
			status = CreateWorkFile(kWorkFolder, kNewMarker, mode, group,
				&fNew, &fNewPath);
		}
		fInPlaceOnly = true;
	}
	if (status != B_OK) {
		fNewPath.Unset();
		_Drop();
		return status;
	}
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
// dangling link has its target made. A link is followed only where the
// kernel would follow it for this user with links protected.
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
		status = fTarget.GetParent(&folder);
		struct stat linkInfo;
		struct stat folderInfo;
		if (status == B_OK)
			status = entry.GetStat(&linkInfo);
		if (status == B_OK)
			status = BEntry(folder.Path(), true).GetStat(&folderInfo);
		if (status == B_OK && FollowRefused(linkInfo, folderInfo))
			return B_PERMISSION_DENIED;
		if (status == B_OK) {
			BPath next;
			BSymLink link(&entry);
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
		status_t status = fList.SetTo(fTarget.Path(),
			B_READ_WRITE | O_NOFOLLOW);
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
// the disk first, naming its list and the file of the new contents; a
// failed rewrite puts it back, and a copy that cannot be put back stays.
// The save is done once the list holds the new contents on the disk: a
// later save that finds the copy then sees that the list holds them all,
// and only drops it.
status_t
ListSaver::_RewriteInPlace(const char* type)
{
	BPath folder;
	status_t status = fInPlaceOnly ? folder.SetTo(kWorkFolder)
		: fTarget.GetParent(&folder);
	struct stat list;
	if (status == B_OK)
		status = fList.GetStat(&list);
	BFile kept;
	BPath keptPath;
	if (status == B_OK) {
		status = CreateWorkFile(folder.Path(), kKeptMarker,
			list.st_mode & 0777, list.st_gid, &kept, &keptPath);
	}
	if (status != B_OK)
		return status;
	status = CopyData(&fList, &kept);
	if (status == B_OK) {
		char record[B_PATH_NAME_LENGTH + 128];
		int length = snprintf(record, sizeof(record), "%llu %llu %s %s %s",
			(unsigned long long)list.st_dev, (unsigned long long)list.st_ino,
			keptPath.Leaf(), fNewPath.Leaf(), fTarget.Path());
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
			// Before the new contents, which tell a later save that this
			// one ended.
			BEntry(keptPath.Path()).Remove();
			return B_OK;
		}
	}
	if (CopyData(&kept, &fList) == B_OK)
		BEntry(keptPath.Path()).Remove();
	else {
		// The new contents stay with it, so that a later save can still
		// tell a list cut short.
		fKeptPath = keptPath.Path();
		fNewPath.Unset();
	}
	return status;
}


// What saves that are gone left in a folder: a new file goes, a kept copy
// is put back over its list first where that list was cut short. A file
// whose lock cannot be taken belongs to a save that still runs, wherever
// that runs. Only this user's own files are looked at, and they name only
// lists of this folder, but in the user's own work folder.
void
ListSaver::_CleanFolder(const char* folder, bool workFolder)
{
	BDirectory directory(folder);
	struct stat folderInfo;
	if (directory.InitCheck() != B_OK
		|| directory.GetStat(&folderInfo) != B_OK)
		return;
	if (workFolder && (folderInfo.st_uid != geteuid()
			|| (folderInfo.st_mode & 022) != 0))
		return;
	std::vector<std::string> keptNames;
	std::vector<std::string> newNames;
	BEntry entry;
	while (directory.GetNextEntry(&entry) == B_OK) {
		char name[B_FILE_NAME_LENGTH];
		if (entry.GetName(name) != B_OK)
			continue;
		if (IsWorkFile(name, kKeptMarker))
			keptNames.push_back(name);
		else if (IsWorkFile(name, kNewMarker))
			newNames.push_back(name);
	}

	// The new contents a kept copy names stay as long as it does: they
	// tell what it is for.
	std::set<std::string> named;
	for (const std::string& name : keptNames) {
		BPath path;
		BFile kept;
		KeptRecord record;
		if (path.SetTo(folder, name.c_str()) != B_OK
			|| OpenOwnFile(path.Path(), B_READ_ONLY, &kept) != B_OK)
			continue;
		int recorded = ReadKeptRecord(&kept, name.c_str(), &record);
		if (recorded == kOwnRecord)
			named.insert(record.newName);
		if (recorded == kUnknownRecord || kept.Lock() != B_OK
			|| !StillNamed(kept, path.Path()))
			continue;
		if (recorded == kNoRecord) {
			// Never finished, so its list was never touched; a copy of
			// an older save, of a list unknown, is left alone.
			if (IsOwnFormat(name.c_str(), kKeptMarker))
				BEntry(path.Path()).Remove();
			continue;
		}
		BPath newPath;
		if (newPath.SetTo(folder, record.newName) == B_OK
			&& _PutBack(&kept, record, folder, folderInfo, workFolder,
				newPath.Path())) {
			BEntry(path.Path()).Remove();
			BEntry(newPath.Path()).Remove();
		}
	}

	for (const std::string& name : newNames) {
		BPath path;
		BFile file;
		if (named.count(name) != 0 || path.SetTo(folder, name.c_str()) != B_OK
			|| OpenOwnFile(path.Path(), B_READ_ONLY, &file) != B_OK)
			continue;
		if (file.Lock() == B_OK && StillNamed(file, path.Path()))
			BEntry(path.Path()).Remove();
	}
}


// A kept copy over its list where the list was cut short by its rewrite
// (it holds a start of the new contents, or of the old ones being put
// back); true when the copy and its new contents may go: put back, or the
// rewrite ended, or never began. A list changed since, or one that is not
// the same file of the same user in the same folder, is left alone.
bool
ListSaver::_PutBack(BFile* kept, const KeptRecord& record, const char* folder,
	const struct stat& folderInfo, bool workFolder, const char* newPath)
{
	BFile fresh;
	if (OpenOwnFile(newPath, B_READ_ONLY, &fresh) != B_OK
		|| fresh.Lock() != B_OK || !StillNamed(fresh, newPath))
		return false;

	BPath listPath;
	if (workFolder) {
		if (listPath.SetTo(record.path.c_str()) != B_OK)
			return false;
	} else {
		// Only by its name in this folder, whatever the path says.
		BPath named(record.path.c_str());
		BPath namedFolder;
		struct stat info;
		if (named.InitCheck() != B_OK || named.GetParent(&namedFolder) != B_OK
			|| BEntry(namedFolder.Path(), true).GetStat(&info) != B_OK
			|| !SameNode(info, folderInfo)
			|| listPath.SetTo(folder, named.Leaf()) != B_OK)
			return false;
	}

	struct stat info;
	BFile other;
	BFile* list = NULL;
	if (BEntry(listPath.Path()).GetStat(&info) != B_OK
		|| !S_ISREG(info.st_mode) || info.st_uid != geteuid()
		|| info.st_dev != (dev_t)record.device
		|| info.st_ino != (ino_t)record.node)
		return false;
	struct stat mine;
	if (fList.InitCheck() == B_OK && fList.GetStat(&mine) == B_OK
		&& SameNode(mine, info))
		list = &fList;
	else if (other.SetTo(listPath.Path(), B_READ_WRITE | O_NOFOLLOW) == B_OK
		&& other.Lock() == B_OK && other.GetStat(&mine) == B_OK
		&& SameNode(mine, info))
		list = &other;
	if (list == NULL)
		return false;

	int done = CompareData(list, &fresh);
	if (done == kSameData)
		return true;
	int old = CompareData(list, kept);
	if (old == kSameData)
		return true;
	if (done != kStartOfData && old != kStartOfData)
		return false;
	return CopyData(kept, list) == B_OK;
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
