// libFuzzer target: a script is a file anyone may write, read in pieces
// of whatever size the system hands over. However it is cut, the same
// lines come out, none holds an LF, and splitting them into words never
// reads past them.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "display/headless/ScriptLines.h"

using BPrivate::ScriptLines;

namespace {

// Every line, and whether the script ended on a line too long.
std::vector<std::string>
Lines(const std::string& script, size_t piece, bool* tooLong)
{
	ScriptLines lines;
	std::vector<std::string> result;
	size_t position = 0;
	*tooLong = false;
	while (true) {
		std::string line;
		ScriptLines::result next = lines.Next(&line);
		if (next == ScriptLines::kLine) {
			if (line.find('\n') != std::string::npos
				|| lines.LineNumber() != (int32)result.size() + 1)
				__builtin_trap();
			result.push_back(line);
		} else if (next == ScriptLines::kTooLong) {
			*tooLong = true;
			break;
		} else if (next == ScriptLines::kEnded)
			break;
		else if (position < script.size()) {
			size_t size = script.size() - position;
			if (size > piece)
				size = piece;
			lines.Append(script.data() + position, size);
			position += size;
		} else if (lines.AtEnd())
			__builtin_trap();
		else
			lines.SetAtEnd();
	}
	return result;
}

} // namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 1)
		return 0;
	size_t piece = data[0] % 7 + 1;
	std::string script((const char*)data + 1, size - 1);

	bool tooLong;
	std::vector<std::string> whole = Lines(script, script.size() + 1, &tooLong);
	bool tooLongInPieces;
	std::vector<std::string> pieces = Lines(script, piece, &tooLongInPieces);
	if (whole != pieces || tooLong != tooLongInPieces)
		__builtin_trap();

	for (const std::string& line : whole) {
		std::vector<std::string> words;
		bool closed = ScriptLines::Split(line, &words);
		// Without quotes, a word is what lies between blanks and tabs.
		if (line.find('"') == std::string::npos) {
			std::vector<std::string> plain;
			std::string word;
			for (char c : line + " ") {
				if (c == ' ' || c == '\t') {
					if (!word.empty())
						plain.push_back(word);
					word.clear();
				} else
					word += c;
			}
			if (!closed || words != plain)
				__builtin_trap();
		}
	}
	return 0;
}
