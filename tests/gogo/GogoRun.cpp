#include "GogoRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <math.h>
#include <stdlib.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>


static std::vector<char*>
ArgumentVector(const std::string& program,
	const std::vector<std::string>& arguments)
{
	std::vector<char*> argv;
	argv.push_back(const_cast<char*>(program.c_str()));
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);
	return argv;
}


bool
OpenTerminal(int* master, std::string* terminal)
{
	*master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
	if (*master < 0 || grantpt(*master) != 0 || unlockpt(*master) != 0
		|| ptsname(*master) == NULL) {
		if (*master >= 0)
			close(*master);
		*master = -1;
		return false;
	}
	*terminal = ptsname(*master);
	return true;
}


RunResult
RunProgram(const std::string& program,
	const std::vector<std::string>& arguments, off_t fileSizeLimit,
	bool errorsOnTerminal)
{
	RunResult result;
	int output[2];
	int errors[2];
	std::string terminal;
	if (pipe2(output, O_CLOEXEC) != 0 || (errorsOnTerminal
			? !OpenTerminal(&errors[0], &terminal)
			: pipe2(errors, O_CLOEXEC) != 0)) {
		ADD_FAILURE() << "pipe: " << strerror(errno);
		return result;
	}
	if (errorsOnTerminal)
		errors[1] = -1;
	std::vector<char*> argv = ArgumentVector(program, arguments);
	pid_t pid = fork();
	if (pid == 0) {
		dup2(output[1], 1);
		if (errorsOnTerminal)
			errors[1] = open(terminal.c_str(), O_RDWR | O_NOCTTY);
		dup2(errors[1], 2);
		if (fileSizeLimit >= 0) {
			struct rlimit limit = { (rlim_t)fileSizeLimit,
				(rlim_t)fileSizeLimit };
			setrlimit(RLIMIT_FSIZE, &limit);
			signal(SIGXFSZ, SIG_IGN);
		}
		execvp(argv[0], argv.data());
		_exit(127);
	}
	close(output[1]);
	if (errors[1] >= 0)
		close(errors[1]);

	struct pollfd fds[2] = { { output[0], POLLIN, 0 }, { errors[0], POLLIN, 0 } };
	std::string* sinks[2] = { &result.output, &result.errors };
	int openStreams = 2;
	while (openStreams > 0) {
		if (poll(fds, 2, 120000) <= 0)
			break;
		for (int i = 0; i < 2; i++) {
			if (fds[i].fd < 0 || fds[i].revents == 0)
				continue;
			char buffer[4096];
			ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
			if (got > 0)
				sinks[i]->append(buffer, got);
			else {
				close(fds[i].fd);
				fds[i].fd = -1;
				openStreams--;
			}
		}
	}
	for (struct pollfd& fd : fds) {
		if (fd.fd >= 0) {
			kill(pid, SIGKILL);
			close(fd.fd);
		}
	}
	int status = 0;
	waitpid(pid, &status, 0);
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return result;
}


RunResult
RunGogo(const std::vector<std::string>& arguments, off_t fileSizeLimit,
	bool errorsOnTerminal)
{
	return RunProgram(GOGO_BINARY, arguments, fileSizeLimit,
		errorsOnTerminal);
}


GogoProcess::GogoProcess(const std::vector<std::string>& arguments)
	:
	fPid(-1),
	fOutput(-1),
	fTerminal(-1)
{
	int output[2];
	std::string terminal;
	if (!OpenTerminal(&fTerminal, &terminal))
		return;
	if (pipe2(output, O_CLOEXEC) != 0)
		return;
	std::string program = GOGO_BINARY;
	std::vector<char*> argv = ArgumentVector(program, arguments);
	fPid = fork();
	if (fPid == 0) {
		// As a shell leaves it, whatever the test runner ignores.
		signal(SIGPIPE, SIG_DFL);
		dup2(output[1], 1);
		int errors = open(terminal.c_str(), O_RDWR | O_NOCTTY);
		dup2(errors, 2);
		execv(argv[0], argv.data());
		_exit(127);
	}
	close(output[1]);
	fOutput = output[0];
}


GogoProcess::~GogoProcess()
{
	if (fPid > 0) {
		kill(fPid, SIGKILL);
		Wait();
	}
	if (fOutput >= 0)
		close(fOutput);
	if (fTerminal >= 0)
		close(fTerminal);
}


bool
GogoProcess::WaitForProgress(int timeoutSeconds)
{
	std::string seen;
	time_t end = time(NULL) + timeoutSeconds;
	while (time(NULL) < end) {
		struct pollfd fd = { fOutput, POLLIN, 0 };
		if (poll(&fd, 1, 1000) <= 0)
			continue;
		char buffer[256];
		ssize_t got = read(fOutput, buffer, sizeof(buffer));
		if (got <= 0)
			return false;
		seen.append(buffer, got);
		if (seen.find('%') != std::string::npos)
			return true;
	}
	return false;
}


void
GogoProcess::CloseOutput()
{
	if (fOutput >= 0)
		close(fOutput);
	fOutput = -1;
}


void
GogoProcess::Kill(int signalNumber)
{
	if (fPid > 0)
		kill(fPid, signalNumber);
}


int
GogoProcess::Wait()
{
	int status = 0;
	if (fPid > 0)
		waitpid(fPid, &status, 0);
	fPid = -1;
	return status;
}


void
WriteWave(const std::string& path, int channels, int sampleRate,
	double seconds, int format)
{
	SF_INFO info;
	memset(&info, 0, sizeof(info));
	info.samplerate = sampleRate;
	info.channels = channels;
	info.format = format;
	SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
	ASSERT_TRUE(file != NULL) << path << ": " << sf_strerror(NULL);

	// Tones that differ per channel, so that the stereo modes matter, and a
	// little noise from a fixed generator, so that the psycho-acoustic
	// model has work.
	sf_count_t frames = (sf_count_t)(seconds * sampleRate);
	std::vector<float> samples(frames * channels);
	uint32_t noise = 12345;
	for (sf_count_t i = 0; i < frames; i++) {
		double t = (double)i / sampleRate;
		for (int c = 0; c < channels; c++) {
			noise = noise * 1664525u + 1013904223u;
			double value = 0.3 * sin(2 * M_PI * (330 + 220 * c) * t)
				+ 0.2 * sin(2 * M_PI * 1250 * t * (1 + c * 0.1))
				+ 0.05 * ((double)(noise >> 8) / (1 << 24) - 0.5);
			samples[i * channels + c] = (float)value;
		}
	}
	EXPECT_EQ(frames, sf_writef_float(file, samples.data(), frames));
	sf_close(file);
}


bool
Exists(const std::string& path)
{
	struct stat info;
	return lstat(path.c_str(), &info) == 0;
}


std::vector<std::string>
FolderNames(const std::string& path)
{
	std::vector<std::string> names;
	DIR* folder = opendir(path.c_str());
	if (folder == NULL)
		return names;
	while (struct dirent* entry = readdir(folder)) {
		if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
			names.push_back(entry->d_name);
	}
	closedir(folder);
	return names;
}
