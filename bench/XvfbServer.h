#ifndef XVFB_SERVER_H
#define XVFB_SERVER_H

#include <sys/types.h>

#include <string>

// A private X server for the measurements: it picks a free display number
// itself (-displayfd), so the benchmark never lands on the user's display
// nor races another server for a number.
class XvfbServer {
public:
								XvfbServer();
								~XvfbServer();

			bool				Start(std::string* error);
			void				Stop();

			// ":N" once started.
			const std::string&	Display() const { return fDisplay; }

private:
			pid_t				fPid;
			std::string			fDisplay;
};

#endif // XVFB_SERVER_H
