#include "SegmentedEncoder.h"

#include <pthread.h>
#include <sched.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "InfoTag.h"
#include "OutputFile.h"
#include "Progress.h"


// The samples of the segments under way at once, at most (but two).
static const size_t kMaxSegmentMemory = 96 << 20;


namespace {

struct LameDeleter {
	void operator()(lame_global_flags* flags) const { lame_close(flags); }
};


sf_count_t
ReadFrames(SNDFILE* sound, short* samples, sf_count_t frames)
{
	return sf_readf_short(sound, samples, frames);
}


sf_count_t
ReadFrames(SNDFILE* sound, int* samples, sf_count_t frames)
{
	return sf_readf_int(sound, samples, frames);
}


sf_count_t
ReadFrames(SNDFILE* sound, float* samples, sf_count_t frames)
{
	return sf_readf_float(sound, samples, frames);
}


// The same calls as the single stream makes for each kind of sample.
int
EncodeFrames(lame_global_flags* lame, const short* samples, int frames,
	int channels, unsigned char* mp3, int size)
{
	if (channels == 2) {
		return lame_encode_buffer_interleaved(lame, (short*)samples, frames,
			mp3, size);
	}
	return lame_encode_buffer(lame, samples, samples, frames, mp3, size);
}


int
EncodeFrames(lame_global_flags* lame, const int* samples, int frames,
	int channels, unsigned char* mp3, int size)
{
	if (channels == 2) {
		return lame_encode_buffer_interleaved_int(lame, samples, frames, mp3,
			size);
	}
	return lame_encode_buffer_int(lame, samples, samples, frames, mp3, size);
}


int
EncodeFrames(lame_global_flags* lame, const float* samples, int frames,
	int channels, unsigned char* mp3, int size)
{
	if (channels == 2) {
		return lame_encode_buffer_interleaved_ieee_float(lame, samples,
			frames, mp3, size);
	}
	return lame_encode_buffer_ieee_float(lame, samples, samples, frames, mp3,
		size);
}


template<typename Sample>
sf_count_t
ReadInto(SNDFILE* sound, uint8_t* data, int channels, sf_count_t frames)
{
	sf_count_t done = 0;
	while (done < frames) {
		sf_count_t got = ReadFrames(sound,
			(Sample*)data + done * channels, frames - done);
		if (got <= 0)
			break;
		done += got;
	}
	return done;
}


template<typename Sample>
bool
EncodeAll(lame_global_flags* lame, const uint8_t* data, int channels,
	int64_t frames, std::vector<uint8_t>& out, int& status)
{
	const int kChunk = 1152;
	std::vector<unsigned char> mp3(kChunk * 5 / 4 + 7200);
	const Sample* samples = (const Sample*)data;
	for (int64_t done = 0; done < frames; done += kChunk) {
		int count = (int)std::min<int64_t>(kChunk, frames - done);
		status = EncodeFrames(lame, samples + done * channels, count,
			channels, mp3.data(), (int)mp3.size());
		if (status < 0)
			return false;
		out.insert(out.end(), mp3.data(), mp3.data() + status);
	}
	status = lame_encode_flush(lame, mp3.data(), (int)mp3.size());
	if (status < 0)
		return false;
	out.insert(out.end(), mp3.data(), mp3.data() + status);
	return true;
}


// The workers give way to the desktop: batch scheduling, and a little
// nicer than Gogo itself. Either may be refused; the encoding goes on.
void
LowerPriority()
{
	struct sched_param parameters;
	memset(&parameters, 0, sizeof(parameters));
	pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
	errno = 0;
	int nice = getpriority(PRIO_PROCESS, 0);
	if (errno == 0)
		setpriority(PRIO_PROCESS, gettid(), std::min(nice + 5, 19));
}

}	// namespace


SegmentedEncoder::SegmentedEncoder(SNDFILE* sound, sample_kind kind,
	int channels, int64_t totalFrames, int frameSamples, int threads,
	const Configure& configure, const ReplayGain& gain)
	:
	fSound(sound),
	fKind(kind),
	fChannels(channels),
	fTotalFrames(totalFrames),
	fFrameSamples(frameSamples),
	fThreads(threads < 1 ? 1 : threads),
	fConfigure(configure),
	fNextToWrite(0),
	fSegmentsRead(0),
	fReadingDone(false),
	fAborted(false),
	fFramesRead(0),
	fMusicBytes(0),
	fMusicCrc(0),
	fGain(gain)
{
	fSegments = SegmentCount(totalFrames, frameSamples);
	fSegmentFrames = SegmentFrames(totalFrames, frameSamples);
	// Each worker busy, one segment waiting for it, and one being read:
	// the writer waits for the oldest while the others go on. Many threads
	// get no more segments at once than fit in kMaxSegmentMemory.
	fWindow = (size_t)fThreads + 2;
	size_t segmentBytes = (size_t)(fSegmentFrames + kLeadInFrames
		+ kRunOutFrames) * frameSamples * channels * _SampleSize();
	size_t most = kMaxSegmentMemory / (segmentBytes > 0 ? segmentBytes : 1);
	if (fWindow > most)
		fWindow = most < 2 ? 2 : most;
}


SegmentedEncoder::~SegmentedEncoder()
{
}


/*static*/ int
SegmentedEncoder::DefaultThreads()
{
	cpu_set_t set;
	CPU_ZERO(&set);
	if (sched_getaffinity(0, sizeof(set), &set) != 0)
		return 1;
	int count = CPU_COUNT(&set);
	return count < 1 ? 1 : count;
}


/*static*/ size_t
SegmentedEncoder::SegmentCount(int64_t totalFrames, int frameSamples)
{
	int64_t most = totalFrames / ((int64_t)kMinSegmentFrames * frameSamples);
	size_t count = 1;
	while ((int64_t)count * 2 <= most)
		count *= 2;
	return count;
}


/*static*/ int64_t
SegmentedEncoder::SegmentFrames(int64_t totalFrames, int frameSamples)
{
	int64_t frames = (totalFrames + frameSamples - 1) / frameSamples;
	int64_t count = (int64_t)SegmentCount(totalFrames, frameSamples);
	return (frames + count - 1) / count;
}


size_t
SegmentedEncoder::_SampleSize() const
{
	return fKind == SAMPLES_SHORT ? sizeof(short)
		: fKind == SAMPLES_INT ? sizeof(int) : sizeof(float);
}


bool
SegmentedEncoder::Run(OutputFile& output, Progress& progress)
{
	std::thread reader(&SegmentedEncoder::_Read, this);
	std::vector<std::thread> workers;
	for (int i = 0; i < fThreads; i++)
		workers.emplace_back(&SegmentedEncoder::_Work, this);

	std::vector<uint8_t> blank;
	SegmentJoiner joiner([&output](const uint8_t* bytes, size_t size) {
		return output.Write(bytes, size);
	});
	bool ok = true;
	std::string error;
	for (size_t index = 0; ok; index++) {
		std::unique_ptr<Result> result;
		{
			std::unique_lock<std::mutex> lock(fLock);
			fChanged.wait(lock, [&] {
				return fAborted || fDone.count(index) != 0
					|| (fReadingDone && index >= fSegmentsRead);
			});
			if (fAborted) {
				ok = false;
				break;
			}
			if (fDone.count(index) == 0)
				break;
			result = std::move(fDone[index]);
			fDone.erase(index);
			fNextToWrite = index + 1;
		}
		fChanged.notify_all();
		if (!result->error.empty()) {
			_Abort(result->error);
			ok = false;
			break;
		}
		if (index == 0) {
			fTagTemplate = result->tag;
			// Room for the tag, which only the end can fill.
			blank.assign(fTagTemplate.size(), 0);
			if (!blank.empty() && !output.Write(blank.data(), blank.size())) {
				_Abort(output.Error());
				ok = false;
				break;
			}
		}
		int64_t written = result->segment.boundaryFrame;
		if (!joiner.Add(std::move(result->segment))) {
			_Abort(joiner.Error().empty() ? output.Error() : joiner.Error());
			ok = false;
			break;
		}
		progress.Update(std::min(fTotalFrames, written * fFrameSamples));
	}
	if (ok && !joiner.Finish()) {
		_Abort(output.Error());
		ok = false;
	}

	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!ok)
			fAborted = true;
		fReadingDone = fReadingDone || fAborted;
	}
	fChanged.notify_all();
	reader.join();
	for (std::thread& worker : workers)
		worker.join();
	if (!ok) {
		std::lock_guard<std::mutex> lock(fLock);
		return false;
	}
	fFrameSizes = joiner.FrameSizes();
	fMusicBytes = joiner.BytesWritten();
	fMusicCrc = joiner.MusicCrc();
	return true;
}


void
SegmentedEncoder::_Abort(const std::string& error)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fAborted) {
			fAborted = true;
			fError = error;
		}
	}
	fChanged.notify_all();
}


void
SegmentedEncoder::_Read()
{
	const int64_t length = fSegmentFrames * fFrameSamples;
	const int64_t leadIn = (int64_t)kLeadInFrames * fFrameSamples;
	const int64_t runOut = (int64_t)kRunOutFrames * fFrameSamples;
	const size_t frameBytes = _SampleSize() * fChannels;
	// The samples read for the segment before that the next one needs
	// again: its lead-in, and the run-out past the boundary.
	std::vector<uint8_t> carry;
	int64_t carryFirst = 0;
	int64_t readTo = 0;
	for (size_t index = 0; index < fSegments; index++) {
		{
			std::unique_lock<std::mutex> lock(fLock);
			fChanged.wait(lock, [&] {
				return fAborted || index < fNextToWrite + fWindow;
			});
			if (fAborted)
				break;
		}
		std::unique_ptr<Work> work(new Work);
		work->index = index;
		work->firstSample = std::max<int64_t>(0, index * length - leadIn);
		bool last = index + 1 == fSegments;
		int64_t end = last ? fTotalFrames
			: std::min(fTotalFrames, (int64_t)(index + 1) * length + runOut);
		work->data.resize((size_t)(end - work->firstSample) * frameBytes);
		int64_t have = 0;
		if (readTo > work->firstSample) {
			have = readTo - work->firstSample;
			memcpy(work->data.data(), carry.data()
				+ (work->firstSample - carryFirst) * frameBytes,
				(size_t)have * frameBytes);
		}
		uint8_t* into = work->data.data() + have * frameBytes;
		sf_count_t got = 0;
		switch (fKind) {
			case SAMPLES_SHORT:
				got = ReadInto<short>(fSound, into, fChannels, end - readTo);
				fGain.AddShort((const short*)into, got);
				break;
			case SAMPLES_INT:
				got = ReadInto<int>(fSound, into, fChannels, end - readTo);
				fGain.AddInt((const int*)into, got);
				break;
			case SAMPLES_FLOAT:
				got = ReadInto<float>(fSound, into, fChannels, end - readTo);
				fGain.AddFloat((const float*)into, got);
				break;
		}
		readTo += got;
		fFramesRead = readTo;
		// A file that ends early ends the stream there; the caller tells
		// the user how much was missing.
		if (readTo < end) {
			last = true;
			end = readTo;
			work->data.resize((size_t)(end - work->firstSample) * frameBytes);
		}
		work->samples = end - work->firstSample;
		work->last = last;
		int64_t nextFirst = (int64_t)(index + 1) * length - leadIn;
		if (!last && nextFirst < end) {
			carryFirst = nextFirst;
			carry.assign(work->data.begin()
				+ (nextFirst - work->firstSample) * frameBytes,
				work->data.end());
		}
		bool empty = work->samples <= 0;
		{
			std::lock_guard<std::mutex> lock(fLock);
			if (!empty) {
				fQueue.push_back(std::move(work));
				fSegmentsRead = index + 1;
			}
		}
		fChanged.notify_all();
		if (last)
			break;
	}
	{
		std::lock_guard<std::mutex> lock(fLock);
		fReadingDone = true;
	}
	fChanged.notify_all();
}


void
SegmentedEncoder::_Work()
{
	LowerPriority();
	for (;;) {
		std::unique_ptr<Work> work;
		{
			std::unique_lock<std::mutex> lock(fLock);
			fChanged.wait(lock, [&] {
				return fAborted || !fQueue.empty() || fReadingDone;
			});
			if (fAborted || fQueue.empty())
				return;
			work = std::move(fQueue.front());
			fQueue.pop_front();
		}
		std::unique_ptr<Result> result(new Result);
		_Encode(*work, *result);
		work.reset();
		{
			std::lock_guard<std::mutex> lock(fLock);
			size_t index = result->index;
			fDone[index] = std::move(result);
		}
		fChanged.notify_all();
	}
}


void
SegmentedEncoder::_Encode(const Work& work, Result& result)
{
	result.index = work.index;
	EncodedSegment& segment = result.segment;
	segment.firstFrame = work.firstSample / fFrameSamples;
	segment.boundaryFrame = (int64_t)work.index * fSegmentFrames;
	segment.lastCleanFrame = work.last ? INT64_MAX
		: (work.firstSample + work.samples) / fFrameSamples - 2;

	std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
	if (!lame || !fConfigure(lame.get())) {
		result.error = "LAME could not start";
		return;
	}
	// Only the first segment starts the stream, and so carries the tag.
	lame_set_bWriteVbrTag(lame.get(), work.index == 0);
	lame_set_findReplayGain(lame.get(), 0);
	if (work.index == 0)
		lame_set_num_samples(lame.get(), (unsigned long)fTotalFrames);
	if (lame_init_params(lame.get()) < 0) {
		result.error = "LAME refused the settings of a segment";
		return;
	}
	int status = 0;
	bool encoded = false;
	switch (fKind) {
		case SAMPLES_SHORT:
			encoded = EncodeAll<short>(lame.get(), work.data.data(),
				fChannels, work.samples, segment.bytes, status);
			break;
		case SAMPLES_INT:
			encoded = EncodeAll<int>(lame.get(), work.data.data(),
				fChannels, work.samples, segment.bytes, status);
			break;
		case SAMPLES_FLOAT:
			encoded = EncodeAll<float>(lame.get(), work.data.data(),
				fChannels, work.samples, segment.bytes, status);
			break;
	}
	if (!encoded) {
		result.error = "LAME failed (" + std::to_string(status) + ")";
		return;
	}
	if (work.index == 0) {
		Mp3Frame first;
		if (!Mp3Frames::Parse(segment.bytes.data(), segment.bytes.size(), 0,
				first)) {
			result.error = "LAME wrote no frame";
			return;
		}
		// Where a frame is too small for the tag, LAME writes none.
		result.tag.resize(8192);
		size_t size = lame_get_lametag_frame(lame.get(), result.tag.data(),
			result.tag.size());
		if (size != 0 && size != first.size) {
			result.error = "LAME's tag does not fit";
			return;
		}
		result.tag.resize(size);
		segment.bytes.erase(segment.bytes.begin(),
			segment.bytes.begin() + size);
	}
	if (!Mp3Frames::ParseAll(segment.bytes.data(), segment.bytes.size(),
			segment.frames) || segment.frames.empty()
		|| segment.frames[0].mainDataBegin != 0) {
		result.error = "LAME wrote a stream Gogo cannot join";
		return;
	}
}


bool
SegmentedEncoder::InfoTag(std::vector<uint8_t>& tag, std::string& error)
	const
{
	tag = fTagTemplate;
	if (tag.empty())
		return true;
	return InfoTag::Describe(tag, fFrameSizes, fMusicCrc, fFramesRead,
		fGain.GainTenths(), error);
}
