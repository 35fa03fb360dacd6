#include "XvfbServer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

XvfbServer::XvfbServer()
	:
	fPid(-1),
	fHadDisplay(getenv("DISPLAY") != NULL)
{
	if (fHadDisplay)
		fSavedDisplay = getenv("DISPLAY");
	// No display until ours is there: nothing may open the real one.
	unsetenv("DISPLAY");

	int fds[2];
	if (pipe(fds) != 0)
		return;
	std::string fd = std::to_string(fds[1]);
	pid_t pid = fork();
	if (pid == 0) {
		close(fds[0]);
		int null = open("/dev/null", O_RDWR);
		dup2(null, 0);
		dup2(null, 1);
		dup2(null, 2);
		execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp",
			"-screen", "0", "1024x768x24", "-noreset", (char*)NULL);
		_exit(127);
	}
	close(fds[1]);
	if (pid < 0) {
		close(fds[0]);
		return;
	}
	fPid = pid;

	// Xvfb writes its display number once it takes connections.
	std::string number;
	struct pollfd readable = { fds[0], POLLIN, 0 };
	while (number.find('\n') == std::string::npos) {
		int ready = poll(&readable, 1, 20000);
		if (ready < 0 && errno == EINTR)
			continue;
		char buffer[32];
		ssize_t length = ready > 0 ? read(fds[0], buffer, sizeof(buffer)) : 0;
		if (length <= 0)
			break;
		number.append(buffer, length);
	}
	close(fds[0]);
	size_t end = number.find('\n');
	if (end == std::string::npos || end == 0) {
		Kill();
		return;
	}
	fName = ":" + number.substr(0, end);
	setenv("DISPLAY", fName.c_str(), 1);
}


XvfbServer::~XvfbServer()
{
	Kill();
	if (fHadDisplay)
		setenv("DISPLAY", fSavedDisplay.c_str(), 1);
	else
		unsetenv("DISPLAY");
}


void
XvfbServer::Kill()
{
	if (fPid <= 0)
		return;
	kill(fPid, SIGKILL);
	while (waitpid(fPid, NULL, 0) < 0 && errno == EINTR) {
	}
	fPid = -1;
}
