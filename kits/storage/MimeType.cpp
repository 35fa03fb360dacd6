#include <MimeType.h>

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <fnmatch.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <Path.h>
#include <TypeConstants.h>

#include "private/storage/AtomicFile.h"
#include "private/storage/Attributes.h"
#include "private/storage/BootPaths.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/SharedMimeInfo.h"

namespace {

const char* kTypeAttr = "META:TYPE";
const char* kShortDescriptionAttr = "META:S:DESC";
const char* kLongDescriptionAttr = "META:L:DESC";
const char* kPreferredAppAttr = "META:PREF_APP";
const char* kExtensionsAttr = "META:EXTENS";
const char* kLargeIconAttr = "META:L:ICON";
const char* kMiniIconAttr = "META:M:ICON";
const char* kAppHintAttr = "META:PPATH";
const char* kSnifferRuleAttr = "META:SNIFF_RULE";

const type_code kLargeIconType = 'ICON';
const type_code kMiniIconType = 'MICN';

// Names of entries on their way in and out of the database; '@' never
// occurs in a type, so they are never taken for one.
const char* kNewMarker = "@new-";
const char* kDeletedMarker = "@del-";

const char* kAllAttrs[] = { kTypeAttr, kShortDescriptionAttr,
	kLongDescriptionAttr, kPreferredAppAttr, kExtensionsAttr, kLargeIconAttr,
	kMiniIconAttr, kAppHintAttr, kSnifferRuleAttr };


std::string
DatabaseFolder()
{
	return BPrivate::DataFolder() + "/beos_mime";
}


bool
IconSize(icon_size size, const char** name, type_code* type, int32* side)
{
	switch (size) {
		case B_LARGE_ICON:
			*name = kLargeIconAttr;
			*type = kLargeIconType;
			*side = 32;
			return true;
		case B_MINI_ICON:
			*name = kMiniIconAttr;
			*type = kMiniIconType;
			*side = 16;
			return true;
	}
	return false;
}


bool
FitsIcon(const BBitmap* icon, int32 side)
{
	if (icon == NULL || icon->InitCheck() != B_OK
		|| icon->ColorSpace() != B_CMAP8)
		return false;
	BRect bounds = icon->Bounds();
	return bounds.IntegerWidth() + 1 == side
		&& bounds.IntegerHeight() + 1 == side
		&& icon->BytesPerRow() >= side;
}


// What the extensions of the installed types were read from: each folder
// and type file of the database (a type added, removed or changed changes
// one of them), and where the fallback store keeps a type's attributes.
struct Stamp {
	std::string			path;
	bool				exists;
	ino_t				node;
	struct timespec		modified;
	struct timespec		changed;
};

struct InstalledTypes {
	std::vector<Stamp>	stamps;
	// Each installed type with its extensions.
	std::vector<std::pair<std::string, std::vector<std::string> > > types;
};

std::mutex sInstalledLock;
InstalledTypes sInstalled;


Stamp
StampOf(const std::string& path)
{
	Stamp stamp = { path, false, 0, { 0, 0 }, { 0, 0 } };
	struct stat st;
	if (lstat(path.c_str(), &st) == 0) {
		stamp.exists = true;
		stamp.node = st.st_ino;
		stamp.modified = st.st_mtim;
		stamp.changed = st.st_ctim;
	}
	return stamp;
}


bool
SameStamp(const Stamp& one, const Stamp& other)
{
	return one.path == other.path && one.exists == other.exists
		&& one.node == other.node
		&& one.modified.tv_sec == other.modified.tv_sec
		&& one.modified.tv_nsec == other.modified.tv_nsec
		&& one.changed.tv_sec == other.changed.tv_sec
		&& one.changed.tv_nsec == other.changed.tv_nsec;
}


// Whether what the cache was read from is as it was: one stat for each
// folder and type.
bool
StampsHold(const std::vector<Stamp>& stamps)
{
	if (stamps.empty())
		return false;
	for (const Stamp& stamp : stamps) {
		if (!SameStamp(stamp, StampOf(stamp.path)))
			return false;
	}
	return true;
}


void
ReadInstalledTypes(InstalledTypes* installed)
{
	installed->stamps.clear();
	installed->types.clear();
	std::string root = DatabaseFolder();
	installed->stamps.push_back(StampOf(root));
	DIR* supertypes = opendir(root.c_str());
	if (supertypes == NULL)
		return;
	while (struct dirent* super = readdir(supertypes)) {
		if (super->d_name[0] == '.' || super->d_name[0] == '@')
			continue;
		std::string folder = root + "/" + super->d_name;
		installed->stamps.push_back(StampOf(folder));
		DIR* subtypes = opendir(folder.c_str());
		if (subtypes == NULL)
			continue;
		while (struct dirent* sub = readdir(subtypes)) {
			if (sub->d_name[0] == '.' || strchr(sub->d_name, '@') != NULL)
				continue;
			std::string file = folder + "/" + sub->d_name;
			Stamp stamp = StampOf(file);
			installed->stamps.push_back(stamp);
			struct stat st;
			if (stat(file.c_str(), &st) == 0) {
				installed->stamps.push_back(StampOf(
					BPrivate::AttributeFallbackFolder(st.st_dev, st.st_ino)));
			}
			std::string name = std::string(super->d_name) + "/" + sub->d_name;
			BMimeType type(name.c_str());
			BMessage message;
			if (type.InitCheck() != B_OK || !type.IsInstalled()
				|| type.GetFileExtensions(&message) != B_OK)
				continue;
			std::vector<std::string> extensions;
			const char* extension;
			for (int32 i = 0; message.FindString("extensions", i,
					&extension) == B_OK; i++)
				extensions.push_back(extension);
			installed->types.push_back(std::make_pair(name, extensions));
		}
		closedir(subtypes);
	}
	closedir(supertypes);
}


// The types installed in our own database whose extensions the name has;
// the longest extension wins. The database is read again only when one
// of its folders or types changed: many files handed over at once each
// asked for it.
std::string
TypeByInstalledExtension(const std::string& leaf)
{
	std::lock_guard<std::mutex> lock(sInstalledLock);
	if (!StampsHold(sInstalled.stamps))
		ReadInstalledTypes(&sInstalled);
	std::string best;
	size_t matched = 0;
	for (const auto& type : sInstalled.types) {
		for (const std::string& extension : type.second) {
			size_t length = extension.size();
			if (length == 0 || length + 1 > leaf.size() || length <= matched)
				continue;
			size_t dot = leaf.size() - length - 1;
			if (leaf[dot] == '.'
				&& strcasecmp(leaf.c_str() + dot + 1, extension.c_str()) == 0) {
				matched = length;
				best = type.first;
			}
		}
	}
	return best;
}


// One glob of a globs2 file. Most are "*.ext" or a whole name, found by
// their text; the rest are matched one by one.
struct Glob {
	int					weight;
	size_t				length;
	// Which glob of all the files, in reading order: of equal weight and
	// length, the first read (the user's database first) wins.
	size_t				order;
	bool				caseSensitive;
	std::string			pattern;
	std::string			type;
	// The literal text before the first and after the last wildcard, as
	// a name to match must hold them (lower case without "cs"): most
	// names are passed over without fnmatch.
	std::string			head;
	std::string			tail;
};

// The globs2 files as they were read, and what they were read from: a
// file is read again only when it changed (another node, size or time).
struct GlobCache {
	struct Source {
		std::string		path;
		bool			exists;
		dev_t			device;
		ino_t			node;
		off_t			size;
		struct timespec	modified;
	};

	std::vector<Source>	sources;
	// Extensions and whole names without case (lower case), and with it.
	std::unordered_map<std::string, std::vector<Glob> > byExtension;
	std::unordered_map<std::string, std::vector<Glob> > byExtensionCase;
	std::unordered_map<std::string, std::vector<Glob> > byName;
	std::unordered_map<std::string, std::vector<Glob> > byNameCase;
	std::vector<Glob>	others;
};

std::mutex sGlobLock;
GlobCache sGlobs;


std::string
LowerAscii(const std::string& text)
{
	std::string lower(text);
	for (char& c : lower)
		c = (char)tolower((unsigned char)c);
	return lower;
}


bool
HasWildcard(const char* text)
{
	return strpbrk(text, "*?[\\") != NULL;
}


GlobCache::Source
Look(const std::string& path)
{
	GlobCache::Source source = { path, false, 0, 0, 0, { 0, 0 } };
	struct stat st;
	if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
		source.exists = true;
		source.device = st.st_dev;
		source.node = st.st_ino;
		source.size = st.st_size;
		source.modified = st.st_mtim;
	}
	return source;
}


bool
Same(const GlobCache::Source& one, const GlobCache::Source& other)
{
	return one.path == other.path && one.exists == other.exists
		&& (!one.exists || (one.device == other.device
			&& one.node == other.node && one.size == other.size
			&& one.modified.tv_sec == other.modified.tv_sec
			&& one.modified.tv_nsec == other.modified.tv_nsec));
}


void
ReadGlobs(GlobCache* cache)
{
	cache->byExtension.clear();
	cache->byExtensionCase.clear();
	cache->byName.clear();
	cache->byNameCase.clear();
	cache->others.clear();
	size_t order = 0;
	for (const GlobCache::Source& source : cache->sources) {
		if (!source.exists)
			continue;
		FILE* globs = fopen(source.path.c_str(), "re");
		if (globs == NULL)
			continue;
		char line[1024];
		while (fgets(line, sizeof(line), globs) != NULL) {
			if (line[0] == '#')
				continue;
			line[strcspn(line, "\r\n")] = '\0';
			char* type = strchr(line, ':');
			char* pattern = type != NULL ? strchr(type + 1, ':') : NULL;
			if (pattern == NULL)
				continue;
			*type++ = '\0';
			*pattern++ = '\0';
			char* flags = strchr(pattern, ':');
			if (flags != NULL)
				*flags++ = '\0';
			Glob glob;
			glob.weight = atoi(line);
			glob.length = strlen(pattern);
			glob.order = order++;
			glob.caseSensitive = flags != NULL && strstr(flags, "cs") != NULL;
			glob.pattern = pattern;
			glob.type = type;
			if (pattern[0] == '*' && pattern[1] == '.' && pattern[2] != '\0'
				&& !HasWildcard(pattern + 2)) {
				std::string extension(pattern + 2);
				if (glob.caseSensitive)
					cache->byExtensionCase[extension].push_back(glob);
				else
					cache->byExtension[LowerAscii(extension)].push_back(glob);
			} else if (pattern[0] != '\0' && !HasWildcard(pattern)) {
				if (glob.caseSensitive)
					cache->byNameCase[pattern].push_back(glob);
				else
					cache->byName[LowerAscii(pattern)].push_back(glob);
			} else {
				std::string text = glob.caseSensitive ? glob.pattern
					: LowerAscii(glob.pattern);
				size_t first = text.find_first_of("*?[\\");
				size_t last = text.find_last_of("*?[]\\");
				glob.head = text.substr(0, first);
				glob.tail = last == std::string::npos ? std::string()
					: text.substr(last + 1);
				cache->others.push_back(glob);
			}
		}
		fclose(globs);
	}
}


// The better of two globs that both match: the highest weight, then the
// longest pattern, then the first read.
bool
Better(const Glob& glob, const Glob* best)
{
	if (best == NULL)
		return true;
	if (glob.weight != best->weight)
		return glob.weight > best->weight;
	if (glob.length != best->length)
		return glob.length > best->length;
	return glob.order < best->order;
}


void
Consider(const std::unordered_map<std::string, std::vector<Glob> >& map,
	const std::string& key, const Glob** best)
{
	std::unordered_map<std::string, std::vector<Glob> >::const_iterator
		found = map.find(key);
	if (found == map.end())
		return;
	for (const Glob& glob : found->second) {
		if (Better(glob, *best))
			*best = &glob;
	}
}


// The desktop's type for the name, from the globs2 files of the shared
// MIME databases (the user's first): the highest weight, then the longest
// pattern, wins; a pattern is matched without case unless it says "cs".
// The files are read once, and again only when one of them changes: many
// files handed over at once each asked for them.
std::string
TypeBySharedGlobs(const std::string& leaf)
{
	std::vector<GlobCache::Source> sources;
	sources.push_back(Look(BPrivate::DataFolder() + "/mime/globs2"));
	for (const std::string& folder : BPrivate::SystemDataFolders())
		sources.push_back(Look(folder + "/mime/globs2"));

	std::lock_guard<std::mutex> lock(sGlobLock);
	bool same = sources.size() == sGlobs.sources.size();
	for (size_t i = 0; same && i < sources.size(); i++)
		same = Same(sources[i], sGlobs.sources[i]);
	if (!same) {
		sGlobs.sources = sources;
		ReadGlobs(&sGlobs);
	}

	const Glob* best = NULL;
	std::string lower = LowerAscii(leaf);
	Consider(sGlobs.byName, lower, &best);
	Consider(sGlobs.byNameCase, leaf, &best);
	for (size_t dot = leaf.find('.'); dot != std::string::npos;
			dot = leaf.find('.', dot + 1)) {
		Consider(sGlobs.byExtension, lower.substr(dot + 1), &best);
		Consider(sGlobs.byExtensionCase, leaf.substr(dot + 1), &best);
	}
	for (const Glob& glob : sGlobs.others) {
		const std::string& name = glob.caseSensitive ? leaf : lower;
		if (name.size() < glob.head.size() + glob.tail.size()
			|| name.compare(0, glob.head.size(), glob.head) != 0
			|| name.compare(name.size() - glob.tail.size(), glob.tail.size(),
				glob.tail) != 0
			|| !Better(glob, best))
			continue;
		if (fnmatch(glob.pattern.c_str(), leaf.c_str(),
				glob.caseSensitive ? 0 : FNM_CASEFOLD) == 0)
			best = &glob;
	}
	return best != NULL ? best->type : std::string();
}

} // namespace


BMimeType::BMimeType()
	:
	fStatus(B_NO_INIT)
{
}


BMimeType::BMimeType(const char* type)
	:
	fStatus(B_NO_INIT)
{
	SetTo(type);
}


BMimeType::~BMimeType()
{
}


status_t
BMimeType::SetTo(const char* type)
{
	Unset();
	if (type == NULL)
		return fStatus = B_BAD_VALUE;
	if (!IsValid(type))
		return fStatus = B_BAD_VALUE;
	fType = type;
	return fStatus = B_OK;
}


void
BMimeType::Unset()
{
	fType.clear();
	fPending.clear();
	fStatus = B_NO_INIT;
}


status_t
BMimeType::InitCheck() const
{
	return fStatus;
}


const char*
BMimeType::Type() const
{
	return fStatus == B_OK ? fType.c_str() : NULL;
}


bool
BMimeType::IsValid() const
{
	return fStatus == B_OK && IsValid(fType.c_str());
}


bool
BMimeType::IsValid(const char* type)
{
	if (type == NULL)
		return false;
	size_t length = strlen(type);
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return false;
	const char* slash = strchr(type, '/');
	if (slash == type || (slash != NULL && slash[1] == '\0'))
		return false;
	for (const char* c = type; *c != '\0'; c++) {
		unsigned char ch = (unsigned char)*c;
		if (c == slash)
			continue;
		if (ch <= 0x20 || ch >= 0x7f || strchr("()<>@,;:\\\"/[]?=", ch))
			return false;
	}
	return true;
}


// The kits' database is the reference and the desktop's holds a copy: a
// type installed when publishing could not be done (or by an older
// Tolvex) is published whenever it is looked at, so that registering
// again repairs it. A type that a database the desktop reads describes
// already (a package installed it for the whole system) is installed as
// it stands: no copy of it goes into the user's data folder.
bool
BMimeType::IsInstalled() const
{
	bool isSubtype = fType.find('/') != std::string::npos;
	if (_CheckInstalled() != B_OK) {
		return fStatus == B_OK && isSubtype
			&& BPrivate::DesktopHasType(fType.c_str());
	}
	if (isSubtype
		&& access(BPrivate::SharedMimePackagePath(fType.c_str()).c_str(),
			F_OK) != 0
		&& !BPrivate::DesktopHasType(fType.c_str()))
		_Publish();
	return true;
}


status_t
BMimeType::_CheckInstalled() const
{
	if (fStatus != B_OK)
		return fStatus;
	std::string path = _DatabasePath();
	struct stat st;
	if (lstat(path.c_str(), &st) != 0) {
		return errno == ENOENT || errno == ENOTDIR
			? B_ENTRY_NOT_FOUND : BPrivate::StatusFromErrno(errno);
	}
	if (fType.find('/') == std::string::npos)
		return S_ISDIR(st.st_mode) ? B_OK : B_ENTRY_NOT_FOUND;
	// A folder, a link, a file that cannot be read or one without its
	// attributes is no type: registering writes a whole one in its place.
	if (!S_ISREG(st.st_mode))
		return B_ENTRY_NOT_FOUND;
	int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK
		| O_CLOEXEC);
	if (fd < 0)
		return B_ENTRY_NOT_FOUND;
	type_code type;
	std::string data;
	status_t status = BPrivate::GetAttribute(fd, kTypeAttr, &type, &data,
		B_MIME_TYPE_LENGTH);
	close(fd);
	if (status != B_OK || data.empty())
		return B_ENTRY_NOT_FOUND;
	return B_OK;
}


// What a writer killed half-way left in the database: its files, and
// their attributes where the fallback store keeps them apart.
void
BMimeType::_RemoveLeftovers(const std::string& folder) const
{
	for (const char* marker : { kNewMarker, kDeletedMarker }) {
		for (const std::string& leftover
				: BPrivate::LeftoversOfGoneWriters(folder, marker)) {
			struct stat st;
			if (lstat(leftover.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
				continue;
			{
				BNode node(leftover.c_str());
				for (const char* name : kAllAttrs)
					node.RemoveAttr(name);
			}
			unlink(leftover.c_str());
		}
	}
}


status_t
BMimeType::Install()
{
	if (fStatus != B_OK)
		return fStatus;
	if (IsInstalled())
		return B_FILE_EXISTS;
	return _WriteEntry(true);
}


status_t
BMimeType::_WriteEntry(bool publish)
{
	std::string path = _DatabasePath();
	bool isSupertype = fType.find('/') == std::string::npos;
	status_t status = BPrivate::CreateFolders(isSupertype
		? DatabaseFolder() : path.substr(0, path.rfind('/')));
	if (status != B_OK)
		return status;

	// Every property is written to a new file that is then linked into
	// place, so no one sees a type with half its properties, and a type
	// installed meanwhile by someone else is not touched.
	if (!isSupertype)
		_RemoveLeftovers(path.substr(0, path.rfind('/')));

	std::string temp;
	if (isSupertype) {
		temp = path;
		if (mkdir(path.c_str(), 0755) != 0)
			return errno == EEXIST ? B_FILE_EXISTS
				: BPrivate::StatusFromErrno(errno);
	} else {
		// '@' never occurs in a type, so the file is never taken for one.
		temp = path.substr(0, path.rfind('/')) + "/" + kNewMarker
			+ std::to_string(getpid()) + "-" + fType.substr(fType.find('/') + 1);
		if (temp.size() - temp.rfind('/') > 200)
			temp.resize(temp.rfind('/') + 200);
		int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
			0644);
		if (fd < 0)
			return BPrivate::StatusFromErrno(errno);
		close(fd);
	}

	BNode node(temp.c_str());
	status = node.InitCheck();
	if (status == B_OK) {
		ssize_t written = node.WriteAttr(kTypeAttr, B_MIME_STRING_TYPE, 0,
			fType.c_str(), fType.size() + 1);
		if (written < 0)
			status = (status_t)written;
	}
	for (std::map<std::string, Value>::const_iterator it = fPending.begin();
			status == B_OK && it != fPending.end(); it++) {
		ssize_t written = node.WriteAttr(it->first.c_str(), it->second.type,
			0, it->second.data.data(), it->second.data.size());
		if (written < 0)
			status = (status_t)written;
	}
	// The desktop's database first: a type counts as installed only once
	// it is published, so a failure here, or a kill, leaves it to the next
	// registration to do both.
	if (status == B_OK && publish)
		status = _Publish();
	if (status == B_OK && !isSupertype) {
		if (link(temp.c_str(), path.c_str()) != 0) {
			status = errno == EEXIST
				? B_FILE_EXISTS : BPrivate::StatusFromErrno(errno);
		}
		// A damaged entry in the type's place is replaced; a whole one
		// that someone installed meanwhile is not.
		if (status == B_FILE_EXISTS
			&& _CheckInstalled() == B_ENTRY_NOT_FOUND) {
			struct stat st;
			if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
				rmdir(path.c_str());
			status = rename(temp.c_str(), path.c_str()) == 0
				? B_OK : BPrivate::StatusFromErrno(errno);
		}
	}
	if (!isSupertype || status != B_OK) {
		// The fallback store keys attributes by node: they go with it.
		if (status != B_OK && node.InitCheck() == B_OK) {
			for (const char* name : kAllAttrs)
				node.RemoveAttr(name);
		}
		if (isSupertype)
			rmdir(temp.c_str());
		else
			unlink(temp.c_str());
	}
	if (status != B_OK)
		return status;

	fPending.clear();
	return B_OK;
}


status_t
BMimeType::Delete()
{
	if (fStatus != B_OK)
		return fStatus;
	status_t status = _CheckInstalled();
	if (status != B_OK)
		return status;
	std::string path = _DatabasePath();
	bool isSupertype = fType.find('/') == std::string::npos;
	if (isSupertype) {
		if (rmdir(path.c_str()) != 0)
			return BPrivate::StatusFromErrno(errno);
		return B_OK;
	}

	// The entry leaves the database whole, or not at all: only once it is
	// out of the type's place are its attributes taken away.
	static std::atomic<uint32> sCounter(0);
	std::string folder = path.substr(0, path.rfind('/'));
	std::string aside = folder + "/" + kDeletedMarker
		+ std::to_string(getpid()) + "-" + std::to_string(sCounter++);
	if (rename(path.c_str(), aside.c_str()) != 0)
		return BPrivate::StatusFromErrno(errno);
	{
		// A fallback store would otherwise keep them for a later file of
		// the same node.
		BNode node(aside.c_str());
		for (const char* name : kAllAttrs)
			node.RemoveAttr(name);
	}
	unlink(aside.c_str());
	BPrivate::UnpublishSharedMimeType(fType.c_str());
	return B_OK;
}


status_t
BMimeType::GetShortDescription(char* description) const
{
	return _ReadString(kShortDescriptionAttr, description,
		B_MIME_TYPE_LENGTH);
}


status_t
BMimeType::SetShortDescription(const char* description)
{
	status_t status = _WriteString(kShortDescriptionAttr, description);
	if (status == B_OK && _CheckInstalled() == B_OK)
		_Publish();
	return status;
}


status_t
BMimeType::GetLongDescription(char* description) const
{
	return _ReadString(kLongDescriptionAttr, description, B_MIME_TYPE_LENGTH);
}


status_t
BMimeType::SetLongDescription(const char* description)
{
	return _WriteString(kLongDescriptionAttr, description);
}


status_t
BMimeType::GetPreferredApp(char* signature, app_verb verb) const
{
	if (verb != B_OPEN)
		return B_BAD_VALUE;
	return _ReadString(kPreferredAppAttr, signature, B_MIME_TYPE_LENGTH);
}


status_t
BMimeType::SetPreferredApp(const char* signature, app_verb verb)
{
	if (verb != B_OPEN)
		return B_BAD_VALUE;
	if (signature != NULL && !IsValid(signature))
		return B_BAD_VALUE;
	return _WriteString(kPreferredAppAttr, signature);
}


status_t
BMimeType::GetFileExtensions(BMessage* extensions) const
{
	if (extensions == NULL)
		return B_BAD_VALUE;
	std::string data;
	status_t status = _Read(kExtensionsAttr, &data);
	if (status != B_OK)
		return status;
	BMessage message;
	status = message.Unflatten(data.data(), (ssize_t)data.size());
	if (status != B_OK)
		return B_BAD_DATA;
	*extensions = message;
	return B_OK;
}


status_t
BMimeType::SetFileExtensions(const BMessage* extensions)
{
	if (extensions == NULL)
		return _Write(kExtensionsAttr, B_MESSAGE_TYPE, NULL);
	ssize_t size = extensions->FlattenedSize();
	if (size < 0)
		return (status_t)size;
	std::string data(size, '\0');
	status_t status = extensions->Flatten(&data[0], size);
	if (status != B_OK)
		return status;
	status = _Write(kExtensionsAttr, B_MESSAGE_TYPE, &data);
	if (status == B_OK && _CheckInstalled() == B_OK)
		_Publish();
	return status;
}


status_t
BMimeType::GetIcon(BBitmap* icon, icon_size size) const
{
	const char* name;
	type_code type;
	int32 side;
	if (!IconSize(size, &name, &type, &side) || !FitsIcon(icon, side))
		return B_BAD_VALUE;
	std::string data;
	status_t status = _Read(name, &data);
	if (status != B_OK)
		return status;
	if (data.size() != (size_t)side * side)
		return B_BAD_DATA;
	uint8* bits = (uint8*)icon->Bits();
	for (int32 row = 0; row < side; row++)
		memcpy(bits + row * icon->BytesPerRow(), data.data() + row * side, side);
	return B_OK;
}


status_t
BMimeType::SetIcon(const BBitmap* icon, icon_size size)
{
	const char* name;
	type_code type;
	int32 side;
	if (!IconSize(size, &name, &type, &side))
		return B_BAD_VALUE;
	if (icon == NULL)
		return _Write(name, type, NULL);
	if (!FitsIcon(icon, side))
		return B_BAD_VALUE;
	std::string data;
	const uint8* bits = (const uint8*)icon->Bits();
	for (int32 row = 0; row < side; row++)
		data.append((const char*)bits + row * icon->BytesPerRow(), side);
	return _Write(name, type, &data);
}


status_t
BMimeType::GetAppHint(entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	char path[B_PATH_NAME_LENGTH];
	status_t status = _ReadString(kAppHintAttr, path, sizeof(path));
	if (status != B_OK)
		return status;
	return get_ref_for_path(path, ref);
}


status_t
BMimeType::SetAppHint(const entry_ref* ref)
{
	if (ref == NULL)
		return _Write(kAppHintAttr, B_STRING_TYPE, NULL);
	BPath path(ref);
	if (path.InitCheck() != B_OK)
		return path.InitCheck();
	return _WriteString(kAppHintAttr, path.Path());
}


status_t
BMimeType::SetSnifferRule(const char* rule)
{
	BPrivate::SharedMimeMagic magic;
	if (rule != NULL && rule[0] != '\0'
		&& !BPrivate::ParseSnifferRule(rule, &magic))
		return B_BAD_MIME_SNIFFER_RULE;
	std::string data;
	if (rule != NULL && rule[0] != '\0')
		data.assign(rule, strlen(rule) + 1);
	status_t status = _Write(kSnifferRuleAttr, B_STRING_TYPE,
		data.empty() ? NULL : &data);
	if (status == B_OK && _CheckInstalled() == B_OK)
		_Publish();
	return status;
}


status_t
BMimeType::GuessMimeType(const char* filename, BMimeType* type)
{
	if (filename == NULL || type == NULL)
		return B_BAD_VALUE;
	const char* slash = strrchr(filename, '/');
	std::string leaf(slash != NULL ? slash + 1 : filename);
	if (leaf.empty())
		return B_BAD_VALUE;
	std::string found = TypeByInstalledExtension(leaf);
	if (found.empty())
		found = TypeBySharedGlobs(leaf);
	if (found.empty())
		return B_ENTRY_NOT_FOUND;
	return type->SetTo(found.c_str());
}


std::string
BMimeType::_DatabasePath() const
{
	std::string lower(fType);
	for (char& c : lower)
		c = (char)tolower((unsigned char)c);
	return DatabaseFolder() + "/" + lower;
}


status_t
BMimeType::_Read(const char* name, std::string* data) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (_CheckInstalled() != B_OK) {
		std::map<std::string, Value>::const_iterator found
			= fPending.find(name);
		if (found == fPending.end())
			return B_ENTRY_NOT_FOUND;
		*data = found->second.data;
		return B_OK;
	}
	BNode node(_DatabasePath().c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	attr_info info;
	status_t status = node.GetAttrInfo(name, &info);
	if (status != B_OK)
		return status;
	data->assign((size_t)info.size, '\0');
	ssize_t read = node.ReadAttr(name, info.type, 0, &(*data)[0],
		data->size());
	if (read < 0)
		return (status_t)read;
	data->resize(read);
	return B_OK;
}


status_t
BMimeType::_ReadString(const char* name, char* buffer, size_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	std::string data;
	status_t status = _Read(name, &data);
	if (status != B_OK)
		return status;
	size_t end = data.find('\0');
	if (end != std::string::npos)
		data.resize(end);
	// Never cut: a value too long for the caller's buffer is reported.
	if (data.size() >= size)
		return B_BAD_DATA;
	memcpy(buffer, data.c_str(), data.size() + 1);
	return B_OK;
}


status_t
BMimeType::_Write(const char* name, type_code type, const std::string* data)
{
	if (fStatus != B_OK)
		return fStatus;
	if (_CheckInstalled() != B_OK) {
		if (data == NULL)
			fPending.erase(name);
		else {
			Value& value = fPending[name];
			value.type = type;
			value.data = *data;
		}
		// A type the desktop describes is installed: a property set on it
		// is the user's own, kept in an entry of the kits' database that
		// the desktop needs no copy of.
		if (data != NULL && IsInstalled())
			return _WriteEntry(false);
		return B_OK;
	}
	BNode node(_DatabasePath().c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	if (data == NULL) {
		status_t status = node.RemoveAttr(name);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	ssize_t written = node.WriteAttr(name, type, 0, data->data(),
		data->size());
	return written < 0 ? (status_t)written : B_OK;
}


status_t
BMimeType::_WriteString(const char* name, const char* text)
{
	if (text == NULL)
		return _Write(name, B_STRING_TYPE, NULL);
	if (strlen(text) >= B_MIME_TYPE_LENGTH
		&& strcmp(name, kAppHintAttr) != 0)
		return B_BAD_VALUE;
	std::string data(text, strlen(text) + 1);
	type_code type = strcmp(name, kPreferredAppAttr) == 0
		? B_MIME_STRING_TYPE : B_STRING_TYPE;
	return _Write(name, type, &data);
}


status_t
BMimeType::_Publish() const
{
	if (fType.find('/') == std::string::npos)
		return B_OK;
	char description[B_MIME_TYPE_LENGTH];
	if (GetShortDescription(description) != B_OK)
		description[0] = '\0';
	std::vector<std::string> extensions;
	BMessage message;
	if (GetFileExtensions(&message) == B_OK) {
		const char* extension;
		for (int32 i = 0;
				message.FindString("extensions", i, &extension) == B_OK; i++)
			extensions.push_back(extension);
	}
	std::vector<BPrivate::SharedMimeMagic> magic;
	std::string rule;
	BPrivate::SharedMimeMagic parsed;
	if (_Read(kSnifferRuleAttr, &rule) == B_OK
		&& BPrivate::ParseSnifferRule(rule.c_str(), &parsed))
		magic.push_back(parsed);
	return BPrivate::PublishSharedMimeType(fType.c_str(), description,
		extensions, magic);
}
