#include "display/fltk/FltkDrop.h"

#include <Entry.h>
#include <Message.h>

#include "display/DisplayProtocol.h"
#include "display/MirrorInput.h"
#include "display/fltk/FltkView.h"

namespace BPrivate {

namespace {

int
HexValue(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}


// False for a broken escape or an escaped NUL, which no path holds.
bool
Decode(const std::string& text, std::string* decoded)
{
	decoded->clear();
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] != '%') {
			*decoded += text[i];
			continue;
		}
		if (i + 2 >= text.size())
			return false;
		int high = HexValue(text[i + 1]);
		int low = HexValue(text[i + 2]);
		if (high < 0 || low < 0 || (high == 0 && low == 0))
			return false;
		*decoded += (char)(high * 16 + low);
		i += 2;
	}
	return true;
}

} // namespace


std::vector<std::string>
FilesOfUriList(const std::string& list)
{
	std::vector<std::string> files;
	size_t start = 0;
	while (start < list.size()) {
		size_t end = list.find('\n', start);
		if (end == std::string::npos)
			end = list.size();
		std::string line = list.substr(start, end - start);
		start = end + 1;
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		// No path holds a NUL, raw or escaped: one would name another file.
		if (line.empty() || line[0] == '#'
			|| line.find('\0') != std::string::npos)
			continue;
		if (line[0] == '/') {
			files.push_back(line);
			continue;
		}
		if (line.compare(0, 5, "file:") != 0)
			continue;
		std::string rest = line.substr(5);
		if (rest.compare(0, 2, "//") == 0) {
			// file://host/path: only this machine's files.
			size_t slash = rest.find('/', 2);
			if (slash == std::string::npos)
				continue;
			std::string host = rest.substr(2, slash - 2);
			if (!host.empty() && host != "localhost")
				continue;
			rest = rest.substr(slash);
		}
		std::string path;
		if (rest.empty() || rest[0] != '/' || !Decode(rest, &path))
			continue;
		files.push_back(path);
	}
	return files;
}


void
PostDrop(int32 window, int x, int y, const std::string& uriList)
{
	BMessage drop(B_INPUT_DROP);
	// In points, as the kit counts.
	BPoint where(FltkView::Unscaled(x), FltkView::Unscaled(y));
	drop.AddData("where", B_POINT_TYPE, &where, sizeof(where));
	int32 count = 0;
	for (const std::string& path : FilesOfUriList(uriList)) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) != B_OK)
			continue;
		drop.AddRef("refs", &ref);
		count++;
	}
	if (count > 0)
		MirrorInput::Post(window, &drop);
}

} // namespace BPrivate
