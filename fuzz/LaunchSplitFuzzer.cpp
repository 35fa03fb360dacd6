// libFuzzer target: the encoder's command text comes from a text field
// and the encoder location the user typed. The words must stay inside
// their fixed buffers, and they are the text less its double quotes, cut
// at the unquoted blanks.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "TolvexLaunch.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string text((const char*)data, size);
	text = text.substr(0, text.find('\0'));

	// Exactly the sizes TolvexLaunch gives it, on the heap so that the
	// address sanitizer sees one byte too far.
	char* words = new char[kLaunchTextSize];
	const char** args = new const char*[kMaxLaunchArgs];
	int32 count = -1;
	status_t status = TolvexSplitText(text.c_str(), words, args, &count);
	if (text.size() >= kLaunchTextSize) {
		if (status != B_NAME_TOO_LONG || count != 0)
			__builtin_trap();
	} else {
		if (status != B_OK || count < 0 || count > kMaxLaunchArgs)
			__builtin_trap();
		if (text.empty() != (count == 0))
			__builtin_trap();
		std::string joined;
		std::string unquoted;
		for (char c : text) {
			if (c != '"')
				unquoted += c;
		}
		for (int32 i = 0; i < count; i++) {
			if (args[i] < words || args[i] >= words + kLaunchTextSize)
				__builtin_trap();
			if (i > 0)
				joined += ' ';
			joined += args[i];
		}
		if (joined != unquoted)
			__builtin_trap();
	}
	delete[] args;
	delete[] words;
	return 0;
}
