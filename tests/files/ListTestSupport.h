#ifndef LIST_TEST_SUPPORT_H
#define LIST_TEST_SUPPORT_H

#include <string>

#include "TestSupport.h"

// Runs the program with a script through sh, with the given words before
// it (limits, another user) and the given variables for it; the home's
// folders as the environment.
RunResult RunThroughShell(const TemporaryHome& home, TolvexRunner& runner,
	const std::string& script, const std::string& before,
	const std::string& environment = "");

#endif // LIST_TEST_SUPPORT_H
