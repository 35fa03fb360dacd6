#ifndef E2E_PNG_WRITER_H
#define E2E_PNG_WRITER_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// Writes 8-bit RGB pixels as a PNG file: stored (uncompressed) deflate
// blocks, which every reader takes, and no library.
bool WritePng(const std::string& path, int width, int height,
	const std::vector<uint8>& rgb);

// The CRC of PNG chunks and the Adler-32 of zlib streams, for the writer
// and for tests that read the file back.
uint32 PngCrc(const uint8* data, size_t length, uint32 crc = 0);
uint32 Adler32(const uint8* data, size_t length);

#endif
