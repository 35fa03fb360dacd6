// Writes the icons of an executable's resource block as PNG files, for the
// desktop's icon theme:
//   IconPng EXECUTABLE LARGE.png MINI.png
// Transparent pixels stay transparent. Exits non-zero when the executable
// has no such icons or a file cannot be written.

#include <stdio.h>

#include <string>
#include <vector>

#include <AppFileInfo.h>
#include <Bitmap.h>
#include <File.h>

#include "display/fltk/FltkIcon.h"

namespace {

void
AppendBig32(std::vector<uint8>& out, uint32 value)
{
	out.push_back(value >> 24);
	out.push_back(value >> 16);
	out.push_back(value >> 8);
	out.push_back(value);
}


uint32
Crc(const uint8* data, size_t length)
{
	uint32 crc = ~0u;
	for (size_t i = 0; i < length; i++) {
		crc ^= data[i];
		for (int bit = 0; bit < 8; bit++)
			crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
	}
	return ~crc;
}


void
AppendChunk(std::vector<uint8>& out, const char* type,
	const std::vector<uint8>& data)
{
	AppendBig32(out, (uint32)data.size());
	size_t start = out.size();
	out.insert(out.end(), type, type + 4);
	out.insert(out.end(), data.begin(), data.end());
	AppendBig32(out, Crc(&out[start], out.size() - start));
}


// RGBA, 8 bits a sample, in one stored deflate block: an icon is far
// smaller than the 65535 bytes a block holds, and every reader takes it.
bool
WritePng(const char* path, int side, const std::vector<uint8>& rgba)
{
	std::vector<uint8> raw;
	for (int y = 0; y < side; y++) {
		raw.push_back(0);
		raw.insert(raw.end(), rgba.begin() + (size_t)y * side * 4,
			rgba.begin() + (size_t)(y + 1) * side * 4);
	}
	if (raw.size() > 65535)
		return false;

	std::vector<uint8> zlib = { 0x78, 0x01, 1 };
	zlib.push_back(raw.size() & 0xff);
	zlib.push_back(raw.size() >> 8);
	zlib.push_back(~raw.size() & 0xff);
	zlib.push_back((~raw.size() >> 8) & 0xff);
	zlib.insert(zlib.end(), raw.begin(), raw.end());
	uint32 a = 1, b = 0;
	for (uint8 byte : raw) {
		a = (a + byte) % 65521;
		b = (b + a) % 65521;
	}
	AppendBig32(zlib, b << 16 | a);

	std::vector<uint8> header;
	AppendBig32(header, side);
	AppendBig32(header, side);
	header.insert(header.end(), { 8, 6, 0, 0, 0 });

	std::vector<uint8> file = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
	AppendChunk(file, "IHDR", header);
	AppendChunk(file, "IDAT", zlib);
	AppendChunk(file, "IEND", std::vector<uint8>());

	FILE* out = fopen(path, "wb");
	if (out == NULL)
		return false;
	bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
	return fclose(out) == 0 && written;
}


bool
ExportIcon(const BAppFileInfo& info, icon_size size, const char* path)
{
	int side = (int)size;
	BBitmap icon(BRect(0, 0, side - 1, side - 1), B_CMAP8);
	if (icon.InitCheck() != B_OK || info.GetIcon(&icon, size) != B_OK) {
		fprintf(stderr, "IconPng: no %dx%d icon\n", side, side);
		return false;
	}
	std::vector<uint8> rgba((size_t)side * side * 4);
	const uint8* bits = (const uint8*)icon.Bits();
	for (int row = 0; row < side; row++) {
		BPrivate::CMap8ToRGBA(bits + row * icon.BytesPerRow(), side,
			&rgba[(size_t)row * side * 4]);
	}
	if (!WritePng(path, side, rgba)) {
		fprintf(stderr, "IconPng: cannot write %s\n", path);
		return false;
	}
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 4) {
		fprintf(stderr, "usage: IconPng EXECUTABLE LARGE.png MINI.png\n");
		return 2;
	}
	BFile file(argv[1], B_READ_ONLY);
	BAppFileInfo info(&file);
	if (file.InitCheck() != B_OK || info.InitCheck() != B_OK) {
		fprintf(stderr, "IconPng: cannot read %s\n", argv[1]);
		return 1;
	}
	bool large = ExportIcon(info, B_LARGE_ICON, argv[2]);
	bool mini = ExportIcon(info, B_MINI_ICON, argv[3]);
	return large && mini ? 0 : 1;
}
