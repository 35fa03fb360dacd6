// Writes the icons of an executable's resource block as PNG files, for the
// desktop's icon theme:
//   IconPng EXECUTABLE SIZE:FILE.png...
// SIZE is 16 or 32 (the resource icons as they are), or a multiple of
// either: the larger ones are made from the 32-pixel icon (48 from the
// 16-pixel one) by whole pixels, so that they stay as sharp as drawn.
// Transparent pixels stay transparent. Exits non-zero when the executable
// has no such icons or a file cannot be written.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
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


// RGBA, 8 bits a sample, in stored deflate blocks (at most 65535 bytes
// each): every reader takes them, and an icon needs no compression.
bool
WritePng(const char* path, int side, const std::vector<uint8>& rgba)
{
	std::vector<uint8> raw;
	for (int y = 0; y < side; y++) {
		raw.push_back(0);
		raw.insert(raw.end(), rgba.begin() + (size_t)y * side * 4,
			rgba.begin() + (size_t)(y + 1) * side * 4);
	}

	std::vector<uint8> zlib = { 0x78, 0x01 };
	for (size_t start = 0; start < raw.size();) {
		size_t length = std::min<size_t>(raw.size() - start, 65535);
		bool last = start + length == raw.size();
		zlib.push_back(last ? 1 : 0);
		zlib.push_back(length & 0xff);
		zlib.push_back(length >> 8);
		zlib.push_back(~length & 0xff);
		zlib.push_back((~length >> 8) & 0xff);
		zlib.insert(zlib.end(), raw.begin() + start,
			raw.begin() + start + length);
		start += length;
	}
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


// The icon of that size, as RGBA.
bool
ReadIcon(const BAppFileInfo& info, icon_size size, std::vector<uint8>* rgba)
{
	int side = (int)size;
	BBitmap icon(BRect(0, 0, side - 1, side - 1), B_CMAP8);
	if (icon.InitCheck() != B_OK || info.GetIcon(&icon, size) != B_OK) {
		fprintf(stderr, "IconPng: no %dx%d icon\n", side, side);
		return false;
	}
	rgba->resize((size_t)side * side * 4);
	const uint8* bits = (const uint8*)icon.Bits();
	for (int row = 0; row < side; row++) {
		BPrivate::CMap8ToRGBA(bits + row * icon.BytesPerRow(), side,
			&(*rgba)[(size_t)row * side * 4]);
	}
	return true;
}


bool
ExportIcon(const BAppFileInfo& info, int side, const char* path)
{
	// The detailed 32-pixel icon where a whole multiple of it makes the
	// size, else the 16-pixel one.
	icon_size source = side % B_LARGE_ICON == 0 ? B_LARGE_ICON : B_MINI_ICON;
	if (side <= 0 || side % (int)source != 0 || side > 128) {
		fprintf(stderr, "IconPng: %d is no size made of whole pixels of "
			"16 or 32, up to 128\n", side);
		return false;
	}
	std::vector<uint8> rgba;
	if (!ReadIcon(info, source, &rgba))
		return false;
	int factor = side / (int)source;
	std::vector<uint8> scaled((size_t)side * side * 4);
	BPrivate::ScaleRGBA(rgba.data(), (int)source, factor, scaled.data());
	if (!WritePng(path, side, scaled)) {
		fprintf(stderr, "IconPng: cannot write %s\n", path);
		return false;
	}
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc < 3) {
		fprintf(stderr, "usage: IconPng EXECUTABLE SIZE:FILE.png...\n");
		return 2;
	}
	BFile file(argv[1], B_READ_ONLY);
	BAppFileInfo info(&file);
	if (file.InitCheck() != B_OK || info.InitCheck() != B_OK) {
		fprintf(stderr, "IconPng: cannot read %s\n", argv[1]);
		return 1;
	}
	bool written = true;
	for (int i = 2; i < argc; i++) {
		char* end;
		long side = strtol(argv[i], &end, 10);
		if (end == argv[i] || *end != ':' || end[1] == '\0') {
			fprintf(stderr, "IconPng: not SIZE:FILE.png: %s\n", argv[i]);
			return 2;
		}
		written = ExportIcon(info, (int)side, end + 1) && written;
	}
	return written ? 0 : 1;
}
