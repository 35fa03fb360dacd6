#ifndef GOGO_OPTIONS_H
#define GOGO_OPTIONS_H

#include <string>
#include <vector>

// The command line of Gogo: options in any order, then the input path as
// the last word. Empty words are dropped first, since the front end passes
// them through when the user types two blanks in a row.
class GogoOptions {
public:
	enum parse_result {
		PARSE_RUN,
		PARSE_HELP,
		PARSE_ERROR
	};

	enum channel_mode {
		MODE_DEFAULT,
		MODE_MONO,
		MODE_STEREO,
		MODE_JOINT_STEREO
	};

								GogoOptions();

			parse_result		Parse(const std::vector<std::string>& words);
			parse_result		Parse(int argc, const char* const* argv);

			// Why parsing failed, for standard error.
			const std::string&	Error() const { return fError; }

			int					BitRate() const { return fBitRate; }
			channel_mode		Mode() const { return fMode; }
			bool				NoPsycho() const { return fNoPsycho; }
			bool				DeleteInput() const { return fDeleteInput; }
			bool				Silent() const { return fSilent; }
			// 0 for as many as the CPUs Gogo may use.
			int					Threads() const { return fThreads; }
			// One LAME stream on one thread, the same bytes as lame's.
			bool				SingleStream() const { return fSingleStream; }
			// -1 for constant bit rate.
			int					VbrQuality() const { return fVbrQuality; }
			const std::string&	OutputDirectory() const
									{ return fOutputDirectory; }
			const std::string&	InputPath() const { return fInputPath; }

			// Where the MP3 goes: the input's name with a final ".wav" (any
			// case) replaced by ".mp3", else ".mp3" appended, in the output
			// folder or beside the input.
			std::string			OutputDirectoryToUse() const;
			std::string			OutputName() const;

	static	bool				IsBitRate(int kbps);
	static	const char*			Usage();

private:
			bool				_Fail(const std::string& error);
			bool				_TakeValue(const std::vector<std::string>& words,
									size_t& index, std::string& value);
			bool				_TakeNumber(const std::vector<std::string>& words,
									size_t& index, int& value);

			std::string			fError;
			int					fBitRate;
			channel_mode		fMode;
			bool				fNoPsycho;
			bool				fDeleteInput;
			bool				fSilent;
			int					fVbrQuality;
			int					fThreads;
			bool				fSingleStream;
			std::string			fOutputDirectory;
			std::string			fInputPath;
};

#endif	// GOGO_OPTIONS_H
