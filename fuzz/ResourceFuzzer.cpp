// libFuzzer target: an executable's resource block is read from a file
// anyone could have changed; the reader must refuse damage, not overrun.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include <vector>

#include "private/storage/ResourceFile.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FILE* file = tmpfile();
	if (file == NULL)
		return 0;
	fwrite(data, 1, size, file);
	fflush(file);
	std::vector<BPrivate::ResourceItem> items;
	BPrivate::ReadResources(fileno(file), &items);
	fclose(file);
	return 0;
}
