#include "private/storage/SharedMimeInfo.h"

#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "private/storage/AtomicFile.h"
#include "private/storage/BootPaths.h"
#include "private/storage/ErrnoStatus.h"

extern char** environ;

namespace BPrivate {

namespace {

std::string
Lower(const char* text)
{
	std::string lower(text);
	for (char& c : lower)
		c = (char)tolower((unsigned char)c);
	return lower;
}


std::string
EscapeXml(const std::string& text)
{
	std::string escaped;
	for (char c : text) {
		switch (c) {
			case '&': escaped += "&amp;"; break;
			case '<': escaped += "&lt;"; break;
			case '>': escaped += "&gt;"; break;
			case '"': escaped += "&quot;"; break;
			case '\'': escaped += "&apos;"; break;
			default:
				// Control characters are not allowed in XML 1.0.
				if ((unsigned char)c >= 0x20 || c == '\t')
					escaped.push_back(c);
				break;
		}
	}
	return escaped;
}


// A glob pattern character that would turn an extension into a wider
// pattern, or a separator, has no place in an extension.
bool
PlainExtension(const std::string& extension)
{
	if (extension.empty())
		return false;
	for (char c : extension) {
		if (c == '*' || c == '?' || c == '[' || c == ']' || c == '/'
			|| (unsigned char)c < 0x20)
			return false;
	}
	return true;
}


std::string
FindProgram(const char* name)
{
	const char* path = getenv("PATH");
	std::string folders = path != NULL && path[0] != '\0'
		? path : "/usr/local/bin:/usr/bin:/bin";
	size_t start = 0;
	while (start <= folders.size()) {
		size_t end = folders.find(':', start);
		if (end == std::string::npos)
			end = folders.size();
		std::string folder = folders.substr(start, end - start);
		if (!folder.empty() && folder[0] == '/') {
			std::string candidate = folder + "/" + name;
			if (access(candidate.c_str(), X_OK) == 0)
				return candidate;
		}
		start = end + 1;
	}
	return std::string();
}


// The whole file, or "" where it cannot be read; no more than a MIME
// package can sensibly hold.
std::string
ReadSmallFile(const std::string& path)
{
	const size_t kLimit = 16 * 1024 * 1024;
	std::string data;
	int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (fd < 0)
		return data;
	struct stat st;
	if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
		&& (size_t)st.st_size <= kLimit) {
		char buffer[65536];
		ssize_t got;
		while ((got = read(fd, buffer, sizeof(buffer))) > 0)
			data.append(buffer, got);
	}
	close(fd);
	return data;
}


// update-mime-database's list of the types it compiled, one a line.
bool
TypesListHas(const std::string& path, const std::string& lower)
{
	std::string list = ReadSmallFile(path);
	size_t start = 0;
	while (start < list.size()) {
		size_t end = list.find('\n', start);
		if (end == std::string::npos)
			end = list.size();
		if (end - start == lower.size()
			&& strncasecmp(list.c_str() + start, lower.c_str(),
				lower.size()) == 0)
			return true;
		start = end + 1;
	}
	return false;
}


// A package file that declares the type: <mime-type type="...">, in
// either quotes, without case.
bool
PackagesHave(const std::string& folder, const std::string& lower,
	bool skipKits)
{
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return false;
	bool found = false;
	while (!found) {
		struct dirent* entry = readdir(dir);
		if (entry == NULL)
			break;
		std::string name = entry->d_name;
		if (name.size() < 5 || name.compare(name.size() - 4, 4, ".xml") != 0
			|| (skipKits && name.compare(0, 5, "beos-") == 0))
			continue;
		std::string xml = Lower(ReadSmallFile(folder + "/" + name).c_str());
		for (const char* quote : { "\"", "'" }) {
			std::string declared = std::string("type=") + quote + lower
				+ quote;
			for (size_t at = xml.find(declared); !found
					&& at != std::string::npos;
					at = xml.find(declared, at + 1)) {
				size_t open = xml.rfind('<', at);
				found = open != std::string::npos
					&& xml.compare(open, 10, "<mime-type") == 0;
			}
		}
	}
	closedir(dir);
	return found;
}


// What changes when a file or folder is replaced or written, or a file is
// added to or removed from a folder.
std::string
Stamp(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return "-\n";
	char text[128];
	snprintf(text, sizeof(text), "%llu:%llu:%lld:%lld.%09ld\n",
		(unsigned long long)st.st_dev, (unsigned long long)st.st_ino,
		(long long)st.st_size, (long long)st.st_mtim.tv_sec,
		st.st_mtim.tv_nsec);
	return text;
}


// A package folder's stamp is its files' too: a file written in place, or
// two changes within one tick of the clock, leave the folder's own alike.
std::string
FolderStamp(const std::string& path)
{
	std::string stamp = Stamp(path);
	DIR* dir = opendir(path.c_str());
	if (dir == NULL)
		return stamp;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.')
			continue;
		stamp += entry->d_name;
		stamp += ' ';
		stamp += Stamp(path + "/" + entry->d_name);
	}
	closedir(dir);
	return stamp;
}


std::mutex sDesktopTypesLock;
std::string sDesktopTypesStamp;
std::map<std::string, bool> sDesktopTypes;

} // namespace


std::vector<std::string>
SystemDataFolders()
{
	const char* dirs = getenv("XDG_DATA_DIRS");
	std::string list = dirs != NULL && dirs[0] != '\0' ? dirs
		: "/usr/local/share:/usr/share";
	std::vector<std::string> folders;
	size_t start = 0;
	while (start <= list.size()) {
		size_t end = list.find(':', start);
		if (end == std::string::npos)
			end = list.size();
		if (end > start && list[start] == '/')
			folders.push_back(list.substr(start, end - start));
		start = end + 1;
	}
	return folders;
}


bool
DesktopHasType(const char* type)
{
	std::string lower = Lower(type);
	std::vector<std::string> folders = SystemDataFolders();
	std::string user = DataFolder() + "/mime/packages";

	// Every look at a type asked this, and the answer meant reading the
	// system's package files (megabytes) each time; it changes only when a
	// database or a package folder does, which their stamps tell.
	std::string stamp = user + '\n' + FolderStamp(user);
	for (const std::string& folder : folders) {
		stamp += folder + '\n' + Stamp(folder + "/mime/types")
			+ FolderStamp(folder + "/mime/packages");
	}
	{
		std::lock_guard<std::mutex> lock(sDesktopTypesLock);
		if (sDesktopTypesStamp != stamp) {
			sDesktopTypesStamp = stamp;
			sDesktopTypes.clear();
		}
		auto known = sDesktopTypes.find(lower);
		if (known != sDesktopTypes.end())
			return known->second;
	}

	bool has = false;
	for (const std::string& folder : folders) {
		if (TypesListHas(folder + "/mime/types", lower)
			|| PackagesHave(folder + "/mime/packages", lower, false)) {
			has = true;
			break;
		}
	}
	if (!has)
		has = PackagesHave(user, lower, true);

	std::lock_guard<std::mutex> lock(sDesktopTypesLock);
	if (sDesktopTypesStamp == stamp)
		sDesktopTypes[lower] = has;
	return has;
}


std::string
SharedMimePackagePath(const char* type)
{
	// '@' never occurs in a valid type, so the name is unambiguous.
	std::string name = Lower(type);
	size_t slash = name.find('/');
	if (slash != std::string::npos)
		name[slash] = '@';
	return DataFolder() + "/mime/packages/beos-" + name + ".xml";
}


bool
ParseSnifferRule(const char* rule, SharedMimeMagic* magic)
{
	const char* c = rule;
	while (isspace((unsigned char)*c))
		c++;
	char* end;
	double priority = strtod(c, &end);
	if (end == c || priority < 0 || priority > 1)
		return false;
	c = end;
	while (isspace((unsigned char)*c))
		c++;
	if (*c++ != '(')
		return false;
	while (isspace((unsigned char)*c))
		c++;
	magic->start = 0;
	magic->end = 0;
	if (*c == '[') {
		c++;
		long long start = strtoll(c, &end, 10);
		if (end == c || start < 0)
			return false;
		c = end;
		long long last = start;
		if (*c == ':') {
			c++;
			last = strtoll(c, &end, 10);
			if (end == c || last < start)
				return false;
			c = end;
		}
		if (*c++ != ']')
			return false;
		magic->start = start;
		magic->end = last;
		while (isspace((unsigned char)*c))
			c++;
	}
	if (*c++ != '"')
		return false;
	magic->value.clear();
	for (; *c != '"'; c++) {
		if (*c == '\0')
			return false;
		if (*c == '\\') {
			c++;
			if (*c == '\0')
				return false;
		}
		magic->value.push_back(*c);
	}
	c++;
	while (isspace((unsigned char)*c))
		c++;
	if (*c++ != ')')
		return false;
	while (isspace((unsigned char)*c))
		c++;
	if (*c != '\0' || magic->value.empty())
		return false;
	magic->priority = (int)(priority * 100 + 0.5);
	return true;
}


status_t
PublishSharedMimeType(const char* type, const char* comment,
	const std::vector<std::string>& extensions,
	const std::vector<SharedMimeMagic>& magic)
{
	std::string lower = Lower(type);
	std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
		"<mime-info xmlns="
		"\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
		"\t<mime-type type=\"" + EscapeXml(lower) + "\">\n";
	if (comment != NULL && comment[0] != '\0')
		xml += "\t\t<comment>" + EscapeXml(comment) + "</comment>\n";
	for (const std::string& extension : extensions) {
		if (PlainExtension(extension)) {
			xml += "\t\t<glob pattern=\"*." + EscapeXml(extension)
				+ "\"/>\n";
		}
	}
	for (const SharedMimeMagic& rule : magic) {
		std::string offset = std::to_string(rule.start);
		if (rule.end > rule.start)
			offset += ":" + std::to_string(rule.end);
		// Bytes XML cannot carry go as escapes of the string match.
		std::string value;
		for (char c : rule.value) {
			unsigned char byte = (unsigned char)c;
			if (byte < 0x20 || byte == '\\') {
				char escape[8];
				snprintf(escape, sizeof(escape), "\\x%02x", byte);
				value += escape;
			} else
				value.push_back(c);
		}
		xml += "\t\t<magic priority=\"" + std::to_string(rule.priority)
			+ "\">\n\t\t\t<match type=\"string\" offset=\"" + offset
			+ "\" value=\"" + EscapeXml(value) + "\"/>\n\t\t</magic>\n";
	}
	xml += "\t</mime-type>\n</mime-info>\n";

	std::string path = SharedMimePackagePath(type);
	status_t status = CreateFolders(path.substr(0, path.rfind('/')), 0755);
	if (status != B_OK)
		return status;
	status = WriteFileAtomically(path, xml, 0644);
	if (status != B_OK)
		return status;
	UpdateSharedMimeDatabase();
	return B_OK;
}


status_t
UnpublishSharedMimeType(const char* type)
{
	std::string path = SharedMimePackagePath(type);
	if (unlink(path.c_str()) != 0 && errno != ENOENT)
		return StatusFromErrno(errno);
	UpdateSharedMimeDatabase();
	return B_OK;
}


void
UpdateSharedMimeDatabase()
{
	std::string program = FindProgram("update-mime-database");
	if (program.empty())
		return;
	std::string folder = DataFolder() + "/mime";
	struct stat st;
	if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
		return;

	posix_spawn_file_actions_t actions;
	if (posix_spawn_file_actions_init(&actions) != 0)
		return;
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_adddup2(&actions, 1, 2);
	// Descriptors that libraries opened without O_CLOEXEC stay ours.
	posix_spawn_file_actions_addclosefrom_np(&actions, 3);

	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t none;
	sigemptyset(&none);
	sigset_t all;
	sigfillset(&all);
	posix_spawnattr_setsigmask(&attributes, &none);
	posix_spawnattr_setsigdefault(&attributes, &all);
	posix_spawnattr_setflags(&attributes,
		POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

	char* argv[] = { const_cast<char*>(program.c_str()),
		const_cast<char*>(folder.c_str()), NULL };
	pid_t pid;
	int result = posix_spawn(&pid, program.c_str(), &actions, &attributes,
		argv, environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);
	if (result != 0)
		return;
	// Only this child is waited for: others belong to the roster.
	int childStatus;
	while (waitpid(pid, &childStatus, 0) < 0 && errno == EINTR) {
	}
}

} // namespace BPrivate
