// Copies Tolvex's settings from an installed executable to its successor,
// through the same attribute code the program reads them with, so that
// they also survive where the file system keeps no attributes of its own
// (the fallback store is keyed by the file, which an upgrade replaces).
// The old file's settings are removed once all are copied.
//   CopySettings OLD NEW
#include <stdio.h>

#include <string>

#include <Node.h>
#include <fs_attr.h>

static const char* kSettings[] = { "encoder_location", "dont_close_on_add",
	"dont_clear_on_open", "self_register_mime_type" };


int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: CopySettings OLD NEW\n");
		return 2;
	}
	BNode from(argv[1]);
	BNode to(argv[2]);
	if (from.InitCheck() != B_OK || to.InitCheck() != B_OK) {
		fprintf(stderr, "CopySettings: cannot open %s or %s\n", argv[1],
			argv[2]);
		return 1;
	}
	for (const char* name : kSettings) {
		attr_info info;
		status_t status = from.GetAttrInfo(name, &info);
		if (status == B_ENTRY_NOT_FOUND)
			continue;
		if (status != B_OK || info.size < 0 || info.size > 1 << 20) {
			fprintf(stderr, "CopySettings: cannot read %s of %s\n", name,
				argv[1]);
			return 1;
		}
		std::string data((size_t)info.size, '\0');
		ssize_t read = from.ReadAttr(name, info.type, 0, &data[0],
			data.size());
		if (read != (ssize_t)data.size()
			|| to.WriteAttr(name, info.type, 0, data.data(), data.size())
				!= (ssize_t)data.size()) {
			fprintf(stderr, "CopySettings: cannot copy %s to %s\n", name,
				argv[2]);
			return 1;
		}
	}
	for (const char* name : kSettings)
		from.RemoveAttr(name);
	return 0;
}
