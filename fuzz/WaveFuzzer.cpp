// libFuzzer target: a WAV built to mislead. Gogo -delete may remove its
// input only when the MP3 holds every sample the file may hold: all its
// data chunks, and whatever after its header is neither a chunk nor the
// ID3v1 tag at its end. A deleted input whose MP3 is shorter is a crash.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Encoder.h"
#include "GogoOptions.h"

namespace {

uint32_t
Little32(const uint8_t* bytes)
{
	return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)
		| ((uint32_t)bytes[3] << 24);
}


bool
IsId(const uint8_t* bytes)
{
	for (int i = 0; i < 4; i++) {
		if (bytes[i] < 0x20 || bytes[i] > 0x7e)
			return false;
	}
	return true;
}


// The sample frames a RIFF WAVE file may hold, counted apart from Gogo's
// own reader; -1 where it cannot tell (another format, no fmt chunk).
int64_t
FramesTheFileMayHold(const uint8_t* data, size_t size)
{
	if (size < 12 || memcmp(data, "RIFF", 4) != 0
		|| memcmp(data + 8, "WAVE", 4) != 0)
		return -1;
	uint64_t blockAlign = 0;
	uint64_t audio = 0;
	uint64_t offset = 12;
	while (offset + 8 <= size && IsId(data + offset)) {
		uint64_t chunkSize = Little32(data + offset + 4);
		uint64_t start = offset + 8;
		if (memcmp(data + offset, "fmt ", 4) == 0 && start + 14 <= size
			&& blockAlign == 0)
			blockAlign = data[start + 12] | (data[start + 13] << 8);
		if (memcmp(data + offset, "data", 4) == 0) {
			// An unwritten size stands for the rest of the file.
			if (chunkSize == 0 || chunkSize == 0xFFFFFFFF)
				chunkSize = size - start;
			audio += start + chunkSize > size ? size - start : chunkSize;
		}
		offset = start + chunkSize + (chunkSize & 1);
	}
	if (offset < size && !(offset <= size - 128 && size >= 128
			&& memcmp(data + size - 128, "TAG", 3) == 0))
		audio += size - offset;
	if (blockAlign == 0)
		return -1;
	return audio / blockAlign;
}


// The frames of sound in an MP3: every frame's samples but the tag's.
int64_t
FramesInMp3(const std::string& mp3)
{
	static const int kRates[3][16] = {
		{ 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 },
		{ 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 },
	};
	static const int kSampleRates[4][3] = {
		{ 11025, 12000, 8000 }, { 0, 0, 0 }, { 22050, 24000, 16000 },
		{ 44100, 48000, 32000 },
	};
	int64_t frames = 0;
	size_t offset = 0;
	bool first = true;
	while (offset + 4 <= mp3.size()) {
		const uint8_t* h = (const uint8_t*)mp3.data() + offset;
		if (h[0] != 0xff || (h[1] & 0xe0) != 0xe0)
			__builtin_trap();
		int version = (h[1] >> 3) & 3;
		int rate = kRates[version == 3 ? 0 : 1][h[2] >> 4];
		int sampleRate = kSampleRates[version][(h[2] >> 2) & 3];
		if (rate == 0 || sampleRate == 0)
			__builtin_trap();
		int samples = version == 3 ? 1152 : 576;
		size_t length = samples / 8 * rate * 1000 / sampleRate
			+ ((h[2] >> 1) & 1);
		bool tag = first && (mp3.find("Info", offset) < offset + 64
			|| mp3.find("Xing", offset) < offset + 64);
		if (!tag)
			frames += samples;
		first = false;
		offset += length;
	}
	return frames;
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static std::string sFolder;
	if (sFolder.empty()) {
		char folder[] = "/tmp/wavefuzz.XXXXXX";
		if (mkdtemp(folder) == NULL)
			__builtin_trap();
		sFolder = folder;
	}
	std::string wave = sFolder + "/in.wav";
	std::string mp3 = sFolder + "/in.mp3";
	FILE* file = fopen(wave.c_str(), "wb");
	if (file == NULL || fwrite(data, 1, size, file) != size
		|| fclose(file) != 0)
		__builtin_trap();

	GogoOptions options;
	if (options.Parse({ "-silent", "-delete", "-b", "32", "-nopsy", "-o",
			sFolder, wave }) != GogoOptions::PARSE_RUN)
		__builtin_trap();
	Encoder encoder(options);
	int status = encoder.Run();
	bool deleted = access(wave.c_str(), F_OK) != 0;
	if (deleted) {
		std::ifstream stream(mp3, std::ios::binary);
		std::string written((std::istreambuf_iterator<char>(stream)),
			std::istreambuf_iterator<char>());
		int64_t held = FramesTheFileMayHold(data, size);
		// LAME's stream starts 576 samples early.
		if (status != 0 || written.empty()
			|| (held >= 0 && FramesInMp3(written) < held + 576))
			__builtin_trap();
	}
	unlink(wave.c_str());
	unlink(mp3.c_str());
	return 0;
}
