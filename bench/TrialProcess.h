#ifndef TRIAL_PROCESS_H
#define TRIAL_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

typedef std::chrono::steady_clock Clock;

// One run of a program under measurement: its own temporary home (HOME and
// the XDG folders) and its own copy of the executable, since Tolvex keeps
// its settings on the executable and every run must start as the first.
class TrialProcess {
public:
	typedef std::vector<std::pair<std::string, std::string> > Environment;

								TrialProcess(const std::string& program);
								~TrialProcess();

			// Makes the home and copies the program into it; not timed.
			bool				Prepare(std::string* error);
			// Starts the copy with the temporary home and these variables
			// (an empty value removes one); StartedAt() is taken just before.
			bool				Start(const Environment& variables,
									std::string* error);

			pid_t				Pid() const { return fPid; }
			// Readable once the process has ended (not reaped): poll it.
			int					ExitDescriptor() const { return fPidFd; }
			Clock::time_point	StartedAt() const { return fStartedAt; }
			bool				HasExited() const;

			// Peak resident size so far (VmHWM) in KiB, -1 if unreadable.
			long				PeakMemoryKiB() const;

			// Waits for the end without asking; false on timeout (the
			// process is then killed). EndedAt() is when it was seen ending.
			bool				Wait(double seconds, int* status);
			// Asks the process to quit (SIGTERM) and reaps it; kills it if
			// it has not ended in time, and returns false then.
			bool				Stop(double seconds, int* status);
			Clock::time_point	EndedAt() const { return fEndedAt; }
			// User and system time of the ended process: unlike the wall
			// time, hardly changed by what else the machine runs.
			double				CpuMilliseconds() const
									{ return fCpuMilliseconds; }

			const std::string&	Home() const { return fHome; }
			std::string			Output() const;
			std::string			Errors() const;

private:
			void				_Reap(int* status);
			void				_Kill();

			std::string			fProgram;
			std::string			fHome;
			std::string			fCopy;
			pid_t				fPid;
			int					fPidFd;
			Clock::time_point	fStartedAt;
			Clock::time_point	fEndedAt;
			double				fCpuMilliseconds;
};

// Waits until descriptor is readable; false after the timeout.
bool WaitReadable(int descriptor, double seconds);
std::string DescribeStatus(int status);

#endif // TRIAL_PROCESS_H
