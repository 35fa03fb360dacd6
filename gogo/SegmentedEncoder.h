#ifndef SEGMENTED_ENCODER_H
#define SEGMENTED_ENCODER_H

#include <lame/lame.h>
#include <sndfile.h>
#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ReplayGain.h"
#include "SegmentJoiner.h"

class OutputFile;
class Progress;

// Encodes one input on several threads: the audio is cut into segments of
// a fixed length, each encoded by its own LAME instance that starts a few
// frames early and runs a few frames past its end, and the frame streams
// are joined in order. The segments follow the input only, so the MP3 is
// the same for any number of threads. A reader, the workers and the
// writer (the calling thread) pass segments through bounded queues, so
// memory does not grow with the input.
class SegmentedEncoder {
public:
	enum sample_kind {
		SAMPLES_SHORT,
		SAMPLES_INT,
		SAMPLES_FLOAT
	};

	// Sets up a LAME instance as the single stream would be, before
	// lame_init_params; false where it cannot start.
	typedef std::function<bool(lame_global_flags*)> Configure;

								SegmentedEncoder(SNDFILE* sound,
									sample_kind kind, int channels,
									int64_t totalFrames, int frameSamples,
									int threads, const Configure& configure,
									const ReplayGain& gain);
								~SegmentedEncoder();

			// Writes the whole stream after a blank first frame that
			// InfoTag() then fills. False with Error() set.
			bool				Run(OutputFile& output, Progress& progress);
			const std::string&	Error() const { return fError; }
			// The input frames read.
			int64_t				FramesRead() const { return fFramesRead; }
			// The LAME/Info tag for the joined stream, the first frame;
			// empty where the settings have none (as lame writes none).
			bool				InfoTag(std::vector<uint8_t>& tag,
									std::string& error) const;

	// A segment is at least this many frames of the MP3 long (and less
	// than twice as long), so that the frames encoded twice stay few.
	static	const int			kMinSegmentFrames = 400;
	// Frames a segment's encoder starts early, and runs past its end.
	static	const int			kLeadInFrames = 16;
	static	const int			kRunOutFrames = 4;

	static	int					DefaultThreads();
	// How many segments an input of totalFrames gets: a power of two, so
	// that they share out evenly over 2, 4, 8 ... threads, each at least
	// kMinSegmentFrames long; 1 for inputs too short to gain.
	static	size_t				SegmentCount(int64_t totalFrames,
									int frameSamples);
	// Their length in frames of the MP3; the last may be a little shorter.
	static	int64_t				SegmentFrames(int64_t totalFrames,
									int frameSamples);

private:
	struct Work {
			size_t				index;
			int64_t				firstSample;
			int64_t				samples;
			bool				last;
			std::vector<uint8_t> data;
	};
	struct Result {
			size_t				index;
			EncodedSegment		segment;
			std::vector<uint8_t> tag;
			std::string			error;
	};

			void				_Read();
			void				_Work();
			void				_Encode(const Work& work, Result& result);
			void				_Abort(const std::string& error);
			size_t				_SampleSize() const;

			SNDFILE*			fSound;
			sample_kind			fKind;
			int					fChannels;
			int64_t				fTotalFrames;
			int					fFrameSamples;
			int					fThreads;
			Configure			fConfigure;
			size_t				fSegments;
			int64_t				fSegmentFrames;
			size_t				fWindow;

			std::mutex			fLock;
			std::condition_variable fChanged;
			std::deque<std::unique_ptr<Work> > fQueue;
			std::map<size_t, std::unique_ptr<Result> > fDone;
			size_t				fNextToWrite;
			size_t				fSegmentsRead;
			bool				fReadingDone;
			bool				fAborted;
			std::string			fError;
			int64_t				fFramesRead;

			std::vector<uint8_t> fTagTemplate;
			std::vector<uint32_t> fFrameSizes;
			uint64_t			fMusicBytes;
			uint16_t			fMusicCrc;
			// Weighs every input sample, in order, on the reader thread.
			ReplayGain			fGain;
};

#endif	// SEGMENTED_ENCODER_H
