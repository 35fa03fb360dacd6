#include "private/storage/FolderRegistry.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <map>
#include <mutex>
#include <utility>

namespace BPrivate {

namespace {

typedef std::pair<dev_t, ino_t> NodeKey;

std::mutex sLock;
std::map<NodeKey, std::string>* sFolders = NULL;

bool
LeadsTo(const std::string& path, dev_t device, ino_t node)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
		&& (uint32)st.st_dev == (uint32)device && st.st_ino == node;
}

} // namespace


void
RememberFolder(dev_t device, ino_t node, const std::string& path)
{
	std::lock_guard<std::mutex> lock(sLock);
	// Never freed: refs may be resolved from static destructors.
	if (sFolders == NULL)
		sFolders = new std::map<NodeKey, std::string>;
	(*sFolders)[NodeKey(device, node)] = path;
}


status_t
FolderPath(dev_t device, ino_t node, std::string* path)
{
	std::string known;
	{
		std::lock_guard<std::mutex> lock(sLock);
		if (sFolders != NULL) {
			std::map<NodeKey, std::string>::const_iterator found
				= sFolders->find(NodeKey(device, node));
			if (found != sFolders->end())
				known = found->second;
		}
	}
	if (!known.empty() && LeadsTo(known, device, node)) {
		*path = known;
		return B_OK;
	}
	// The root folder and the working folder need no registration.
	const char* obvious[] = { "/", "." };
	for (const char* candidate : obvious) {
		if (LeadsTo(candidate, device, node)) {
			char* real = realpath(candidate, NULL);
			if (real == NULL)
				break;
			*path = real;
			free(real);
			RememberFolder(device, node, *path);
			return B_OK;
		}
	}
	return B_ENTRY_NOT_FOUND;
}

} // namespace BPrivate
