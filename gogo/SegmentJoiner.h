#ifndef SEGMENT_JOINER_H
#define SEGMENT_JOINER_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "Mp3Frames.h"

// One segment's frames as its own LAME instance wrote them. Its first frame
// is the stream's frame firstFrame; it overlaps the segment before it by
// some frames, and the one after it by a few.
struct EncodedSegment {
	int64_t						firstFrame;
	// Where the segment's own audio begins, in frames of the stream: the
	// frames before it only let the encoder settle.
	int64_t						boundaryFrame;
	// The last frame whose audio was all fed before the flush; every frame
	// of the last segment.
	int64_t						lastCleanFrame;
	std::vector<uint8_t>		bytes;
	std::vector<Mp3Frame>		frames;
};


// Joins the frame streams of consecutive segments into one stream. At each
// join it takes a frame j where the earlier segment's bit reservoir has
// room for the later one's backlog (the part of frame j's main data that
// lies before j's header), writes that backlog into the earlier segment's
// main data space before j, and goes on with the later segment from j.
class SegmentJoiner {
public:
	typedef std::function<bool(const uint8_t*, size_t)> Sink;

								SegmentJoiner(const Sink& sink);

			// Segments come in order. False with Error() set where no
			// join could be made or the sink failed.
			bool				Add(EncodedSegment&& segment);
			bool				Finish();

			const std::string&	Error() const { return fError; }
			// The size of every frame written, in order.
			const std::vector<uint32_t>& FrameSizes() const
									{ return fFrameSizes; }
			uint64_t			BytesWritten() const { return fBytes; }
			// CRC-16 of every byte written, as the Info tag keeps it.
			uint16_t			MusicCrc() const { return fCrc; }

	// The frame, counted in the stream, where two segments join; -1 where
	// their overlap holds none that allows it.
	static	int64_t				FindJoin(const EncodedSegment& earlier,
									size_t earlierFrom,
									const EncodedSegment& later);

private:
			bool				_Write(const EncodedSegment& segment,
									size_t from, size_t to);

			Sink				fSink;
			EncodedSegment		fPending;
			size_t				fPendingFrom;
			bool				fHavePending;
			std::vector<uint32_t> fFrameSizes;
			uint64_t			fBytes;
			uint16_t			fCrc;
			std::string			fError;
};

// CRC-16 as the Info tag uses it (polynomial 0x8005, reflected).
uint16_t UpdateCrc16(uint16_t crc, const uint8_t* bytes, size_t size);

#endif	// SEGMENT_JOINER_H
