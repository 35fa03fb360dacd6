// libFuzzer target: attributes are written by any program that can write
// the file (or, without user attributes, the fallback store's files).
// Whatever value is found, the readers stay inside their buffers, a
// type read back fits and ends with its NUL, and what we write reads back
// as it was written.
#include <stddef.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include <Mime.h>
#include <TypeConstants.h>
#include <Node.h>
#include <NodeInfo.h>
#include <fs_attr.h>

#include "private/storage/Attributes.h"

namespace {

std::string sFile;


// Puts a raw value where the reader looks for "name": the extended
// attribute, or the fallback store's file, as another program would.
bool
PlantValue(int fd, const char* name, const std::string& value, bool fallback)
{
	if (!fallback) {
		std::string full = std::string("user.") + name;
		return fsetxattr(fd, full.c_str(), value.data(), value.size(), 0) == 0;
	}
	struct stat st;
	if (fstat(fd, &st) != 0)
		return false;
	std::string folder = BPrivate::AttributeFallbackFolder(st.st_dev,
		st.st_ino);
	for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
		mkdir(folder.substr(0, slash).c_str(), 0700);
		if (slash == std::string::npos)
			break;
	}
	FILE* file = fopen((folder + "/" + name).c_str(), "w");
	if (file == NULL)
		return false;
	bool written = fwrite(value.data(), 1, value.size(), file) == value.size();
	return fclose(file) == 0 && written;
}

} // namespace


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	// Never the user's own home.
	char folder[] = "/tmp/tolvex-attribute-fuzz-XXXXXX";
	if (mkdtemp(folder) == NULL)
		abort();
	setenv("HOME", folder, 1);
	setenv("XDG_DATA_HOME", (std::string(folder) + "/data").c_str(), 1);
	setenv("XDG_CONFIG_HOME", (std::string(folder) + "/config").c_str(), 1);
	sFile = std::string(folder) + "/node";
	FILE* file = fopen(sFile.c_str(), "w");
	if (file == NULL)
		abort();
	fclose(file);
	return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 3)
		return 0;
	bool fallback = data[0] & 1;
	size_t wanted = data[1] | (data[2] & 0x3f) << 8;
	off_t offset = data[0] >> 1;
	std::string value((const char*)data + 3, size - 3);
	BPrivate::ForceAttributeFallbackForTests(fallback);

	BNode node(sFile.c_str());
	if (node.InitCheck() != B_OK)
		__builtin_trap();
	int fd = open(sFile.c_str(), O_RDWR | O_CLOEXEC);
	if (fd < 0)
		__builtin_trap();

	if (PlantValue(fd, "fuzz", value, fallback)) {
		type_code type = 0;
		std::string read;
		status_t status = BPrivate::GetAttribute(fd, "fuzz", &type, &read,
			wanted);
		if (value.size() < 4) {
			if (status != B_BAD_DATA)
				__builtin_trap();
		} else if (status != B_OK || read.size() > value.size() - 4
			|| value.compare(4, read.size(), read) != 0
			|| read.size() < std::min(wanted, value.size() - 4))
			__builtin_trap();

		char* buffer = new char[wanted > 0 ? wanted : 1];
		ssize_t count = node.ReadAttr("fuzz", B_RAW_TYPE, offset, buffer,
			wanted);
		if (count > (ssize_t)wanted
			|| (count > 0 && value.compare(4 + offset, count, buffer, count)
				!= 0))
			__builtin_trap();
		delete[] buffer;

		attr_info info;
		if (node.GetAttrInfo("fuzz", &info) == B_OK
			&& info.size != (off_t)value.size() - 4)
			__builtin_trap();
	}

	// The type, read into the buffer BeOS callers give.
	if (PlantValue(fd, "BEOS:TYPE", value, fallback)) {
		BNodeInfo info(&node);
		char* type = new char[B_MIME_TYPE_LENGTH];
		if (info.GetType(type) == B_OK
			&& strnlen(type, B_MIME_TYPE_LENGTH) == B_MIME_TYPE_LENGTH)
			__builtin_trap();
		delete[] type;
	}

	// Ours read back as written, also past the end of the old value.
	if (node.WriteAttr("written", B_STRING_TYPE, 0, value.data(),
			value.size()) == (ssize_t)value.size()) {
		std::string read;
		type_code type = 0;
		if (BPrivate::GetAttribute(fd, "written", &type, &read) != B_OK
			|| type != B_STRING_TYPE || read != value)
			__builtin_trap();
		if (node.WriteAttr("written", B_RAW_TYPE, offset, value.data(),
				value.size()) == (ssize_t)value.size()) {
			std::string expected = value;
			expected.resize(std::max(value.size(), (size_t)offset + value.size()),
				'\0');
			expected.replace(offset, value.size(), value);
			if (BPrivate::GetAttribute(fd, "written", &type, &read) != B_OK
				|| type != B_RAW_TYPE || read != expected)
				__builtin_trap();
		}
	}
	close(fd);
	return 0;
}
