#ifndef INFO_TAG_H
#define INFO_TAG_H

#include <stdint.h>

#include <string>
#include <vector>

// The LAME/Info tag in an MP3's first frame (a Xing header with LAME's
// extension). LAME writes it for the one stream it encoded; for a stream
// joined from segments, the first segment's tag is taken for what the
// settings fix (version, quality, lowpass, modes, delay) and the rest is
// written anew for the whole stream.
class InfoTag {
public:
	// No ReplayGain: the field reads "not set".
	static	const int			kNoGain = INT32_MIN;

	// Rewrites tag, a whole first frame, for frames of musicFrameSizes
	// bytes holding inputSamples samples per channel; gainTenths is the
	// track's radio gain in tenths of a dB.
	static	bool				Describe(std::vector<uint8_t>& tag,
									const std::vector<uint32_t>& musicFrameSizes,
									uint16_t musicCrc, int64_t inputSamples,
									int gainTenths, std::string& error);
	// The offset of the "Xing" or "Info" word in a first frame; 0 where
	// there is none.
	static	size_t				Find(const uint8_t* frame, size_t size);
};

#endif	// INFO_TAG_H
