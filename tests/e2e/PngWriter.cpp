#include "PngWriter.h"

#include <stdio.h>

namespace {

// A deflate stored block holds at most this many bytes.
const size_t kMaxStoredBlock = 65535;


void
AppendBig32(std::vector<uint8>& out, uint32 value)
{
	out.push_back(value >> 24);
	out.push_back(value >> 16);
	out.push_back(value >> 8);
	out.push_back(value);
}


void
AppendChunk(std::vector<uint8>& out, const char* type,
	const std::vector<uint8>& data)
{
	AppendBig32(out, (uint32)data.size());
	size_t start = out.size();
	out.insert(out.end(), type, type + 4);
	out.insert(out.end(), data.begin(), data.end());
	AppendBig32(out, PngCrc(&out[start], out.size() - start));
}

} // namespace


uint32
PngCrc(const uint8* data, size_t length, uint32 crc)
{
	crc = ~crc;
	for (size_t i = 0; i < length; i++) {
		crc ^= data[i];
		for (int bit = 0; bit < 8; bit++)
			crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
	}
	return ~crc;
}


uint32
Adler32(const uint8* data, size_t length)
{
	uint32 a = 1, b = 0;
	for (size_t i = 0; i < length; i++) {
		a = (a + data[i]) % 65521;
		b = (b + a) % 65521;
	}
	return b << 16 | a;
}


bool
WritePng(const std::string& path, int width, int height,
	const std::vector<uint8>& rgb)
{
	if (width <= 0 || height <= 0
		|| rgb.size() != (size_t)width * height * 3)
		return false;

	// Each row starts with its filter type, 0: none.
	std::vector<uint8> raw;
	raw.reserve((size_t)(width * 3 + 1) * height);
	for (int y = 0; y < height; y++) {
		raw.push_back(0);
		const uint8* row = &rgb[(size_t)y * width * 3];
		raw.insert(raw.end(), row, row + width * 3);
	}

	std::vector<uint8> zlib;
	// Deflate, 32 KiB window, no dictionary; the check makes 0x7801 a
	// multiple of 31.
	zlib.push_back(0x78);
	zlib.push_back(0x01);
	size_t offset = 0;
	do {
		size_t length = raw.size() - offset;
		if (length > kMaxStoredBlock)
			length = kMaxStoredBlock;
		bool last = offset + length == raw.size();
		zlib.push_back(last ? 1 : 0);
		zlib.push_back(length & 0xff);
		zlib.push_back(length >> 8);
		zlib.push_back(~length & 0xff);
		zlib.push_back((~length >> 8) & 0xff);
		zlib.insert(zlib.end(), raw.begin() + offset,
			raw.begin() + offset + length);
		offset += length;
	} while (offset < raw.size());
	AppendBig32(zlib, Adler32(raw.data(), raw.size()));

	std::vector<uint8> header;
	AppendBig32(header, width);
	AppendBig32(header, height);
	header.push_back(8);	// bits per sample
	header.push_back(2);	// RGB
	header.push_back(0);	// deflate
	header.push_back(0);	// adaptive filters
	header.push_back(0);	// not interlaced

	static const uint8 kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n',
		0x1a, '\n' };
	std::vector<uint8> file(kSignature, kSignature + 8);
	AppendChunk(file, "IHDR", header);
	AppendChunk(file, "IDAT", zlib);
	AppendChunk(file, "IEND", std::vector<uint8>());

	FILE* out = fopen(path.c_str(), "wb");
	if (out == NULL)
		return false;
	bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
	return fclose(out) == 0 && written;
}
