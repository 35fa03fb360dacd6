#ifndef ENCODER_H
#define ENCODER_H

#include <string>

class GogoOptions;

// One run of Gogo: reads the input with libsndfile, encodes it with LAME as
// the lame command does for the same settings (so the bytes are the same),
// and writes the MP3 through an OutputFile.
class Encoder {
public:
								Encoder(const GogoOptions& options);

			// 0 on success, else 1 with Error() set.
			int					Run();
			const std::string&	Error() const { return fError; }

private:
			int					_Fail(const std::string& error);

			const GogoOptions&	fOptions;
			std::string			fError;
};

#endif	// ENCODER_H
