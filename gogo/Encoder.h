#ifndef ENCODER_H
#define ENCODER_H

#include <string>

#include <stdint.h>

class GogoOptions;
class InputFile;
class OutputFile;
class Progress;

// One run of Gogo: reads the input with libsndfile, encodes it with LAME,
// on every thread it may use where the input is long enough, else (and
// with -single) as the lame command does for the same settings, byte for
// byte, and writes the MP3 through an OutputFile.
class Encoder {
public:
								Encoder(const GogoOptions& options);

			// 0 on success, else 1 with Error() set.
			int					Run();
			const std::string&	Error() const { return fError; }

private:
			int					_Fail(const std::string& error);
			// Commits the MP3, then deletes the input if asked and safe.
			int					_Finish(InputFile& inputFile,
									OutputFile& output, Progress& progress,
									int64_t framesDone);

			const GogoOptions&	fOptions;
			std::string			fError;
};

#endif	// ENCODER_H
