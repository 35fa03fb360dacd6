#include "private/storage/BootPaths.h"

#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "private/storage/ErrnoStatus.h"

namespace BPrivate {

namespace {

bool
Exists(const std::string& path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0;
}


// The rest of a path after a /boot prefix, or false where it is not under
// that prefix: "/boot/home" does not start "/boot/homework".
bool
StripPrefix(const std::string& path, const char* prefix, std::string* rest)
{
	size_t length = strlen(prefix);
	if (path.compare(0, length, prefix) != 0)
		return false;
	if (path.size() > length && path[length] != '/')
		return false;
	*rest = path.substr(length);
	return true;
}


// The installed layout is PREFIX/lib/tolvex/<executable> with the links in
// PREFIX/bin; a program run from anywhere else has no such prefix.
std::string
InstallPrefixBin()
{
	char buffer[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
	if (length <= 0)
		return std::string();
	std::string exe(buffer, length);
	size_t slash = exe.rfind('/');
	if (slash == std::string::npos)
		return std::string();
	std::string folder = exe.substr(0, slash);
	const std::string tail = "/lib/tolvex";
	if (folder.size() <= tail.size()
		|| folder.compare(folder.size() - tail.size(), tail.size(), tail) != 0)
		return std::string();
	return folder.substr(0, folder.size() - tail.size()) + "/bin";
}

} // namespace


std::string
HomeFolder()
{
	const char* home = getenv("HOME");
	if (home != NULL && home[0] == '/')
		return home;
	struct passwd* entry = getpwuid(getuid());
	if (entry != NULL && entry->pw_dir != NULL)
		return entry->pw_dir;
	return "/";
}


std::string
ConfigFolder()
{
	const char* config = getenv("XDG_CONFIG_HOME");
	if (config != NULL && config[0] == '/')
		return config;
	return HomeFolder() + "/.config";
}


std::string
DataFolder()
{
	const char* data = getenv("XDG_DATA_HOME");
	if (data != NULL && data[0] == '/')
		return data;
	return HomeFolder() + "/.local/share";
}


std::vector<std::string>
ConfigDirectories()
{
	const char* dirs = getenv("XDG_CONFIG_DIRS");
	std::string list = dirs != NULL && dirs[0] != '\0' ? dirs : "/etc/xdg";
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


std::string
TranslateBootPath(const char* path)
{
	if (path == NULL)
		return std::string();
	std::string text(path);
	std::string rest;
	if (!StripPrefix(text, "/boot", &rest) || Exists(text))
		return text;

	if (StripPrefix(text, "/boot/home/config/settings", &rest))
		return ConfigFolder() + rest;
	if (StripPrefix(text, "/boot/home/config/bin", &rest)) {
		std::string local = HomeFolder() + "/.local/bin" + rest;
		if (rest.empty() || Exists(local))
			return local;
		std::string prefixBin = InstallPrefixBin();
		if (!prefixBin.empty() && Exists(prefixBin + rest))
			return prefixBin + rest;
		return local;
	}
	if (StripPrefix(text, "/boot/home", &rest))
		return HomeFolder() + rest;
	return text;
}


status_t
CreateFolders(const std::string& path, mode_t mode)
{
	if (path.empty())
		return B_BAD_VALUE;
	struct stat st;
	if (stat(path.c_str(), &st) == 0)
		return S_ISDIR(st.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
	size_t slash = path.find_last_of('/');
	if (slash != std::string::npos && slash > 0) {
		status_t status = CreateFolders(path.substr(0, slash), mode);
		if (status != B_OK)
			return status;
	}
	if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
		return StatusFromErrno(errno);
	return B_OK;
}

} // namespace BPrivate
