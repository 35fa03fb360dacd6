#ifndef PROGRESS_H
#define PROGRESS_H

#include <stdint.h>
#include <stdio.h>

// One line on standard output that updates in place: the share of the
// input encoded and the speed against real time. Written only when the
// percentage changes, so a fast encoder does not spend its time printing.
class Progress {
public:
								Progress(FILE* stream, bool silent,
									int64_t totalFrames, int sampleRate);
								// Ends a line left open by a failed run.
								~Progress();

			void				Update(int64_t framesDone);
			// Ends the line.
			void				Finish(int64_t framesDone);

private:
			double				_Elapsed() const;
			void				_Print(int64_t framesDone);

			FILE*				fStream;
			bool				fSilent;
			int64_t				fTotalFrames;
			int					fSampleRate;
			int					fLastPercent;
			double				fStart;
			bool				fLineOpen;
};

#endif	// PROGRESS_H
