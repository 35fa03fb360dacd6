#include "private/storage/Attributes.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include <StorageDefs.h>

#include "private/storage/AtomicFile.h"
#include "private/storage/BootPaths.h"
#include "private/storage/ErrnoStatus.h"
#include "private/storage/UserAttributeStore.h"

namespace BPrivate {

namespace {

const size_t kTypeSize = 4;
// The Linux limit for a whole extended attribute name, "user." included.
const size_t kMaxXattrName = 255;

std::atomic<bool> sForceFallback(false);


bool
Unsupported(int error)
{
	return error == ENOTSUP || error == EOPNOTSUPP;
}


status_t
XattrName(const char* name, std::string* fullName)
{
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	*fullName = std::string("user.") + name;
	if (strlen(name) > B_ATTR_NAME_LENGTH || fullName->size() > kMaxXattrName)
		return B_NAME_TOO_LONG;
	return B_OK;
}


void
EncodeType(type_code type, std::string* value)
{
	value->push_back((char)(type >> 24));
	value->push_back((char)(type >> 16));
	value->push_back((char)(type >> 8));
	value->push_back((char)type);
}


status_t
DecodeValue(const std::string& value, type_code* type, std::string* data)
{
	// Someone else's attribute of that name, without our type code.
	if (value.size() < kTypeSize)
		return B_BAD_DATA;
	const uint8* bytes = (const uint8*)value.data();
	if (type != NULL) {
		*type = ((uint32)bytes[0] << 24) | ((uint32)bytes[1] << 16)
			| ((uint32)bytes[2] << 8) | bytes[3];
	}
	if (data != NULL)
		data->assign(value, kTypeSize, std::string::npos);
	return B_OK;
}


// -1 with errno set, as the system calls do.
int
ReadXattr(int fd, const char* fullName, std::string* value)
{
	for (int attempt = 0; attempt < 8; attempt++) {
		ssize_t size = fgetxattr(fd, fullName, NULL, 0);
		if (size < 0)
			return -1;
		std::vector<char> buffer(size > 0 ? size : 1);
		ssize_t read = fgetxattr(fd, fullName, buffer.data(), size);
		if (read >= 0) {
			value->assign(buffer.data(), read);
			return 0;
		}
		// It grew between the two calls: ask again.
		if (errno != ERANGE)
			return -1;
	}
	errno = EBUSY;
	return -1;
}


// The names of every extended attribute of the node, each with its NUL;
// their length, or -1 with errno set. A list that grows between the two
// calls is asked for again.
ssize_t
XattrNames(int fd, std::vector<char>* names)
{
	ssize_t size = -1;
	for (int attempt = 0; attempt < 8; attempt++) {
		size = flistxattr(fd, NULL, 0);
		if (size <= 0)
			break;
		names->resize(size);
		size = flistxattr(fd, names->data(), names->size());
		if (size >= 0 || errno != ERANGE)
			break;
	}
	return size;
}


//	#pragma mark - fallback store


// Attribute names may hold any byte but '\0'; file names may not hold '/'
// and should not start with a dot.
std::string
EscapeName(const char* name)
{
	std::string escaped;
	for (const char* c = name; *c != '\0'; c++) {
		unsigned char ch = (unsigned char)*c;
		bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')
			|| (ch >= '0' && ch <= '9') || ch == '_' || ch == '-'
			|| ch == ':' || (ch == '.' && c != name);
		if (plain)
			escaped.push_back((char)ch);
		else {
			char hex[4];
			snprintf(hex, sizeof(hex), "%%%02X", ch);
			escaped += hex;
		}
	}
	return escaped;
}


status_t
FallbackFile(int fd, const char* name, std::string* folder,
	std::string* file)
{
	struct stat st;
	if (fstat(fd, &st) != 0)
		return StatusFromErrno(errno);
	std::string escaped = EscapeName(name);
	// Leaves room for the temporary suffix within NAME_MAX.
	if (escaped.size() > 200)
		return B_NAME_TOO_LONG;
	*folder = AttributeFallbackFolder(st.st_dev, st.st_ino);
	*file = *folder + "/" + escaped;
	return B_OK;
}


// The store is ours, so the node's own rules are checked here: a node on
// a read-only volume, or one the caller may not write, keeps its
// attributes as they are.
status_t
CheckNodeWritable(int fd)
{
	struct statvfs volume;
	if (fstatvfs(fd, &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0)
		return B_READ_ONLY_DEVICE;
	char procPath[64];
	snprintf(procPath, sizeof(procPath), "/proc/self/fd/%d", fd);
	if (faccessat(AT_FDCWD, procPath, W_OK, AT_EACCESS) != 0
		&& (errno == EACCES || errno == EPERM || errno == EROFS))
		return StatusFromErrno(errno);
	return B_OK;
}


// The node's birth time, where its file system tells it: a node that
// carries another birth time than its records were written for is a file
// made later with the same number, and the records are not its. Empty
// where there is none to tell.
std::string
NodeGeneration(int fd)
{
	struct statx info;
	if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_BTIME,
			&info) != 0 || (info.stx_mask & STATX_BTIME) == 0)
		return std::string();
	char text[64];
	snprintf(text, sizeof(text), "%lld.%09u",
		(long long)info.stx_btime.tv_sec, (unsigned)info.stx_btime.tv_nsec);
	return text;
}


const char* kGenerationFile = "/.generation";


// The records in the folder are the node's: they carry its generation, or
// none (older records, or a file system that tells none).
bool
RecordsAreNodes(int fd, const std::string& folder)
{
	std::string stored;
	std::string generation = NodeGeneration(fd);
	int in = open((folder + kGenerationFile).c_str(),
		O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (in < 0 || generation.empty()) {
		if (in >= 0)
			close(in);
		return true;
	}
	char buffer[64];
	ssize_t length = read(in, buffer, sizeof(buffer));
	close(in);
	return length > 0 && std::string(buffer, length) == generation;
}


// Records of a file that had the node's number before it go, and the
// folder is marked with the node's generation.
status_t
ClaimRecords(int fd, const std::string& folder)
{
	std::string generation = NodeGeneration(fd);
	if (generation.empty())
		return B_OK;
	if (!RecordsAreNodes(fd, folder)) {
		DIR* dir = opendir(folder.c_str());
		if (dir != NULL) {
			while (struct dirent* entry = readdir(dir)) {
				if (strcmp(entry->d_name, ".") != 0
					&& strcmp(entry->d_name, "..") != 0)
					unlink((folder + "/" + entry->d_name).c_str());
			}
			closedir(dir);
		}
	}
	struct stat info;
	if (lstat((folder + kGenerationFile).c_str(), &info) == 0)
		return B_OK;
	return WriteFileAtomically(folder + kGenerationFile, generation, 0600);
}


// Anything else in the store's place (a FIFO, a device, a link to one)
// must neither block start-up nor be read without end: only a regular
// file is a value, and no more of it is read than the caller can take.
status_t
FallbackRead(int fd, const char* name, std::string* value, size_t limit)
{
	std::string folder;
	std::string file;
	status_t status = FallbackFile(fd, name, &folder, &file);
	if (status != B_OK)
		return status;
	if (!RecordsAreNodes(fd, folder))
		return B_ENTRY_NOT_FOUND;
	int in = open(file.c_str(),
		O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (in < 0)
		return errno == ELOOP ? B_BAD_DATA : StatusFromErrno(errno);
	struct stat st;
	if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(in);
		return B_BAD_DATA;
	}
	value->clear();
	char buffer[4096];
	while (value->size() < limit) {
		size_t wanted = limit - value->size();
		ssize_t read = ::read(in, buffer,
			wanted < sizeof(buffer) ? wanted : sizeof(buffer));
		if (read == 0)
			break;
		if (read < 0) {
			if (errno == EINTR)
				continue;
			status = StatusFromErrno(errno);
			break;
		}
		value->append(buffer, read);
	}
	close(in);
	return status;
}


// Where a write or removal of the node's attribute goes, once the node
// itself may be written.
status_t
WritableFallbackFile(int fd, const char* name, std::string* folder,
	std::string* file)
{
	status_t status = CheckNodeWritable(fd);
	if (status != B_OK)
		return status;
	return FallbackFile(fd, name, folder, file);
}


status_t
FallbackWrite(int fd, const char* name, const std::string& value)
{
	std::string folder;
	std::string file;
	status_t status = WritableFallbackFile(fd, name, &folder, &file);
	if (status != B_OK)
		return status;
	status = CreateFolders(folder);
	if (status == B_OK)
		status = ClaimRecords(fd, folder);
	if (status != B_OK)
		return status;
	return WriteFileAtomically(file, value, 0600);
}


status_t
FallbackRemove(int fd, const char* name)
{
	std::string folder;
	std::string file;
	status_t status = WritableFallbackFile(fd, name, &folder, &file);
	if (status != B_OK)
		return status;
	if (!RecordsAreNodes(fd, folder))
		return B_ENTRY_NOT_FOUND;
	if (unlink(file.c_str()) != 0)
		return StatusFromErrno(errno);
	// The node's folder goes with its last attribute, and its mark then.
	if (rmdir(folder.c_str()) != 0 && errno == ENOTEMPTY) {
		bool marked = false;
		bool others = false;
		if (DIR* dir = opendir(folder.c_str())) {
			while (struct dirent* entry = readdir(dir)) {
				if (strcmp(entry->d_name, kGenerationFile + 1) == 0)
					marked = true;
				else if (strcmp(entry->d_name, ".") != 0
					&& strcmp(entry->d_name, "..") != 0)
					others = true;
			}
			closedir(dir);
		}
		if (marked && !others) {
			unlink((folder + kGenerationFile).c_str());
			rmdir(folder.c_str());
		}
	}
	return B_OK;
}


//	#pragma mark - either store


namespace {

// The node's extended attribute where its file system keeps them, else the
// fallback store: xattr() answers 0, or -1 with errno set.
template<typename Xattr, typename Fallback>
status_t
EitherStore(int fd, const char* name, Xattr xattr, Fallback fallback)
{
	if (fd < 0)
		return B_FILE_ERROR;
	std::string fullName;
	status_t status = XattrName(name, &fullName);
	if (status != B_OK)
		return status;
	if (!sForceFallback.load()) {
		if (xattr(fullName.c_str()) == 0)
			return B_OK;
		if (!Unsupported(errno))
			return StatusFromErrno(errno);
	}
	return fallback();
}

} // namespace


status_t
ReadNodeValue(int fd, const char* name, std::string* value, size_t limit)
{
	return EitherStore(fd, name,
		[&](const char* fullName) { return ReadXattr(fd, fullName, value); },
		[&]() { return FallbackRead(fd, name, value, limit); });
}


status_t
WriteNodeValue(int fd, const char* name, const std::string& value)
{
	return EitherStore(fd, name,
		[&](const char* fullName) {
			return fsetxattr(fd, fullName, value.data(), value.size(), 0);
		},
		[&]() { return FallbackWrite(fd, name, value); });
}


status_t
RemoveNodeValue(int fd, const char* name)
{
	return EitherStore(fd, name,
		[&](const char* fullName) { return fremovexattr(fd, fullName); },
		[&]() { return FallbackRemove(fd, name); });
}


//	#pragma mark - the executable's attributes for this user


status_t
ReadValue(int fd, const char* name, std::string* value, size_t limit)
{
	UserAttributeStore store(fd);
	if (store.StandsIn()) {
		status_t status = store.Open(false);
		if (status == B_OK)
			status = ReadNodeValue(store.Descriptor(), name, value, limit);
		// A store that is not to be trusted is as if this user had stored
		// nothing.
		if (status != B_ENTRY_NOT_FOUND && status != B_NOT_ALLOWED)
			return status;
		// What this user has not stored is the administrator's starting
		// value, or else as the executable's owner left it.
		status = B_ENTRY_NOT_FOUND;
		for (int machine : store.OpenMachineDefaults()) {
			if (status == B_ENTRY_NOT_FOUND)
				status = ReadNodeValue(machine, name, value, limit);
			close(machine);
		}
		if (status != B_ENTRY_NOT_FOUND)
			return status;
	}
	return ReadNodeValue(fd, name, value, limit);
}


status_t
WriteValue(int fd, const char* name, const std::string& value)
{
	UserAttributeStore store(fd);
	if (!store.StandsIn())
		return WriteNodeValue(fd, name, value);
	status_t status = store.Open(true);
	if (status != B_OK)
		return status;
	return WriteNodeValue(store.Descriptor(), name, value);
}

} // namespace


status_t
GetAttribute(int fd, const char* name, type_code* type, std::string* data,
	size_t maxSize)
{
	std::string value;
	size_t limit = maxSize < kMaxAttributeSize ? maxSize : kMaxAttributeSize;
	status_t status = ReadValue(fd, name, &value, limit + kTypeSize);
	if (status != B_OK)
		return status;
	return DecodeValue(value, type, data);
}


status_t
WriteAttribute(int fd, const char* name, type_code type, off_t offset,
	const void* data, size_t size)
{
	if (offset < 0 || (data == NULL && size > 0))
		return B_BAD_VALUE;
	if ((uint64)offset + size > kMaxAttributeSize)
		return B_BAD_VALUE;

	std::string value;
	EncodeType(type, &value);
	if (offset > 0) {
		std::string old;
		status_t status = GetAttribute(fd, name, NULL, &old);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND)
			return status;
		if (old.size() < (size_t)offset + size)
			old.resize((size_t)offset + size, '\0');
		old.replace((size_t)offset, size, (const char*)data, size);
		value += old;
	} else if (size > 0)
		value.append((const char*)data, size);
	return WriteValue(fd, name, value);
}


status_t
RemoveAttribute(int fd, const char* name)
{
	UserAttributeStore store(fd);
	if (!store.StandsIn())
		return RemoveNodeValue(fd, name);
	// Only this user's value goes; the executable's own stays.
	status_t status = store.Open(false);
	if (status != B_OK)
		return status;
	return RemoveNodeValue(store.Descriptor(), name);
}


status_t
GetRawAttribute(int fd, const char* fullName, std::string* data)
{
	if (fd < 0)
		return B_FILE_ERROR;
	if (sForceFallback.load())
		return B_UNSUPPORTED;
	if (ReadXattr(fd, fullName, data) == 0)
		return B_OK;
	return Unsupported(errno) ? B_UNSUPPORTED : StatusFromErrno(errno);
}


status_t
SetRawAttribute(int fd, const char* fullName, const std::string& data)
{
	if (fd < 0)
		return B_FILE_ERROR;
	if (sForceFallback.load())
		return B_UNSUPPORTED;
	if (fsetxattr(fd, fullName, data.data(), data.size(), 0) == 0)
		return B_OK;
	return Unsupported(errno) ? B_UNSUPPORTED : StatusFromErrno(errno);
}


status_t
RemoveRawAttribute(int fd, const char* fullName)
{
	if (fd < 0)
		return B_FILE_ERROR;
	if (sForceFallback.load())
		return B_UNSUPPORTED;
	if (fremovexattr(fd, fullName) == 0)
		return B_OK;
	return Unsupported(errno) ? B_UNSUPPORTED : StatusFromErrno(errno);
}


status_t
ListAttributes(int fd, std::vector<std::string>* names)
{
	if (fd < 0)
		return B_FILE_ERROR;
	names->clear();
	if (!sForceFallback.load()) {
		std::vector<char> list;
		ssize_t size = XattrNames(fd, &list);
		if (size < 0 && !Unsupported(errno))
			return StatusFromErrno(errno);
		for (ssize_t at = 0; at < size; at += strlen(&list[at]) + 1) {
			if (strncmp(&list[at], "user.", 5) == 0 && list[at + 5] != '\0')
				names->push_back(&list[at] + 5);
		}
	}

	struct stat info;
	if (fstat(fd, &info) != 0)
		return StatusFromErrno(errno);
	std::string folder = AttributeFallbackFolder(info.st_dev, info.st_ino);
	if (!RecordsAreNodes(fd, folder))
		return B_OK;
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return B_OK;
	while (struct dirent* entry = readdir(dir)) {
		// Values only: not the store's own temporary files.
		if (entry->d_name[0] == '.' || strstr(entry->d_name, ".tmp-") != NULL)
			continue;
		std::string name;
		for (const char* c = entry->d_name; *c != '\0'; c++) {
			unsigned int byte;
			if (*c == '%' && sscanf(c + 1, "%2X", &byte) == 1 && byte != 0) {
				name.push_back((char)byte);
				c += 2;
			} else
				name.push_back(*c);
		}
		names->push_back(name);
	}
	closedir(dir);
	return B_OK;
}


void
ForceAttributeFallbackForTests(bool force)
{
	sForceFallback.store(force);
}


std::string
AttributeFallbackFolder(dev_t device, ino_t node)
{
	char key[64];
	snprintf(key, sizeof(key), "%llx-%llu", (unsigned long long)device,
		(unsigned long long)node);
	return DataFolder() + "/beos_attributes/" + key;
}

} // namespace BPrivate
