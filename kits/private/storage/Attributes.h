#ifndef _KITS_PRIVATE_ATTRIBUTES_H
#define _KITS_PRIVATE_ATTRIBUTES_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// BeOS attributes on an open node. An attribute "name" is the extended
// attribute "user.name" whose value is the type code as four characters,
// most significant first, followed by the data. Where the file system has
// no user attributes, the fallback store under $XDG_DATA_HOME keeps them
// in the same form (see docs/storage.md).

// The largest value that is written; a read takes at most maxSize bytes of
// the data (the rest stays unread).
const size_t kMaxAttributeSize = 64 * 1024 * 1024;

status_t GetAttribute(int fd, const char* name, type_code* type,
	std::string* data, size_t maxSize = kMaxAttributeSize);
// At offset 0 the attribute is replaced, as on BeOS; beyond, the existing
// data are kept around the written range and the type becomes the new one.
status_t WriteAttribute(int fd, const char* name, type_code type,
	off_t offset, const void* data, size_t size);
status_t RemoveAttribute(int fd, const char* name);

// An extended attribute of another convention (no type code), such as
// "user.mime_type"; B_UNSUPPORTED where the file system has none.
status_t GetRawAttribute(int fd, const char* fullName, std::string* data);
status_t SetRawAttribute(int fd, const char* fullName,
	const std::string& data);
status_t RemoveRawAttribute(int fd, const char* fullName);

// The names of the node's BeOS attributes: its extended attributes of the
// user namespace, less "user.", and what the fallback store keeps for it.
status_t ListAttributes(int fd, std::vector<std::string>* names);

// For tests only: sends every attribute to the fallback store as if the
// file system had no user attributes.
void ForceAttributeFallbackForTests(bool force);

// The fallback store's folder for a node, for tests and docs.
std::string AttributeFallbackFolder(dev_t device, ino_t node);

} // namespace BPrivate

#endif // _KITS_PRIVATE_ATTRIBUTES_H
