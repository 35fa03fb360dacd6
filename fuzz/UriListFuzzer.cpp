// libFuzzer target: a text/uri-list comes from whatever program the user
// drags from. Only absolute local paths come out, and paths written as
// file URIs, escaped or not, come back as they were.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "display/fltk/FltkDrop.h"

namespace {

// Everything but letters, digits and '/' escaped, in either case.
std::string
FileUri(const std::string& path, bool withHost, bool lowerCase)
{
	std::string uri = withHost ? "file://localhost" : "file://";
	for (unsigned char c : path) {
		bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
			|| (c >= '0' && c <= '9') || c == '/';
		if (plain) {
			uri += (char)c;
			continue;
		}
		char escape[4];
		snprintf(escape, sizeof(escape), lowerCase ? "%%%02x" : "%%%02X", c);
		uri += escape;
	}
	return uri;
}

} // namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string list((const char*)data, size);
	for (const std::string& path : BPrivate::FilesOfUriList(list)) {
		if (path.empty() || path[0] != '/'
			|| path.find('\0') != std::string::npos)
			__builtin_trap();
	}

	// The input's lines as paths, each made absolute: listed as URIs,
	// they come back in order.
	std::vector<std::string> paths;
	std::string uris = "# dragged\r\n";
	size_t start = 0;
	for (int i = 0; start < list.size(); i++) {
		size_t end = list.find('\n', start);
		if (end == std::string::npos)
			end = list.size();
		std::string path = "/" + list.substr(start, end - start);
		start = end + 1;
		if (path.find('\0') != std::string::npos)
			continue;
		paths.push_back(path);
		uris += FileUri(path, i % 2 == 1, i % 3 == 1) + "\r\n";
	}
	if (BPrivate::FilesOfUriList(uris) != paths)
		__builtin_trap();
	return 0;
}
