#include "private/storage/ResourceFile.h"

#include <elf.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "private/storage/ErrnoStatus.h"

namespace BPrivate {

namespace {

// More would be an absurd executable; the limit keeps a damaged header
// from sending us through billions of entries.
const uint64 kMaxHeaders = 1 << 20;
const uint32 kMaxResources = 1 << 16;


status_t
ReadAt(int fd, uint64 offset, void* buffer, size_t size)
{
	size_t done = 0;
	while (done < size) {
		ssize_t read = pread(fd, (char*)buffer + done, size - done,
			(off_t)(offset + done));
		if (read < 0) {
			if (errno == EINTR)
				continue;
			return StatusFromErrno(errno);
		}
		if (read == 0)
			return B_BAD_DATA;
		done += read;
	}
	return B_OK;
}


template<typename Ehdr, typename Phdr, typename Shdr>
status_t
ElfEnd(int fd, uint64* end)
{
	Ehdr header;
	status_t status = ReadAt(fd, 0, &header, sizeof(header));
	if (status != B_OK)
		return status;
	uint64 last = header.e_ehsize > sizeof(header)
		? header.e_ehsize : sizeof(header);

	if (header.e_phoff != 0 && header.e_phnum > 0) {
		if (header.e_phentsize < sizeof(Phdr))
			return B_BAD_DATA;
		uint64 tableEnd = header.e_phoff
			+ (uint64)header.e_phnum * header.e_phentsize;
		if (tableEnd > last)
			last = tableEnd;
		for (uint32 i = 0; i < header.e_phnum; i++) {
			Phdr program;
			status = ReadAt(fd, header.e_phoff + (uint64)i * header.e_phentsize,
				&program, sizeof(program));
			if (status != B_OK)
				return status;
			uint64 segmentEnd = (uint64)program.p_offset + program.p_filesz;
			if (program.p_filesz > 0 && segmentEnd > last)
				last = segmentEnd;
		}
	}

	if (header.e_shoff != 0) {
		if (header.e_shentsize < sizeof(Shdr))
			return B_BAD_DATA;
		uint64 count = header.e_shnum;
		if (count == 0) {
			// Extended numbering: the count is in the first entry.
			Shdr first;
			status = ReadAt(fd, header.e_shoff, &first, sizeof(first));
			if (status != B_OK)
				return status;
			count = first.sh_size;
		}
		if (count > kMaxHeaders)
			return B_BAD_DATA;
		uint64 tableEnd = header.e_shoff + count * header.e_shentsize;
		if (tableEnd > last)
			last = tableEnd;
		for (uint64 i = 0; i < count; i++) {
			Shdr section;
			status = ReadAt(fd, header.e_shoff + i * header.e_shentsize,
				&section, sizeof(section));
			if (status != B_OK)
				return status;
			if (section.sh_type == SHT_NOBITS)
				continue;
			uint64 sectionEnd = (uint64)section.sh_offset + section.sh_size;
			if (sectionEnd > last)
				last = sectionEnd;
		}
	}
	*end = last;
	return B_OK;
}


uint32
Get32(const uint8* bytes)
{
	return (uint32)bytes[0] | ((uint32)bytes[1] << 8)
		| ((uint32)bytes[2] << 16) | ((uint32)bytes[3] << 24);
}


uint64
Get64(const uint8* bytes)
{
	return (uint64)Get32(bytes) | ((uint64)Get32(bytes + 4) << 32);
}


void
Put32(std::string* out, uint32 value)
{
	for (int shift = 0; shift < 32; shift += 8)
		out->push_back((char)(value >> shift));
}


void
Put64(std::string* out, uint64 value)
{
	Put32(out, (uint32)value);
	Put32(out, (uint32)(value >> 32));
}


void
Align(std::string* out, size_t alignment)
{
	while (out->size() % alignment != 0)
		out->push_back('\0');
}

} // namespace


status_t
ElfDataEnd(int fd, uint64* end)
{
	unsigned char ident[EI_NIDENT];
	status_t status = ReadAt(fd, 0, ident, sizeof(ident));
	if (status != B_OK)
		return status == B_BAD_DATA ? B_BAD_TYPE : status;
	if (memcmp(ident, ELFMAG, SELFMAG) != 0)
		return B_BAD_TYPE;
	// Headers are read in the machine's own byte order.
	bool little = ident[EI_DATA] == ELFDATA2LSB;
	uint16 probe = 1;
	if (little != (*(uint8*)&probe == 1))
		return B_BAD_TYPE;

	uint64 last;
	if (ident[EI_CLASS] == ELFCLASS64)
		status = ElfEnd<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(fd, &last);
	else if (ident[EI_CLASS] == ELFCLASS32)
		status = ElfEnd<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(fd, &last);
	else
		return B_BAD_TYPE;
	if (status != B_OK)
		return status;
	*end = last;
	return B_OK;
}


status_t
ResourceBlockOffset(int fd, uint64* offset)
{
	uint64 end;
	status_t status = ElfDataEnd(fd, &end);
	if (status != B_OK)
		return status;
	*offset = (end + kResourceAlignment - 1) / kResourceAlignment
		* kResourceAlignment;
	return B_OK;
}


std::string
BuildResourceBlock(const std::vector<ResourceItem>& items)
{
	std::string names;
	size_t namesStart = kResourceHeaderSize
		+ items.size() * kResourceEntrySize;
	std::vector<uint64> nameOffsets;
	for (const ResourceItem& item : items) {
		nameOffsets.push_back(namesStart + names.size());
		names += item.name;
		names.push_back('\0');
	}

	std::string data;
	size_t dataStart = namesStart + names.size();
	dataStart = (dataStart + 7) / 8 * 8;
	std::vector<uint64> dataOffsets;
	for (const ResourceItem& item : items) {
		dataOffsets.push_back(dataStart + data.size());
		data += item.data;
		Align(&data, 8);
	}

	std::string block(kResourceMagic, sizeof(kResourceMagic));
	Put32(&block, kResourceVersion);
	Put32(&block, (uint32)items.size());
	Put64(&block, dataStart + data.size());
	Put32(&block, kResourceHeaderSize);
	Put32(&block, 0);
	for (size_t i = 0; i < items.size(); i++) {
		Put32(&block, items[i].type);
		Put32(&block, (uint32)items[i].id);
		Put32(&block, (uint32)nameOffsets[i]);
		Put32(&block, (uint32)items[i].name.size());
		Put64(&block, dataOffsets[i]);
		Put64(&block, items[i].data.size());
	}
	block += names;
	Align(&block, 8);
	block += data;
	return block;
}


status_t
ReadResources(int fd, std::vector<ResourceItem>* items)
{
	uint64 offset;
	status_t status = ResourceBlockOffset(fd, &offset);
	if (status != B_OK)
		return status;
	struct stat st;
	if (fstat(fd, &st) != 0)
		return StatusFromErrno(errno);
	uint64 fileSize = (uint64)st.st_size;
	if (fileSize < offset + kResourceHeaderSize)
		return B_ENTRY_NOT_FOUND;

	uint8 header[kResourceHeaderSize];
	status = ReadAt(fd, offset, header, sizeof(header));
	if (status != B_OK)
		return status;
	if (memcmp(header, kResourceMagic, sizeof(kResourceMagic)) != 0)
		return B_ENTRY_NOT_FOUND;
	uint32 version = Get32(header + 8);
	uint32 count = Get32(header + 12);
	uint64 blockSize = Get64(header + 16);
	uint32 tableOffset = Get32(header + 24);
	if (version != kResourceVersion || count > kMaxResources
		|| blockSize > fileSize - offset || tableOffset < kResourceHeaderSize
		|| tableOffset + (uint64)count * kResourceEntrySize > blockSize)
		return B_BAD_DATA;

	std::string block(blockSize, '\0');
	status = ReadAt(fd, offset, &block[0], block.size());
	if (status != B_OK)
		return status;

	// Each entry copies its bytes: entries that shared or overlapped their
	// ranges would let a small block ask for memory without bound.
	uint64 tableEnd = tableOffset + (uint64)count * kResourceEntrySize;
	uint64 copied = 0;
	std::vector<std::pair<uint64, uint64> > ranges;
	std::vector<ResourceItem> result;
	for (uint32 i = 0; i < count; i++) {
		const uint8* entry = (const uint8*)block.data() + tableOffset
			+ (size_t)i * kResourceEntrySize;
		ResourceItem item;
		item.type = Get32(entry);
		item.id = (int32)Get32(entry + 4);
		uint64 nameOffset = Get32(entry + 8);
		uint64 nameLength = Get32(entry + 12);
		uint64 dataOffset = Get64(entry + 16);
		uint64 dataSize = Get64(entry + 24);
		if (nameOffset + nameLength + 1 > blockSize
			|| block[nameOffset + nameLength] != '\0'
			|| dataOffset > blockSize || dataSize > blockSize - dataOffset)
			return B_BAD_DATA;
		if (nameOffset < tableEnd || (dataSize > 0 && dataOffset < tableEnd))
			return B_BAD_DATA;
		copied += nameLength + dataSize;
		if (copied > blockSize)
			return B_BAD_DATA;
		if (dataSize > 0)
			ranges.push_back(std::make_pair(dataOffset, dataOffset + dataSize));
		item.name.assign(block, nameOffset, nameLength);
		if (item.name.find('\0') != std::string::npos)
			return B_BAD_DATA;
		item.data.assign(block, dataOffset, dataSize);
		result.push_back(item);
	}
	std::sort(ranges.begin(), ranges.end());
	for (size_t i = 1; i < ranges.size(); i++) {
		if (ranges[i].first < ranges[i - 1].second)
			return B_BAD_DATA;
	}
	items->swap(result);
	return B_OK;
}


status_t
FindResource(const std::vector<ResourceItem>& items, type_code type,
	const char* name, const std::string** data)
{
	for (const ResourceItem& item : items) {
		if (item.type == type && item.name == name) {
			*data = &item.data;
			return B_OK;
		}
	}
	return B_ENTRY_NOT_FOUND;
}

} // namespace BPrivate
