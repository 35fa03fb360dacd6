#include "Progress.h"

#include <time.h>
#include <unistd.h>


static double
Now()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec + now.tv_nsec / 1e9;
}


Progress::Progress(FILE* stream, bool silent, int64_t totalFrames,
	int sampleRate)
	:
	fStream(stream),
	// A line redrawn in place is for someone watching a terminal. A front
	// end, a pipe or a log (standard error not a terminal) would get
	// "\r  0%  1%..." mixed into what it reads, so there is none.
	fSilent(silent || !isatty(STDERR_FILENO)),
	fTotalFrames(totalFrames),
	fSampleRate(sampleRate),
	fLastPercent(-1),
	fStart(Now()),
	fLineOpen(false)
{
}


Progress::~Progress()
{
	if (fLineOpen) {
		fputc('\n', fStream);
		fflush(fStream);
	}
}


void
Progress::Update(int64_t framesDone)
{
	if (fSilent || fTotalFrames <= 0)
		return;
	int percent = (int)(framesDone * 100 / fTotalFrames);
	if (percent == fLastPercent)
		return;
	fLastPercent = percent;
	_Print(framesDone);
}


void
Progress::Finish(int64_t framesDone)
{
	if (fSilent)
		return;
	if (fTotalFrames > 0)
		fLastPercent = -1;
	_Print(framesDone);
	if (fSilent)
		return;
	fputc('\n', fStream);
	fflush(fStream);
	fLineOpen = false;
}


double
Progress::_Elapsed() const
{
	return Now() - fStart;
}


void
Progress::_Print(int64_t framesDone)
{
	int percent = fTotalFrames > 0
		? (int)(framesDone * 100 / fTotalFrames) : 100;
	if (percent > 100)
		percent = 100;
	double elapsed = _Elapsed();
	double seconds = fSampleRate > 0 ? (double)framesDone / fSampleRate : 0;
	if (elapsed > 0.001)
		fprintf(fStream, "\r%3d%%  %6.1fx real time", percent, seconds / elapsed);
	else
		fprintf(fStream, "\r%3d%%", percent);
	fLineOpen = true;
	// Nobody reads any more (a closed pipe, a full disk): the MP3 still
	// gets finished, without more words for nobody.
	if (fflush(fStream) != 0 || ferror(fStream)) {
		fSilent = true;
		fLineOpen = false;
	}
}
