#ifndef _KITS_DISPLAY_SCRIPT_LINES_H
#define _KITS_DISPLAY_SCRIPT_LINES_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// Cuts the bytes of a script, as they are read, into lines: a UTF-8 BOM
// at the very start is dropped, lines end at LF (one CR before it is
// dropped too), the last line needs no LF, and any other byte, NUL
// included, is kept. Holds no more than one line and one read at a time.
class ScriptLines {
public:
	enum result {
		kLine,			// *line is the next line
		kWantMore,		// nothing whole yet: Append, or SetAtEnd
		kEnded,			// every line was given
		kTooLong		// a line is longer than kLongestLine
	};

	// No line of a script needs more; a longer one is a mistake, not input.
	static const size_t	kLongestLine = 1 << 20;

								ScriptLines();

			void				Append(const char* data, size_t size);
			// Nothing more will be appended.
			void				SetAtEnd();
			bool				AtEnd() const { return fAtEnd; }

			result				Next(std::string* line);
			// The number of the line last given (or found too long), from 1.
			int32				LineNumber() const { return fLineNumber; }

	// Blanks separate words; double quotes group them and are dropped, so
	// "" is an empty word. Inside quotes \", \\, \n, \r and \t stand for
	// what the dump writes so. False for a quote left open.
	static	bool				Split(const std::string& line,
									std::vector<std::string>* words);

private:
			std::string			fBuffer;
			// Where the lines not given yet start in fBuffer, and how far it
			// is known to hold no LF.
			size_t				fStart;
			size_t				fScanned;
			bool				fAtStart;
			bool				fAtEnd;
			int32				fLineNumber;
};

} // namespace BPrivate

#endif
