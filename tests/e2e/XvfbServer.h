#ifndef E2E_XVFB_SERVER_H
#define E2E_XVFB_SERVER_H

#include <sys/types.h>

#include <string>

// A private X server for one test: Xvfb on a display number it picks
// itself (-displayfd), so that a test never reaches a real display.
// DISPLAY names it while the object lives.
class XvfbServer {
public:
								XvfbServer();
								~XvfbServer();

			bool				IsRunning() const { return fPid > 0; }
			const std::string&	Name() const { return fName; }

			// Ends the server as a crash or a logout would.
			void				Kill();

private:
			pid_t				fPid;
			std::string			fName;
			std::string			fSavedDisplay;
			bool				fHadDisplay;
};

#endif
