#include "ListTestSupport.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>


RunResult
RunThroughShell(const TemporaryHome& home, TolvexRunner& runner,
	const std::string& script, const std::string& before,
	const std::string& environment)
{
	std::string scriptPath = home.WriteFile("shell-script.txt", script);
	chmod(scriptPath.c_str(), 0644);
	std::string command = before + " env BE_DISPLAY=headless BE_SCRIPT="
		+ Quoted(scriptPath) + " " + environment + " "
		+ Quoted(runner.Executable()) + " > " + Quoted(home.File("sh-out"))
		+ " 2> " + Quoted(home.File("sh-err")) + " < /dev/null";
	int status = system(("sh -c " + Quoted(command)).c_str());
	RunResult result;
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	result.output = ReadFile(home.File("sh-out"));
	result.errors = ReadFile(home.File("sh-err"));
	return result;
}
