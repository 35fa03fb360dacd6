// Gogo: encodes one audio file into an MP3 file (Gogo --help).

#include <signal.h>
#include <stdio.h>

#include <string>

#include "Encoder.h"
#include "GogoOptions.h"
#include "OutputFile.h"


int
main(int argc, char** argv)
{
	GogoOptions options;
	switch (options.Parse(argc, argv)) {
		case GogoOptions::PARSE_HELP:
			fputs(GogoOptions::Usage(), stdout);
			return 0;
		case GogoOptions::PARSE_ERROR:
			fprintf(stderr, "Gogo: %s\n", options.Error().c_str());
			return 2;
		case GogoOptions::PARSE_RUN:
			break;
	}

	// A reader that goes away (Gogo x.wav | head -c 3, a front end that
	// closed its end) only ends the progress, not the encoding.
	signal(SIGPIPE, SIG_IGN);
	OutputFile::InstallSignalHandlers();
	Encoder encoder(options);
	int status = encoder.Run();
	if (status != 0) {
		// One line, which a front end may show as the reason: a line end
		// in a file name must not split it.
		std::string error = encoder.Error();
		for (char& c : error) {
			if (c == '\n' || c == '\r')
				c = '?';
		}
		fprintf(stderr, "Gogo: %s\n", error.c_str());
	}
	return status;
}
