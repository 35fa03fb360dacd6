#include "GogoOptions.h"

#include <errno.h>
#include <stdlib.h>
#include <strings.h>


// The rates of the front end's menu, and the lower ones of MPEG-2 that
// suit 22.05 kHz and less; LAME takes them all for constant bit rate.
static const int kBitRates[] = {
	8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256,
	320
};


GogoOptions::GogoOptions()
	:
	fBitRate(0),
	fMode(MODE_DEFAULT),
	fNoPsycho(false),
	fDeleteInput(false),
	fSilent(false),
	fVbrQuality(-1),
	fThreads(0),
	fSingleStream(false)
{
}


GogoOptions::parse_result
GogoOptions::Parse(int argc, const char* const* argv)
{
	std::vector<std::string> words;
	for (int i = 1; i < argc; i++)
		words.push_back(argv[i]);
	return Parse(words);
}


GogoOptions::parse_result
GogoOptions::Parse(const std::vector<std::string>& allWords)
{
	std::vector<std::string> words;
	for (const std::string& word : allWords) {
		if (!word.empty())
			words.push_back(word);
	}

	for (const std::string& word : words) {
		if (word == "--help" || word == "-h" || word == "-help")
			return PARSE_HELP;
	}

	if (words.empty()) {
		_Fail("no input file given");
		return PARSE_ERROR;
	}

	fInputPath = words.back();
	words.pop_back();
	// "Gogo -b 128" has no input: do not take an option for a file name.
	if (fInputPath == "-nopsy" || fInputPath == "-delete"
		|| fInputPath == "-silent" || fInputPath == "-b" || fInputPath == "-m"
		|| fInputPath == "-o" || fInputPath == "-v"
		|| fInputPath == "-threads" || fInputPath == "-single") {
		_Fail("no input file given after the options");
		return PARSE_ERROR;
	}

	for (size_t i = 0; i < words.size(); i++) {
		const std::string& word = words[i];
		if (word == "-b") {
			if (!_TakeNumber(words, i, fBitRate))
				return PARSE_ERROR;
			if (!IsBitRate(fBitRate)) {
				_Fail("-b " + words[i] + ": not a bit rate (kbit/s) that "
					"Gogo knows; see Gogo --help");
				return PARSE_ERROR;
			}
			// The later of -b and -v counts, as the front end puts its own
			// options before the user's extra ones.
			fVbrQuality = -1;
		} else if (word == "-v") {
			if (!_TakeNumber(words, i, fVbrQuality))
				return PARSE_ERROR;
			if (fVbrQuality < 0 || fVbrQuality > 9) {
				_Fail("-v " + words[i] + ": the VBR quality is 0 to 9");
				return PARSE_ERROR;
			}
		} else if (word == "-threads") {
			if (!_TakeNumber(words, i, fThreads))
				return PARSE_ERROR;
			if (fThreads < 1 || fThreads > 256) {
				_Fail("-threads " + words[i] + ": the number of threads is "
					"1 to 256");
				return PARSE_ERROR;
			}
		} else if (word == "-single")
			fSingleStream = true;
		else if (word == "-m") {
			std::string value;
			if (!_TakeValue(words, i, value))
				return PARSE_ERROR;
			if (value == "m")
				fMode = MODE_MONO;
			else if (value == "s")
				fMode = MODE_STEREO;
			else if (value == "j")
				fMode = MODE_JOINT_STEREO;
			else {
				_Fail("-m " + value + ": the mode is m, s or j");
				return PARSE_ERROR;
			}
		} else if (word == "-o") {
			if (!_TakeValue(words, i, fOutputDirectory))
				return PARSE_ERROR;
		} else if (word == "-nopsy")
			fNoPsycho = true;
		else if (word == "-delete")
			fDeleteInput = true;
		else if (word == "-silent")
			fSilent = true;
		else {
			_Fail(word + ": unknown option; see Gogo --help");
			return PARSE_ERROR;
		}
	}

	return PARSE_RUN;
}


std::string
GogoOptions::OutputDirectoryToUse() const
{
	if (!fOutputDirectory.empty())
		return fOutputDirectory;
	size_t slash = fInputPath.rfind('/');
	if (slash == std::string::npos)
		return ".";
	if (slash == 0)
		return "/";
	return fInputPath.substr(0, slash);
}


std::string
GogoOptions::OutputName() const
{
	size_t slash = fInputPath.rfind('/');
	std::string name = slash == std::string::npos
		? fInputPath : fInputPath.substr(slash + 1);
	if (name.size() >= 4
		&& strcasecmp(name.c_str() + name.size() - 4, ".wav") == 0)
		name.erase(name.size() - 4);
	return name + ".mp3";
}


/*static*/ bool
GogoOptions::IsBitRate(int kbps)
{
	for (int rate : kBitRates) {
		if (rate == kbps)
			return true;
	}
	return false;
}


/*static*/ const char*
GogoOptions::Usage()
{
	return
		"Usage: Gogo [OPTION]... INPUT\n"
		"Encodes the audio file INPUT (WAV, or any format libsndfile reads;\n"
		"mono or stereo) into an MP3 file. The options come before INPUT, in\n"
		"any order; INPUT is always the last word.\n"
		"\n"
		"  -b KBPS    constant bit rate in kbit/s: 32 40 48 56 64 80 96 112 128\n"
		"             160 192 224 256 320, or 8 16 24 144 for low sample rates\n"
		"             (default: 128 kbit/s)\n"
		"  -m MODE    channel mode: m mono, s stereo, j joint stereo (default:\n"
		"             chosen by LAME from the input and the bit rate)\n"
		"  -nopsy     psycho-acoustic model off (LAME quality 9, as lame -q 9):\n"
		"             faster, lower quality\n"
		"  -delete    delete INPUT once the MP3 is complete, on disk and holds\n"
		"             every frame of INPUT\n"
		"  -o DIR     write the MP3 into the folder DIR instead of beside INPUT\n"
		"  -v N       variable bit rate of quality N, 0 (best) to 9 (as lame -V N);\n"
		"             the later of -b and -v counts\n"
		"  -threads N encode on N threads (default: one per CPU Gogo may use);\n"
		"             the MP3 is the same for any N\n"
		"  -single    encode as one stream on one thread, the same MP3 byte for\n"
		"             byte as lame with the same options (slower)\n"
		"  -silent    print no progress\n"
		"  --help     print this text and exit\n"
		"\n"
		"The MP3 is named after INPUT, with a final .wav (any case) replaced by\n"
		".mp3, else .mp3 appended. An MP3 of that name is replaced only once the\n"
		"new one is complete; a failed or interrupted run leaves none behind.\n"
		"Progress goes to standard output, errors to standard error; the exit\n"
		"status is 0 on success, 1 when encoding failed, 2 for a wrong command\n"
		"line.\n";
}


bool
GogoOptions::_Fail(const std::string& error)
{
	fError = error;
	return false;
}


bool
GogoOptions::_TakeValue(const std::vector<std::string>& words, size_t& index,
	std::string& value)
{
	if (index + 1 >= words.size())
		return _Fail(words[index] + " needs a value before the input file");
	value = words[++index];
	return true;
}


bool
GogoOptions::_TakeNumber(const std::vector<std::string>& words, size_t& index,
	int& value)
{
	std::string text;
	if (!_TakeValue(words, index, text))
		return false;
	char* end = NULL;
	errno = 0;
	long number = strtol(text.c_str(), &end, 10);
	if (errno != 0 || end == text.c_str() || *end != '\0' || number < -1000
		|| number > 1000) {
		return _Fail(words[index - 1] + " " + text + ": not a number");
	}
	value = (int)number;
	return true;
}
