// The screenshots' PNG files read back: chunks, checksums, and the pixels
// out of the stored deflate blocks.

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "PngWriter.h"

namespace {

uint32
Big32(const std::vector<uint8>& data, size_t offset)
{
	return (uint32)data[offset] << 24 | data[offset + 1] << 16
		| data[offset + 2] << 8 | data[offset + 3];
}


// Reads what WritePng writes; false at the first thing that is wrong.
bool
ReadPng(const std::string& path, int* width, int* height,
	std::vector<uint8>* rgb)
{
	std::ifstream file(path, std::ios::binary);
	std::vector<uint8> data((std::istreambuf_iterator<char>(file)),
		std::istreambuf_iterator<char>());
	static const uint8 kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n',
		0x1a, '\n' };
	if (data.size() < 8 || !std::equal(kSignature, kSignature + 8,
			data.begin()))
		return false;
	std::vector<uint8> zlib;
	bool ended = false;
	for (size_t offset = 8; offset + 12 <= data.size() && !ended;) {
		uint32 length = Big32(data, offset);
		if (offset + 12 + length > data.size())
			return false;
		std::string type(data.begin() + offset + 4, data.begin() + offset + 8);
		if (PngCrc(&data[offset + 4], length + 4)
				!= Big32(data, offset + 8 + length))
			return false;
		const uint8* body = &data[offset + 8];
		if (type == "IHDR") {
			if (length != 13 || body[8] != 8 || body[9] != 2)
				return false;
			*width = Big32(data, offset + 8);
			*height = Big32(data, offset + 12);
		} else if (type == "IDAT")
			zlib.insert(zlib.end(), body, body + length);
		else if (type == "IEND")
			ended = true;
		offset += 12 + length;
	}
	if (!ended || zlib.size() < 6 || (zlib[0] * 256 + zlib[1]) % 31 != 0)
		return false;

	std::vector<uint8> raw;
	size_t at = 2;
	bool last = false;
	while (!last) {
		if (at + 5 > zlib.size() || (zlib[at] & 0x06) != 0)
			return false;
		last = (zlib[at] & 1) != 0;
		uint32 length = zlib[at + 1] | zlib[at + 2] << 8;
		uint32 check = zlib[at + 3] | zlib[at + 4] << 8;
		if ((length ^ 0xffff) != check || at + 5 + length > zlib.size())
			return false;
		raw.insert(raw.end(), zlib.begin() + at + 5,
			zlib.begin() + at + 5 + length);
		at += 5 + length;
	}
	if (at + 4 != zlib.size() || Adler32(raw.data(), raw.size())
			!= Big32(zlib, at))
		return false;

	size_t stride = (size_t)*width * 3 + 1;
	if (raw.size() != stride * *height)
		return false;
	rgb->clear();
	for (int y = 0; y < *height; y++) {
		if (raw[y * stride] != 0)
			return false;
		rgb->insert(rgb->end(), raw.begin() + y * stride + 1,
			raw.begin() + (y + 1) * stride);
	}
	return true;
}

} // namespace


TEST(PngWriterTest, PixelsReadBackAcrossSeveralBlocks)
{
	char folder[] = "/tmp/tolvex-png-XXXXXX";
	ASSERT_NE(nullptr, mkdtemp(folder));
	std::string path = std::string(folder) + "/shot.png";

	// 200 x 150 makes 90150 bytes of rows: two stored blocks.
	const int width = 200, height = 150;
	std::vector<uint8> rgb(width * height * 3);
	for (size_t i = 0; i < rgb.size(); i++)
		rgb[i] = (uint8)(i * 7 + i / 601);
	ASSERT_TRUE(WritePng(path, width, height, rgb));

	int readWidth = 0, readHeight = 0;
	std::vector<uint8> read;
	ASSERT_TRUE(ReadPng(path, &readWidth, &readHeight, &read));
	EXPECT_EQ(width, readWidth);
	EXPECT_EQ(height, readHeight);
	EXPECT_TRUE(read == rgb);

	// One pixel, and sizes that do not match the pixels.
	std::vector<uint8> one = { 216, 216, 216 };
	ASSERT_TRUE(WritePng(path, 1, 1, one));
	ASSERT_TRUE(ReadPng(path, &readWidth, &readHeight, &read));
	EXPECT_TRUE(read == one);
	EXPECT_FALSE(WritePng(path, 2, 1, one));
	EXPECT_FALSE(WritePng(path, 0, 0, std::vector<uint8>()));

	// Known checks of the two sums.
	const uint8 text[] = "123456789";
	EXPECT_EQ(0xcbf43926u, PngCrc(text, 9));
	EXPECT_EQ(0x091e01deu, Adler32(text, 9));

	unlink(path.c_str());
	rmdir(folder);
}
