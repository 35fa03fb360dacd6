#include "SegmentJoiner.h"

#include <string.h>


// A join is sought this close to where the later segment's own audio
// begins first: its frames before have had time to settle, and the
// earlier segment's frames up to there were encoded with audio after them.
static const int kJoinBefore = 4;
static const int kJoinAfter = 2;


namespace {

// Main data positions: the byte offset, among main data areas only, at
// which each frame's area begins.
std::vector<size_t>
AreaStarts(const EncodedSegment& segment, size_t count)
{
	std::vector<size_t> starts(count + 1);
	starts[0] = 0;
	for (size_t i = 0; i < count; i++)
		starts[i + 1] = starts[i] + segment.frames[i].areaSize;
	return starts;
}


// The byte at a main data position.
uint8_t*
MainDataByte(EncodedSegment& segment, const std::vector<size_t>& starts,
	size_t position)
{
	size_t frame = 0;
	while (starts[frame + 1] <= position)
		frame++;
	return segment.bytes.data() + segment.frames[frame].areaOffset
		+ (position - starts[frame]);
}

}	// namespace


uint16_t
UpdateCrc16(uint16_t crc, const uint8_t* bytes, size_t size)
{
	for (size_t i = 0; i < size; i++) {
		crc ^= bytes[i];
		for (int bit = 0; bit < 8; bit++)
			crc = (crc & 1) ? (crc >> 1) ^ 0xa001 : crc >> 1;
	}
	return crc;
}


SegmentJoiner::SegmentJoiner(const Sink& sink)
	:
	fSink(sink),
	fPendingFrom(0),
	fHavePending(false),
	fBytes(0),
	fCrc(0)
{
}


/*static*/ int64_t
SegmentJoiner::FindJoin(const EncodedSegment& earlier, size_t earlierFrom,
	const EncodedSegment& later)
{
	const int64_t boundary = later.boundaryFrame;
	int64_t earlierEnd = earlier.firstFrame + (int64_t)earlier.frames.size();
	if (earlierEnd > earlier.lastCleanFrame + 1)
		earlierEnd = earlier.lastCleanFrame + 1;
	int64_t laterEnd = later.firstFrame + (int64_t)later.frames.size();
	int64_t last = earlierEnd - 1 < laterEnd - 1 ? earlierEnd - 1
		: laterEnd - 1;
	int64_t first = earlier.firstFrame + (int64_t)earlierFrom + 1;
	if (first < later.firstFrame + 1)
		first = later.firstFrame + 1;
	if (last < first)
		return -1;

	std::vector<size_t> starts = AreaStarts(earlier,
		(size_t)(last - earlier.firstFrame) + 1);
	// Near the boundary first, so that each segment mostly gives its own
	// audio; then anywhere in the overlap, which rarely takes more.
	for (int wide = 0; wide < 2; wide++) {
		int64_t low = wide ? first : boundary - kJoinBefore;
		int64_t high = wide ? last : boundary + kJoinAfter;
		int64_t reach = boundary - low > high - boundary
			? boundary - low : high - boundary;
		for (int64_t step = 0; step <= 2 * reach; step++) {
			int64_t join = boundary
				+ ((step & 1) ? (step + 1) / 2 : -step / 2);
			if (join < low || join > high || join < first || join > last)
				continue;
			size_t e = (size_t)(join - earlier.firstFrame);
			const Mp3Frame& before = earlier.frames[e - 1];
			size_t usedEnd = starts[e - 1] - before.mainDataBegin
				+ before.mainDataLength;
			size_t backlog = later.frames[(size_t)(join - later.firstFrame)]
				.mainDataBegin;
			if (usedEnd <= starts[e] && starts[e] - usedEnd >= backlog
				&& starts[e] - starts[earlierFrom] >= backlog)
				return join;
		}
	}
	return -1;
}


bool
SegmentJoiner::Add(EncodedSegment&& later)
{
	if (!fHavePending) {
		fPending = std::move(later);
		fPendingFrom = 0;
		fHavePending = true;
		return true;
	}
	int64_t join = FindJoin(fPending, fPendingFrom, later);
	if (join < 0) {
		fError = "the segments at frame " + std::to_string(later.boundaryFrame)
			+ " could not be joined";
		return false;
	}
	size_t e = (size_t)(join - fPending.firstFrame);
	size_t l = (size_t)(join - later.firstFrame);
	std::vector<size_t> earlierStarts = AreaStarts(fPending, e);
	std::vector<size_t> laterStarts = AreaStarts(later, l);
	const Mp3Frame& before = fPending.frames[e - 1];
	size_t usedEnd = earlierStarts[e - 1] - before.mainDataBegin
		+ before.mainDataLength;
	size_t backlog = later.frames[l].mainDataBegin;
	// What the earlier segment had there was its own frame j's, which goes:
	// zeros, then the later segment's backlog right up to frame j.
	for (size_t position = usedEnd; position < earlierStarts[e] - backlog;
			position++)
		*MainDataByte(fPending, earlierStarts, position) = 0;
	for (size_t i = 0; i < backlog; i++) {
		*MainDataByte(fPending, earlierStarts, earlierStarts[e] - backlog + i)
			= *MainDataByte(later, laterStarts, laterStarts[l] - backlog + i);
	}
	if (!_Write(fPending, fPendingFrom, e))
		return false;
	fPending = std::move(later);
	fPendingFrom = l;
	return true;
}


bool
SegmentJoiner::Finish()
{
	if (!fHavePending)
		return true;
	fHavePending = false;
	return _Write(fPending, fPendingFrom, fPending.frames.size());
}


bool
SegmentJoiner::_Write(const EncodedSegment& segment, size_t from, size_t to)
{
	if (from >= to)
		return true;
	size_t start = segment.frames[from].offset;
	size_t end = segment.frames[to - 1].offset + segment.frames[to - 1].size;
	for (size_t i = from; i < to; i++)
		fFrameSizes.push_back((uint32_t)segment.frames[i].size);
	fCrc = UpdateCrc16(fCrc, segment.bytes.data() + start, end - start);
	fBytes += end - start;
	if (!fSink(segment.bytes.data() + start, end - start)) {
		fError.clear();
		return false;
	}
	return true;
}
