#ifndef _KITS_PRIVATE_RESOURCE_FILE_H
#define _KITS_PRIVATE_RESOURCE_FILE_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// The resource block of an executable: it follows the ELF file's own data
// at the next multiple of 4096 bytes. Its layout is in docs/resources.md.

const char kResourceMagic[8] = { 'B', 'e', 'R', 's', 'r', 'c', '\r', '\n' };
const uint32 kResourceVersion = 1;
const uint32 kResourceAlignment = 4096;
const size_t kResourceHeaderSize = 32;
const size_t kResourceEntrySize = 32;

struct ResourceItem {
	type_code			type;
	int32				id;
	std::string			name;
	std::string			data;
};

// The end of the ELF file's own data, from its headers: the headers, the
// program and section header tables, and every segment and section that
// occupies bytes in the file.
status_t ElfDataEnd(int fd, uint64* end);

// Where the block starts (whether or not there is one).
status_t ResourceBlockOffset(int fd, uint64* offset);

// The block's bytes for these resources, in this order.
std::string BuildResourceBlock(const std::vector<ResourceItem>& items);

// The resources of an executable. B_ENTRY_NOT_FOUND: an executable
// without a block; B_BAD_DATA: a damaged one.
status_t ReadResources(int fd, std::vector<ResourceItem>* items);

// Finds one resource by type and name.
status_t FindResource(const std::vector<ResourceItem>& items, type_code type,
	const char* name, const std::string** data);

} // namespace BPrivate

#endif // _KITS_PRIVATE_RESOURCE_FILE_H
