#ifndef _KITS_PRIVATE_APP_APPLICATION_PRIVATE_H
#define _KITS_PRIVATE_APP_APPLICATION_PRIVATE_H

#include <vector>

#include <Application.h>

// The application's list of windows, which every BWindow joins when it is
// built and leaves when it is deleted.
class BApplication::Private {
public:
	static	void				AddWindow(BWindow* window);
	static	void				RemoveWindow(BWindow* window);
			// The windows' looper tokens, in the order of their creation:
			// a window is reached by token (and locked) before it is
			// touched, since any of them may be deleting itself.
	static	std::vector<int32>	WindowTokens();
};

#endif // _KITS_PRIVATE_APP_APPLICATION_PRIVATE_H
