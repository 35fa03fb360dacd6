#include "Encoder.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

#include <lame/lame.h>
#include <sndfile.h>

#include <memory>
#include <vector>

#include "GogoOptions.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Progress.h"
#include "SegmentedEncoder.h"


// As many frames per call as an MPEG-1 frame holds.
static const int kChunkFrames = 1152;


namespace {

// The bytes of one sample of a form whose length the data's size gives;
// 0 for the others.
int
SampleBytes(int subtype)
{
	switch (subtype) {
		case SF_FORMAT_PCM_S8:
		case SF_FORMAT_PCM_U8:
		case SF_FORMAT_ULAW:
		case SF_FORMAT_ALAW:
			return 1;
		case SF_FORMAT_PCM_16:
			return 2;
		case SF_FORMAT_PCM_24:
			return 3;
		case SF_FORMAT_PCM_32:
		case SF_FORMAT_FLOAT:
			return 4;
		case SF_FORMAT_DOUBLE:
			return 8;
	}
	return 0;
}


struct LameDeleter {
	void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}	// namespace


Encoder::Encoder(const GogoOptions& options)
	:
	fOptions(options)
{
}


int
Encoder::Run()
{
	const std::string& input = fOptions.InputPath();
	InputFile inputFile;
	if (!inputFile.Open(input))
		return _Fail(inputFile.Error());
	SNDFILE* sound = inputFile.Sound();
	const SF_INFO& format = inputFile.Format();
	if (format.channels < 1 || format.channels > 2) {
		return _Fail(input + ": " + std::to_string(format.channels)
			+ " channels; Gogo encodes mono and stereo only");
	}
	int subtype = format.format & SF_FORMAT_SUBMASK;
	bool floating = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
	// Samples of 16 bits or less lose nothing as shorts, which LAME takes
	// with the least conversion; LAME scales every form to the same values.
	bool narrow = subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_S8
		|| subtype == SF_FORMAT_PCM_U8;
	// Samples of a fixed size give the exact length from the data's size;
	// a compressed stream may only estimate it, or not know it (a length
	// libsndfile cannot tell is the largest count).
	const bool lengthKnown = format.frames > 0
		&& format.frames != SF_COUNT_MAX;
	const bool lengthExact = floating || narrow
		|| subtype == SF_FORMAT_PCM_24 || subtype == SF_FORMAT_PCM_32
		|| subtype == SF_FORMAT_ULAW || subtype == SF_FORMAT_ALAW;
	if (lengthExact && format.frames == 0)
		return _Fail(input + ": the file holds no audio");
	int64_t expectedFrames = format.frames;
	int sampleBytes = SampleBytes(subtype);
	if (inputFile.DeclaredAudioBytes() > 0 && sampleBytes > 0) {
		int64_t declared = inputFile.DeclaredAudioBytes()
			/ (sampleBytes * format.channels);
		if (declared > expectedFrames)
			expectedFrames = declared;
	}

	const GogoOptions& options = fOptions;
	const int sampleRate = format.samplerate;
	const int channelCount = format.channels;
	auto configure = [&options, sampleRate, channelCount](
		lame_global_flags* flags) {
		lame_set_in_samplerate(flags, sampleRate);
		lame_set_num_channels(flags, channelCount);
		// The tag records the ReplayGain of the track, as lame's own front
		// end writes it; the ID3 tags are none of Gogo's business.
		lame_set_findReplayGain(flags, 1);
		lame_set_write_id3tag_automatic(flags, 0);
		if (options.VbrQuality() >= 0) {
			lame_set_VBR(flags, vbr_default);
			lame_set_VBR_quality(flags, (float)options.VbrQuality());
		} else if (options.BitRate() > 0) {
			lame_set_VBR(flags, vbr_off);
			lame_set_brate(flags, options.BitRate());
		}
		switch (options.Mode()) {
			case GogoOptions::MODE_MONO:
				lame_set_mode(flags, MONO);
				break;
			case GogoOptions::MODE_STEREO:
				lame_set_mode(flags, STEREO);
				break;
			case GogoOptions::MODE_JOINT_STEREO:
				lame_set_mode(flags, JOINT_STEREO);
				break;
			case GogoOptions::MODE_DEFAULT:
				break;
		}
		// Quality 9 is LAME's setting without the psycho-acoustic model.
		if (options.NoPsycho())
			lame_set_quality(flags, 9);
		return true;
	};

	std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
	if (!lame)
		return _Fail("LAME could not start");
	configure(lame.get());
	if (lengthKnown)
		lame_set_num_samples(lame.get(), (unsigned long)format.frames);
	if (lame_init_params(lame.get()) < 0) {
		return _Fail(input + ": LAME cannot encode this input ("
			+ std::to_string(format.samplerate) + " Hz, "
			+ std::to_string(format.channels) + " channels) with these "
			"options");
	}
	// An input of one segment or less gains nothing from threads, and is
	// encoded as one stream: the same as lame's.
	const int frameSamples = lame_get_framesize(lame.get());
	// Where LAME resamples, a segment's frames would not start where the
	// single stream's do, so such settings stay on one stream.
	const bool segmented = !fOptions.SingleStream() && lengthKnown
		&& lame_get_out_samplerate(lame.get()) == format.samplerate
		&& frameSamples > 0
		&& SegmentedEncoder::SegmentCount(format.frames, frameSamples) > 1;

	OutputFile output;
	if (!output.Open(fOptions.OutputDirectoryToUse(), fOptions.OutputName()))
		return _Fail(output.Error());

	const int channels = format.channels;
	std::vector<int> samples(kChunkFrames * channels);
	std::vector<float> floatSamples(floating ? kChunkFrames * channels : 0);
	std::vector<short> shortSamples(narrow ? kChunkFrames * channels : 0);
	std::vector<unsigned char> mp3(kChunkFrames * 5 / 4 + 7200);
	Progress progress(stdout, fOptions.Silent(),
		lengthKnown ? format.frames : 0, format.samplerate);

	int64_t framesDone = 0;
	if (segmented) {
		// The gain weighs the samples as LAME encodes them: scaled as its
		// settings scale them, and mixed where stereo becomes mono.
		ReplayGain gain(format.samplerate, channels,
			lame_get_scale(lame.get()),
			channels == 2 && lame_get_mode(lame.get()) == MONO);
		lame.reset();
		SegmentedEncoder::sample_kind kind = floating
			? SegmentedEncoder::SAMPLES_FLOAT : narrow
				? SegmentedEncoder::SAMPLES_SHORT
				: SegmentedEncoder::SAMPLES_INT;
		int threads = fOptions.Threads() > 0 ? fOptions.Threads()
			: SegmentedEncoder::DefaultThreads();
		SegmentedEncoder encoder(sound, kind, channels, format.frames,
			frameSamples, threads, configure, gain);
		if (!encoder.Run(output, progress)) {
			return _Fail(!output.Error().empty() ? output.Error()
				: input + ": " + encoder.Error());
		}
		framesDone = encoder.FramesRead();
		if (sf_error(sound) != SF_ERR_NO_ERROR)
			return _Fail(input + ": " + sf_strerror(sound));
		if (lengthExact && framesDone != expectedFrames) {
			return _Fail(input + ": only " + std::to_string(framesDone)
				+ " of " + std::to_string(expectedFrames)
				+ " frames could be read");
		}
		std::vector<unsigned char> tag;
		std::string error;
		if (!encoder.InfoTag(tag, error))
			return _Fail(input + ": " + error);
		if (!tag.empty() && !output.WriteAt(tag.data(), tag.size(), 0))
			return _Fail(output.Error());
		return _Finish(inputFile, output, progress, framesDone);
	}
	for (;;) {
		sf_count_t frames;
		int bytes;
		if (floating) {
			frames = sf_readf_float(sound, floatSamples.data(),
				kChunkFrames);
			if (frames <= 0)
				break;
			if (channels == 2) {
				bytes = lame_encode_buffer_interleaved_ieee_float(lame.get(),
					floatSamples.data(), (int)frames, mp3.data(),
					(int)mp3.size());
			} else {
				bytes = lame_encode_buffer_ieee_float(lame.get(),
					floatSamples.data(), floatSamples.data(), (int)frames,
					mp3.data(), (int)mp3.size());
			}
		} else if (narrow) {
			frames = sf_readf_short(sound, shortSamples.data(),
				kChunkFrames);
			if (frames <= 0)
				break;
			if (channels == 2) {
				bytes = lame_encode_buffer_interleaved(lame.get(),
					shortSamples.data(), (int)frames, mp3.data(),
					(int)mp3.size());
			} else {
				bytes = lame_encode_buffer(lame.get(), shortSamples.data(),
					shortSamples.data(), (int)frames, mp3.data(),
					(int)mp3.size());
			}
		} else {
			frames = sf_readf_int(sound, samples.data(), kChunkFrames);
			if (frames <= 0)
				break;
			if (channels == 2) {
				bytes = lame_encode_buffer_interleaved_int(lame.get(),
					samples.data(), (int)frames, mp3.data(), (int)mp3.size());
			} else {
				bytes = lame_encode_buffer_int(lame.get(), samples.data(),
					samples.data(), (int)frames, mp3.data(), (int)mp3.size());
			}
		}
		if (bytes < 0)
			return _Fail(input + ": LAME failed (" + std::to_string(bytes) + ")");
		if (bytes > 0 && !output.Write(mp3.data(), bytes))
			return _Fail(output.Error());
		framesDone += frames;
		progress.Update(framesDone);
	}
	if (sf_error(sound) != SF_ERR_NO_ERROR)
		return _Fail(input + ": " + sf_strerror(sound));
	// An MP3 short of audio the file declares is no success: the file
	// changed under us, or could not be read to its end.
	if (framesDone == 0)
		return _Fail(input + ": the file holds no audio");
	if (lengthExact && lengthKnown && framesDone != expectedFrames) {
		return _Fail(input + ": only " + std::to_string(framesDone) + " of "
			+ std::to_string(expectedFrames) + " frames could be read");
	}

	int bytes = lame_encode_flush(lame.get(), mp3.data(), (int)mp3.size());
	if (bytes < 0)
		return _Fail(input + ": LAME failed (" + std::to_string(bytes) + ")");
	if (bytes > 0 && !output.Write(mp3.data(), bytes))
		return _Fail(output.Error());

	// The first frame was left blank for the tag, which only now knows the
	// length and the gain.
	std::vector<unsigned char> tag(mp3.size());
	size_t tagSize = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
	if (tagSize > tag.size())
		return _Fail(input + ": LAME's tag does not fit");
	if (tagSize > 0 && !output.WriteAt(tag.data(), tagSize, 0))
		return _Fail(output.Error());

	return _Finish(inputFile, output, progress, framesDone);
}


int
Encoder::_Finish(InputFile& inputFile, OutputFile& output, Progress& progress,
	int64_t framesDone)
{
	const std::string& input = fOptions.InputPath();
	if (inputFile.CutShort()) {
		return _Fail(input + " was cut short while it was encoded; no MP3 "
			"was written");
	}
	if (!output.Commit())
		return _Fail(output.Error());
	progress.Finish(framesDone);

	if (!fOptions.DeleteInput())
		return 0;
	// Audio added while Gogo read (a recording still under way), or
	// another file put under the name, is not in the MP3.
	if (!inputFile.Unchanged()) {
		return _Fail(output.FinalPath() + " written, but " + input
			+ " changed while it was encoded; it was not deleted");
	}
	// As lame does, Gogo encodes what the data chunk declares; what else
	// the file holds may be audio the MP3 lacks.
	if (!inputFile.OnlyAudioAndChunks()) {
		return _Fail(output.FinalPath() + " written, but " + input
			+ " holds more after its audio than its header declares; it was "
			"not deleted");
	}
	if (unlink(input.c_str()) != 0) {
		return _Fail(output.FinalPath() + " written, but " + input
			+ " could not be deleted: " + strerror(errno));
	}
	return 0;
}


int
Encoder::_Fail(const std::string& error)
{
	fError = error;
	return 1;
}
