#ifndef MP3_FRAMES_H
#define MP3_FRAMES_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

// The Layer III frames of a stretch of MP3 bytes, with what joining two
// streams needs to know of each: where its main data area lies, how far
// back its main data begins (the bit reservoir) and how long it is.
struct Mp3Frame {
	size_t		offset;
	size_t		size;
	// The main data area: the bytes after the side information.
	size_t		areaOffset;
	size_t		areaSize;
	size_t		sideInfoOffset;
	int			mainDataBegin;
	// The bytes of main data the frame's granules use, rounded up.
	int			mainDataLength;
	int			samples;
	int			sampleRate;
	int			bitRate;
	bool		mpeg1;
	bool		mono;
};


class Mp3Frames {
public:
	// Parses a frame header and its side information; false where the
	// bytes are no Layer III frame or the frame does not fit.
	static	bool				Parse(const uint8_t* bytes, size_t size,
									size_t offset, Mp3Frame& frame);
	// Every frame from the start, back to back; false where anything
	// else is found.
	static	bool				ParseAll(const uint8_t* bytes, size_t size,
									std::vector<Mp3Frame>& frames);
};

#endif	// MP3_FRAMES_H
