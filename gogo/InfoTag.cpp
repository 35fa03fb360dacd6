#include "InfoTag.h"

#include <string.h>

#include "Mp3Frames.h"
#include "SegmentJoiner.h"


// From the "Xing" word: flags, frames, bytes, TOC, quality, then LAME's
// extension.
static const size_t kFramesField = 8;
static const size_t kBytesField = 12;
static const size_t kTocField = 16;
static const size_t kRadioGainField = 135;
static const size_t kDelayField = 141;
static const size_t kMusicLengthField = 148;
static const size_t kMusicCrcField = 152;
static const size_t kTagCrcField = 154;
static const size_t kTagSize = 156;
static const uint32_t kTocFlag = 4;


static void
WriteBig32(uint8_t* bytes, uint32_t value)
{
	bytes[0] = (uint8_t)(value >> 24);
	bytes[1] = (uint8_t)(value >> 16);
	bytes[2] = (uint8_t)(value >> 8);
	bytes[3] = (uint8_t)value;
}


/*static*/ size_t
InfoTag::Find(const uint8_t* frame, size_t size)
{
	Mp3Frame header;
	if (!Mp3Frames::Parse(frame, size, 0, header)
		|| header.areaOffset + kTagSize > size)
		return 0;
	const uint8_t* word = frame + header.areaOffset;
	if (memcmp(word, "Xing", 4) != 0 && memcmp(word, "Info", 4) != 0)
		return 0;
	return header.areaOffset;
}


/*static*/ bool
InfoTag::Describe(std::vector<uint8_t>& tag,
	const std::vector<uint32_t>& musicFrameSizes, uint16_t musicCrc,
	int64_t inputSamples, int gainTenths, std::string& error)
{
	size_t at = Find(tag.data(), tag.size());
	Mp3Frame header;
	if (at == 0 || !Mp3Frames::Parse(tag.data(), tag.size(), 0, header)) {
		error = "LAME's tag is not where it belongs";
		return false;
	}
	uint8_t* field = tag.data() + at;
	const uint64_t frames = musicFrameSizes.size();
	uint64_t total = tag.size();
	for (uint32_t size : musicFrameSizes)
		total += size;
	if (total > UINT32_MAX)
		total = UINT32_MAX;
	WriteBig32(field + kFramesField, (uint32_t)frames);
	WriteBig32(field + kBytesField, (uint32_t)total);

	uint32_t flags = ((uint32_t)field[4] << 24) | (field[5] << 16)
		| (field[6] << 8) | field[7];
	if ((flags & kTocFlag) != 0 && frames > 0) {
		// Entry i: where the frame i% of the way through begins, in
		// 256ths of the file.
		uint64_t position = tag.size();
		uint64_t next = 0;
		for (int i = 0; i < 100; i++) {
			uint64_t frame = (uint64_t)i * frames / 100;
			for (; next < frame; next++)
				position += musicFrameSizes[next];
			uint64_t entry = position * 256 / total;
			field[kTocField + i] = (uint8_t)(entry > 255 ? 255 : entry);
		}
	}

	// Encoder delay as LAME set it; the padding makes a gapless decoder
	// give back exactly the input's samples.
	uint8_t* delayField = field + kDelayField;
	int64_t delay = (delayField[0] << 4) | (delayField[1] >> 4);
	int64_t padding = (int64_t)frames * header.samples - delay - inputSamples;
	if (padding < 0 || padding > 0xfff) {
		error = "the joined stream does not hold the input's length";
		return false;
	}
	delayField[1] = (uint8_t)((delayField[1] & 0xf0) | (padding >> 8));
	delayField[2] = (uint8_t)padding;

	// The radio gain: name 1 (radio), originator 3 (set automatically),
	// sign, and nine bits of tenths of a dB.
	uint16_t gain = 0;
	if (gainTenths != kNoGain) {
		int magnitude = gainTenths < 0 ? -gainTenths : gainTenths;
		if (magnitude > 0x1ff)
			magnitude = 0x1ff;
		gain = (uint16_t)((1 << 13) | (3 << 10) | (gainTenths < 0 ? 1 << 9 : 0)
			| magnitude);
	}
	field[kRadioGainField] = (uint8_t)(gain >> 8);
	field[kRadioGainField + 1] = (uint8_t)gain;

	WriteBig32(field + kMusicLengthField, (uint32_t)total);
	field[kMusicCrcField] = (uint8_t)(musicCrc >> 8);
	field[kMusicCrcField + 1] = (uint8_t)musicCrc;
	uint16_t crc = UpdateCrc16(0, tag.data(), at + kTagCrcField);
	field[kTagCrcField] = (uint8_t)(crc >> 8);
	field[kTagCrcField + 1] = (uint8_t)crc;
	return true;
}
