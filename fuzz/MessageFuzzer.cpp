// libFuzzer target: flattened messages come from files (the MIME database,
// the executable's resources), so Unflatten must refuse anything damaged
// without reading past what it was given.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include <Message.h>

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message;
	if (message.Unflatten((const char*)data, size) != B_OK)
		return 0;
	// What was accepted flattens again, and reads back the same.
	std::string flat(message.FlattenedSize(), '\0');
	if (message.Flatten(&flat[0], flat.size()) != B_OK)
		__builtin_trap();
	BMessage again;
	if (again.Unflatten(flat.data(), flat.size()) != B_OK)
		__builtin_trap();
	std::string second(again.FlattenedSize(), '\0');
	again.Flatten(&second[0], second.size());
	if (second != flat)
		__builtin_trap();
	return 0;
}
