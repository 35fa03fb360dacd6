// Gogo: encodes one audio file into an MP3 file (Gogo --help).

#include <stdio.h>

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

	OutputFile::InstallSignalHandlers();
	Encoder encoder(options);
	int status = encoder.Run();
	if (status != 0) {
		fprintf(stderr, "Gogo: %s\n", encoder.Error().c_str());
	}
	return status;
}
