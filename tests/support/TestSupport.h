#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <string>
#include <vector>

// A fresh temporary folder that stands in for the user's home: HOME and
// the XDG folders point into it while the object lives, and it is removed
// afterwards. Nothing a test does touches the real home.
class TemporaryHome {
public:
								TemporaryHome();
								~TemporaryHome();

			const std::string&	Path() const { return fPath; }
			std::string			File(const std::string& relative) const;
			// Writes a file (and its folders) below the home.
			std::string			WriteFile(const std::string& relative,
									const std::string& content,
									bool executable = false) const;

private:
			std::string			fPath;
			std::vector<std::pair<std::string, std::string> > fSaved;
};

// The result of one run of the program.
struct RunResult {
	int							status = -1;	// exit status; -1 if killed
	int							signal = 0;		// what killed it, if anything
	std::string					output;			// standard output
	std::string					errors;			// standard error
};

// Runs a program of its own copy of the built Tolvex (settings live on the
// executable) with the headless display and the given script, in the home.
class TolvexRunner {
public:
								TolvexRunner(const TemporaryHome& home);

			// A copy of the built executable inside the home, made once.
			const std::string&	Executable() const { return fExecutable; }

			RunResult			Run(const std::string& script,
									const std::vector<std::string>& arguments
										= std::vector<std::string>(),
									int timeoutSeconds = 60);

			// Starts the program without waiting; Finish collects it.
			int					Start(const std::string& script,
									const std::vector<std::string>& arguments
										= std::vector<std::string>());
			// The same with BE_SCRIPT set to this path as it is (a FIFO, a
			// folder, a missing file), or not set at all when NULL.
			int					StartScriptAt(const char* scriptPath,
									const std::vector<std::string>& arguments
										= std::vector<std::string>());
			RunResult			Finish(int timeoutSeconds = 60);

private:
			const TemporaryHome& fHome;
			std::string			fExecutable;
			int					fPid;
			std::string			fOutputPath;
			std::string			fErrorPath;
};

// Makes a script the home's preferred application for "text/html"; it
// writes its arguments, one a line, to the record file, which appears
// whole once they are all in it.
bool InstallFakeBrowser(const TemporaryHome& home, const std::string& record);

// Waits, on events, until the application is quiet (every looper idle,
// the roster at rest), as the script driver does before each line; false
// after the timeout.
bool WaitUntilQuiet(int timeoutSeconds = 10);

// A D-Bus session bus of the test's own (dbus-daemon), and the services
// started on it, ended with it. While it lives, DBUS_SESSION_BUS_ADDRESS
// names it in this process.
class PrivateSessionBus {
public:
								PrivateSessionBus();
								~PrivateSessionBus();

			const std::string&	Address() const { return fAddress; }
			// Starts a program on the bus, and waits (at most a minute)
			// for the file it creates once it is ready; false when it did
			// not.
			bool				StartService(const std::string& command,
									const std::string& readyFile);

private:
			std::string			fAddress;
			std::string			fOldAddress;
			bool				fHadAddress;
			std::vector<int>	fPids;
};

std::string ReadFile(const std::string& path);
// The file's content once it exists: a program started by the one under
// test may still be writing when that one has ended. "" after the timeout.
std::string WaitForFile(const std::string& path, int timeoutSeconds = 10);
std::vector<std::string> SplitLines(const std::string& text);
// The occurrence-th line of a dump that starts, after its indentation,
// with start; the line without its indentation, or "" when there is none.
std::string DumpLine(const std::string& dump, const std::string& start,
	int occurrence = 0);
bool Contains(const std::string& text, const std::string& part);
// The text in single quotes for the shell, a quote in it kept.
std::string Quoted(const std::string& text);

#endif // TEST_SUPPORT_H
