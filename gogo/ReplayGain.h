#ifndef REPLAY_GAIN_H
#define REPLAY_GAIN_H

#include <stdint.h>

#include <vector>

// The loudness of a whole track, as the gain that brings it to the
// reference level: the samples pass an equal-loudness filter, each 50 ms
// block's mean square goes into a histogram of hundredths of a dB, and the
// level that only 5% of the blocks exceed stands for the track. Fed every
// sample in order, so the value depends on the audio alone.
class ReplayGain {
public:
								// scale: what the encoder multiplies the
								// samples by before it encodes (and weighs)
								// them; mixToMono: a stereo input encoded
								// as mono is weighed as the mono it becomes.
								ReplayGain(int sampleRate, int channels,
									double scale = 1.0,
									bool mixToMono = false);

			// False where there are no weights for this rate; the track
			// then has no gain.
			bool				IsValid() const { return fValid; }

			// Interleaved frames, samples on the scale of 16 bits.
			void				AddShort(const short* samples, int64_t frames);
			void				AddInt(const int* samples, int64_t frames);
			void				AddFloat(const float* samples, int64_t frames);

			// In tenths of a dB, as the tag stores it; INT32_MIN where the
			// rate has no weights or no whole block was heard.
			int					GainTenths() const;
			// In hundredths of a dB.
			bool				Gain(double& gain) const;

private:
	enum { kYuleOrder = 10, kButterOrder = 2 };

			void				_Add(double left, double right);
			bool				_LoudSlot(int& slot) const;

			bool				fValid;
			int					fChannels;
			double				fScale;
			bool				fMix;
			int64_t				fBlockLength;
			double				fYuleB[kYuleOrder + 1];
			double				fYuleA[kYuleOrder + 1];
			double				fButterB[kButterOrder + 1];
			double				fButterA[kButterOrder + 1];
			// The last inputs and outputs of each stage, per channel.
			double				fYuleIn[2][kYuleOrder];
			double				fYuleOut[2][kYuleOrder];
			double				fButterIn[2][kButterOrder];
			double				fButterOut[2][kButterOrder];
			double				fBlockSum;
			int64_t				fBlockFill;
			std::vector<uint32_t> fHistogram;
};

#endif	// REPLAY_GAIN_H
