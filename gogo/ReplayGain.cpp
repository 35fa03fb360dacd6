#include "ReplayGain.h"

#include <math.h>
#include <string.h>


// The level a block of pink noise at the reference loudness reaches
// through the filter, in dB: the gain is how far the track falls short.
static const double kReferenceLevel = 64.82;
static const int kStepsPerDb = 100;
static const int kMaxDb = 120;
// The track is as loud as its block at the 95th percentile.
static const double kPercentile = 0.95;

struct Weights {
	int		rate;
	double	b[11];
	double	a[11];
};

// The equal-loudness curve as a tenth-order IIR fitted by Yule-Walker,
// for each rate on its own; Gogo holds the fit for CD audio only. Other
// rates get no gain rather than one weighed with another rate's curve.
static const Weights kWeights[] = {
	{ 44100,
		{ 0.05418656406430, -0.02911007808948, -0.00848709379851,
			-0.00851165645469, -0.00834990904936, 0.02245293253339,
			-0.02596338512915, 0.01624864962975, -0.00240879051584,
			0.00674613682247, -0.00187763777362 },
		{ 1.00000000000000, -3.47845948550071, 6.36317777566148,
			-8.54751527471874, 9.47693607801280, -8.81498681370155,
			6.85401540936998, -4.39470996079559, 2.19611684890774,
			-0.75104302451432, 0.13149317958808 } },
};


ReplayGain::ReplayGain(int sampleRate, int channels, double scale,
	bool mixToMono)
	:
	fValid(false),
	fChannels(channels == 2 ? 2 : 1),
	fScale(scale),
	fMix(mixToMono && channels == 2),
	fBlockLength(0),
	fBlockSum(0),
	fBlockFill(0),
	fHistogram((size_t)kMaxDb * kStepsPerDb, 0)
{
	memset(fYuleB, 0, sizeof(fYuleB));
	memset(fYuleA, 0, sizeof(fYuleA));
	memset(fYuleIn, 0, sizeof(fYuleIn));
	memset(fYuleOut, 0, sizeof(fYuleOut));
	memset(fButterIn, 0, sizeof(fButterIn));
	memset(fButterOut, 0, sizeof(fButterOut));
	for (const Weights& weights : kWeights) {
		if (weights.rate != sampleRate)
			continue;
		memcpy(fYuleB, weights.b, sizeof(fYuleB));
		memcpy(fYuleA, weights.a, sizeof(fYuleA));
		fValid = true;
	}
	if (!fValid || channels < 1 || channels > 2) {
		fValid = false;
		return;
	}
	// The curve's fit is poor at the lowest frequencies, which a
	// second-order Butterworth high-pass at 150 Hz takes away (bilinear,
	// with the corner pre-warped so that it falls where it should).
	const double k = tan(M_PI * 150.0 / sampleRate);
	const double norm = 1.0 / (1.0 + M_SQRT2 * k + k * k);
	fButterB[0] = norm;
	fButterB[1] = -2.0 * norm;
	fButterB[2] = norm;
	fButterA[0] = 1.0;
	fButterA[1] = 2.0 * (k * k - 1.0) * norm;
	fButterA[2] = (1.0 - M_SQRT2 * k + k * k) * norm;
	fBlockLength = (sampleRate + 19) / 20;
}


void
ReplayGain::AddShort(const short* samples, int64_t frames)
{
	if (!fValid)
		return;
	for (int64_t i = 0; i < frames; i++) {
		const short* frame = samples + i * fChannels;
		_Add(frame[0] * fScale, frame[fChannels - 1] * fScale);
	}
}


void
ReplayGain::AddInt(const int* samples, int64_t frames)
{
	if (!fValid)
		return;
	const double scale = fScale / 65536.0;
	for (int64_t i = 0; i < frames; i++) {
		const int* frame = samples + i * fChannels;
		_Add(frame[0] * scale, frame[fChannels - 1] * scale);
	}
}


void
ReplayGain::AddFloat(const float* samples, int64_t frames)
{
	if (!fValid)
		return;
	const double scale = fScale * 32768.0;
	for (int64_t i = 0; i < frames; i++) {
		const float* frame = samples + i * fChannels;
		_Add(frame[0] * scale, frame[fChannels - 1] * scale);
	}
}


void
ReplayGain::_Add(double left, double right)
{
	if (fMix) {
		left = (left + right) / 2;
		right = left;
	}
	double input[2] = { left, right };
	double energy = 0;
	for (int c = 0; c < 2; c++) {
		double* yuleIn = fYuleIn[c];
		double* yuleOut = fYuleOut[c];
		double y = fYuleB[0] * input[c];
		for (int i = 0; i < kYuleOrder; i++)
			y += fYuleB[i + 1] * yuleIn[i] - fYuleA[i + 1] * yuleOut[i];
		memmove(yuleIn + 1, yuleIn, (kYuleOrder - 1) * sizeof(double));
		memmove(yuleOut + 1, yuleOut, (kYuleOrder - 1) * sizeof(double));
		yuleIn[0] = input[c];
		yuleOut[0] = y;

		double* butterIn = fButterIn[c];
		double* butterOut = fButterOut[c];
		double z = fButterB[0] * y + fButterB[1] * butterIn[0]
			+ fButterB[2] * butterIn[1] - fButterA[1] * butterOut[0]
			- fButterA[2] * butterOut[1];
		butterIn[1] = butterIn[0];
		butterIn[0] = y;
		butterOut[1] = butterOut[0];
		butterOut[0] = z;
		energy += z * z;
	}
	fBlockSum += energy;
	if (++fBlockFill < fBlockLength)
		return;

	// Mean square over both channels (a mono track counts twice), in dB.
	double level = 10.0 * log10(fBlockSum / fBlockLength * 0.5 + 1e-37);
	int slot = (int)(kStepsPerDb * level);
	if (slot < 0)
		slot = 0;
	if (slot >= (int)fHistogram.size())
		slot = (int)fHistogram.size() - 1;
	fHistogram[slot]++;
	fBlockSum = 0;
	fBlockFill = 0;
}


bool
ReplayGain::_LoudSlot(int& slot) const
{
	if (!fValid)
		return false;
	uint64_t blocks = 0;
	for (uint32_t count : fHistogram)
		blocks += count;
	if (blocks == 0)
		return false;
	// 1 - 0.95 comes out a hair over 0.05: where 5% of the blocks is a
	// whole count, one block more is taken, as LAME's own tags take it.
	uint64_t loud = (uint64_t)ceil(blocks * (1.0 - kPercentile));
	uint64_t seen = 0;
	size_t at = fHistogram.size();
	while (at > 0) {
		seen += fHistogram[--at];
		if (seen >= loud)
			break;
	}
	slot = (int)at;
	return true;
}


bool
ReplayGain::Gain(double& gain) const
{
	int slot;
	if (!_LoudSlot(slot))
		return false;
	gain = kReferenceLevel - (double)slot / kStepsPerDb;
	return true;
}


int
ReplayGain::GainTenths() const
{
	int slot;
	if (!_LoudSlot(slot))
		return INT32_MIN;
	// In single precision, as the tags of LAME's own streams hold it: a
	// gain on a half tenth (-8.15, -5.85 dB) then rounds as theirs does.
	float gain = (float)kReferenceLevel - (float)slot / (float)kStepsPerDb;
	return (int)floor(gain * 10.0 + 0.5);
}
