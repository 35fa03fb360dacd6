/* The floor of bench/encode.sh: what any launcher pays to start the no-op
 * encoder once per file and wait for its end, with nothing else around it.
 * vfork + execve + waitpid, one file after another, is the cheapest way a
 * program has to do that.
 *
 *   LaunchFloor ENCODER FOLDER COUNT
 *
 * starts ENCODER with FOLDER/0.wav ... FOLDER/(COUNT-1).wav, one at a time,
 * and exits non-zero if any start fails or any run does not exit with 0. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int
main(int argc, char** argv)
{
	if (argc != 4) {
		fprintf(stderr, "usage: LaunchFloor ENCODER FOLDER COUNT\n");
		return 2;
	}
	long count = strtol(argv[3], NULL, 10);
	for (long i = 0; i < count; i++) {
		char path[4096];
		int written = snprintf(path, sizeof(path), "%s/%ld.wav", argv[2], i);
		if (written < 0 || (size_t)written >= sizeof(path)) {
			fprintf(stderr, "LaunchFloor: folder name too long\n");
			return 2;
		}
		char* words[] = { argv[1], path, NULL };
		pid_t pid = vfork();
		if (pid == 0) {
			execve(argv[1], words, environ);
			_exit(127);
		}
		if (pid < 0) {
			perror("LaunchFloor: vfork");
			return 1;
		}
		int status;
		if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)
			|| WEXITSTATUS(status) != 0) {
			fprintf(stderr, "LaunchFloor: file %ld did not end well\n", i);
			return 1;
		}
	}
	return 0;
}
