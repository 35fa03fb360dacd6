#ifndef GOGO_RUN_H
#define GOGO_RUN_H

#include <sndfile.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "TestSupport.h"

// Runs a program (the built Gogo, or lame) with its standard streams
// captured. The limit on file size stands in for a full disk: writes past
// it fail with EFBIG, as writes to a full disk fail with ENOSPC.
// With errorsOnTerminal, standard error is a pseudo-terminal, as in a
// shell, which is where Gogo shows its progress.
RunResult RunProgram(const std::string& program,
	const std::vector<std::string>& arguments, off_t fileSizeLimit = -1,
	bool errorsOnTerminal = false);
RunResult RunGogo(const std::vector<std::string>& arguments,
	off_t fileSizeLimit = -1, bool errorsOnTerminal = false);

// A pseudo-terminal's two ends: the master, which the test reads, and the
// name of the other, which a child opens as its standard error.
bool OpenTerminal(int* master, std::string* terminal);

// A Gogo that runs while the test looks: started with its output on a pipe
// and its errors on a terminal, as "Gogo x.wav | head -c 3" in a shell.
class GogoProcess {
public:
								GogoProcess(
									const std::vector<std::string>& arguments);
								~GogoProcess();

			// Waits until Gogo has printed its first progress, which comes
			// once the output file is open and encoding is under way.
			bool				WaitForProgress(int timeoutSeconds = 30);
			// The reader goes away, as head -c 3 does once it has its bytes.
			void				CloseOutput();
			void				Kill(int signalNumber);
			// The raw wait status.
			int					Wait();

private:
			pid_t				fPid;
			int					fOutput;
			int					fTerminal;
};

// A WAV file of a few tones and some noise, made the same for every run.
void WriteWave(const std::string& path, int channels, int sampleRate,
	double seconds, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);

bool Exists(const std::string& path);
// Every name in a folder but "." and "..".
std::vector<std::string> FolderNames(const std::string& path);

#endif	// GOGO_RUN_H
