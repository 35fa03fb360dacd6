#include "private/ViewDump.h"

#include <stdio.h>

#include <mutex>

#include "private/OutputLock.h"

namespace BPrivate {

std::string
QuoteForDump(const char* text)
{
	std::string quoted = "\"";
	for (const char* c = text != NULL ? text : ""; *c != '\0'; c++) {
		switch (*c) {
			case '\\': quoted += "\\\\"; break;
			case '"': quoted += "\\\""; break;
			case '\n': quoted += "\\n"; break;
			case '\r': quoted += "\\r"; break;
			case '\t': quoted += "\\t"; break;
			default: quoted += *c; break;
		}
	}
	return quoted + "\"";
}


void
PrintLine(const std::string& line)
{
	static std::mutex sLock;
	std::lock_guard<std::mutex> lock(sLock);
	fwrite(line.data(), 1, line.size(), stdout);
	fputc('\n', stdout);
	fflush(stdout);
}

} // namespace BPrivate
