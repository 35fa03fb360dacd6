#include "XvfbServer.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TrialProcess.h"


XvfbServer::XvfbServer()
	:
	fPid(-1)
{
}


XvfbServer::~XvfbServer()
{
	Stop();
}


bool
XvfbServer::Start(std::string* error)
{
	int channel[2];
	if (pipe2(channel, O_CLOEXEC) != 0) {
		*error = "pipe: " + std::string(strerror(errno));
		return false;
	}
	char descriptor[16];
	snprintf(descriptor, sizeof(descriptor), "%d", channel[1]);
	pid_t parent = getpid();

	fPid = fork();
	if (fPid < 0) {
		*error = "fork: " + std::string(strerror(errno));
		close(channel[0]);
		close(channel[1]);
		return false;
	}
	if (fPid == 0) {
		prctl(PR_SET_PDEATHSIG, SIGTERM);
		if (getppid() != parent)
			_exit(127);
		fcntl(channel[1], F_SETFD, 0);
		int quiet = open("/dev/null", O_RDWR);
		if (quiet >= 0) {
			dup2(quiet, 0);
			dup2(quiet, 1);
			dup2(quiet, 2);
		}
		// -noreset: the server stays as it is between the runs.
		execlp("Xvfb", "Xvfb", "-displayfd", descriptor, "-screen", "0",
			"1280x1024x24", "-nolisten", "tcp", "-noreset", (char*)NULL);
		_exit(127);
	}
	close(channel[1]);

	std::string number;
	bool complete = false;
	while (!complete && WaitReadable(channel[0], 10)) {
		char buffer[32];
		ssize_t got = read(channel[0], buffer, sizeof(buffer));
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		for (ssize_t i = 0; i < got && !complete; i++) {
			if (buffer[i] == '\n')
				complete = true;
			else
				number += buffer[i];
		}
	}
	close(channel[0]);
	if (!complete || number.empty()) {
		*error = "Xvfb did not start (the xvfb package provides it)";
		Stop();
		return false;
	}
	fDisplay = ":" + number;
	return true;
}


void
XvfbServer::Stop()
{
	if (fPid <= 0)
		return;
	kill(fPid, SIGTERM);
	int status;
	while (waitpid(fPid, &status, 0) < 0 && errno == EINTR) {
	}
	fPid = -1;
	fDisplay.clear();
}
