#include "Mp3Frames.h"


static const int kBitRates[2][16] = {
	{ 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0 },
	{ 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0 },
};
static const int kSampleRates[4][3] = {
	{ 11025, 12000, 8000 }, { 0, 0, 0 }, { 22050, 24000, 16000 },
	{ 44100, 48000, 32000 },
};


namespace {

class BitReader {
public:
	BitReader(const uint8_t* bytes) : fBytes(bytes), fBit(0) {}

	uint32_t Read(int count)
	{
		uint32_t value = 0;
		for (int i = 0; i < count; i++, fBit++) {
			value = (value << 1)
				| ((fBytes[fBit >> 3] >> (7 - (fBit & 7))) & 1);
		}
		return value;
	}

	void Skip(int count) { fBit += count; }

private:
	const uint8_t*	fBytes;
	size_t			fBit;
};

}	// namespace


/*static*/ bool
Mp3Frames::Parse(const uint8_t* bytes, size_t size, size_t offset,
	Mp3Frame& frame)
{
	if (offset + 4 > size)
		return false;
	const uint8_t* header = bytes + offset;
	if (header[0] != 0xff || (header[1] & 0xe0) != 0xe0
		|| ((header[1] >> 1) & 3) != 1)
		return false;
	int version = (header[1] >> 3) & 3;
	frame.mpeg1 = version == 3;
	frame.bitRate = kBitRates[frame.mpeg1 ? 0 : 1][header[2] >> 4];
	frame.sampleRate = kSampleRates[version][(header[2] >> 2) & 3];
	if (frame.bitRate == 0 || frame.sampleRate == 0)
		return false;
	bool padding = (header[2] >> 1) & 1;
	bool crc = (header[1] & 1) == 0;
	frame.mono = (header[3] >> 6) == 3;
	frame.samples = frame.mpeg1 ? 1152 : 576;
	frame.size = (size_t)(frame.samples / 8) * frame.bitRate * 1000
		/ frame.sampleRate + padding;
	frame.offset = offset;
	frame.sideInfoOffset = offset + 4 + (crc ? 2 : 0);
	size_t sideInfo = frame.mpeg1 ? (frame.mono ? 17 : 32)
		: (frame.mono ? 9 : 17);
	frame.areaOffset = frame.sideInfoOffset + sideInfo;
	if (frame.areaOffset > offset + frame.size || offset + frame.size > size)
		return false;
	frame.areaSize = offset + frame.size - frame.areaOffset;

	BitReader reader(bytes + frame.sideInfoOffset);
	int channels = frame.mono ? 1 : 2;
	int bits = 0;
	if (frame.mpeg1) {
		frame.mainDataBegin = reader.Read(9);
		reader.Skip((frame.mono ? 5 : 3) + 4 * channels);
		for (int granule = 0; granule < 2; granule++) {
			for (int channel = 0; channel < channels; channel++) {
				bits += reader.Read(12);
				reader.Skip(59 - 12);
			}
		}
	} else {
		frame.mainDataBegin = reader.Read(8);
		reader.Skip(frame.mono ? 1 : 2);
		for (int channel = 0; channel < channels; channel++) {
			bits += reader.Read(12);
			reader.Skip(63 - 12);
		}
	}
	frame.mainDataLength = (bits + 7) / 8;
	return true;
}


/*static*/ bool
Mp3Frames::ParseAll(const uint8_t* bytes, size_t size,
	std::vector<Mp3Frame>& frames)
{
	frames.clear();
	size_t offset = 0;
	while (offset < size) {
		Mp3Frame frame;
		if (!Parse(bytes, size, offset, frame))
			return false;
		frames.push_back(frame);
		offset += frame.size;
	}
	return true;
}

