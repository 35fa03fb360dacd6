#ifndef FAULT_SUPPORT_H
#define FAULT_SUPPORT_H

#include <sys/types.h>

#include <string>

#include "TestSupport.h"

// A program session fed one script line at a time through a FIFO, so that
// a test can act from outside (kill a process, count descriptors) between
// the lines it sends.
class ScriptSession {
public:
								ScriptSession(const TemporaryHome& home,
									TolvexRunner& runner);
								~ScriptSession();

			pid_t				Pid() const { return fPid; }
			bool				Send(const std::string& lines);
			// Waits until the program's standard output holds text at
			// least count times; false after the timeout.
			bool				WaitForOutput(const std::string& text,
									int count, int timeoutSeconds);
			std::string			Output() const;
			// Ends the script and collects the program.
			RunResult			End(int timeoutSeconds = 60);

private:
			const TemporaryHome& fHome;
			TolvexRunner&		fRunner;
			int					fFifo;
			pid_t				fPid;
};

// The last window a dump shows: once its line is out, everything the dump
// says of the windows before it is too.
extern const char* kDumpEnd;

// How many times text occurs in where.
int CountOf(const std::string& where, const std::string& text);

// Open descriptors of a process, -1 when it cannot be seen.
int DescriptorCount(pid_t pid);
// A "VmRSS:"-like line of /proc/PID/status in KiB, -1 when missing.
long StatusKiB(pid_t pid, const char* field);
// Children of pid that have ended and wait to be reaped.
int ZombieChildren(pid_t pid);
// Every child of pid, ended or not.
int Children(pid_t pid);

// Runs command with sh in a mount namespace of its own: as root a plain
// one, otherwise inside a user namespace where we are root. The exit
// status of sh, or -1 when neither can be had here (why says so).
int RunWithPrivateMounts(const std::string& command, std::string* why);

#endif // FAULT_SUPPORT_H
