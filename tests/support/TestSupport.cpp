#include "TestSupport.h"

#include <errno.h>
#include <stdio.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <Entry.h>
#include <MimeType.h>
#include <OS.h>

#include "private/app/Quiet.h"

extern char** environ;

namespace {

const char* kVariables[] = { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
	"XDG_CACHE_HOME", "XDG_CONFIG_DIRS", "BE_DISPLAY", "BE_SCRIPT",
	"DISPLAY" };


void
MakeFolders(const std::string& path)
{
	for (size_t slash = path.find('/', 1); slash != std::string::npos;
			slash = path.find('/', slash + 1))
		mkdir(path.substr(0, slash).c_str(), 0755);
	mkdir(path.c_str(), 0755);
}


void
RemoveTree(const std::string& path)
{
	std::string command = "rm -rf '" + path + "'";
	if (system(command.c_str()) != 0) {
		// Left behind in /tmp; nothing depends on it.
	}
}

} // namespace


TemporaryHome::TemporaryHome()
{
	char pattern[] = "/tmp/tolvex-test-XXXXXX";
	if (mkdtemp(pattern) == NULL)
		throw std::runtime_error("cannot make a temporary home");
	fPath = pattern;
	for (const char* name : kVariables) {
		const char* value = getenv(name);
		fSaved.push_back(std::make_pair(name, value != NULL ? value : "\x01"));
	}
	setenv("HOME", fPath.c_str(), 1);
	setenv("XDG_CONFIG_HOME", (fPath + "/.config").c_str(), 1);
	setenv("XDG_DATA_HOME", (fPath + "/.local/share").c_str(), 1);
	setenv("XDG_CACHE_HOME", (fPath + "/.cache").c_str(), 1);
	// The machine's own defaults stay out of every test.
	setenv("XDG_CONFIG_DIRS", (fPath + "/xdg").c_str(), 1);
	setenv("BE_DISPLAY", "headless", 1);
	unsetenv("BE_SCRIPT");
	unsetenv("DISPLAY");
	MakeFolders(fPath + "/.config");
	MakeFolders(fPath + "/.local/share");
	MakeFolders(fPath + "/.local/bin");
}


TemporaryHome::~TemporaryHome()
{
	for (auto& saved : fSaved) {
		if (saved.second == "\x01")
			unsetenv(saved.first.c_str());
		else
			setenv(saved.first.c_str(), saved.second.c_str(), 1);
	}
	RemoveTree(fPath);
}


std::string
TemporaryHome::File(const std::string& relative) const
{
	return fPath + "/" + relative;
}


std::string
TemporaryHome::WriteFile(const std::string& relative,
	const std::string& content, bool executable) const
{
	std::string path = File(relative);
	MakeFolders(path.substr(0, path.rfind('/')));
	std::ofstream(path, std::ios::binary) << content;
	chmod(path.c_str(), executable ? 0755 : 0644);
	return path;
}


TolvexRunner::TolvexRunner(const TemporaryHome& home)
	:
	fHome(home),
	fPid(-1)
{
	// Laid out as installed, so that the program finds its neighbours.
	std::string folder = home.File("prefix/lib/tolvex");
	MakeFolders(folder);
	fExecutable = folder + "/Tolvex";
	std::string command = std::string("cp '") + TOLVEX_BINARY + "' '"
		+ fExecutable + "'";
	if (system(command.c_str()) != 0)
		throw std::runtime_error("cannot copy the program");
}


int
TolvexRunner::Start(const std::string& script,
	const std::vector<std::string>& arguments)
{
	std::string scriptPath = fHome.WriteFile("script.txt", script);
	return StartScriptAt(scriptPath.c_str(), arguments);
}


int
TolvexRunner::StartScriptAt(const char* scriptPath,
	const std::vector<std::string>& arguments)
{
	fOutputPath = fHome.File("stdout.txt");
	fErrorPath = fHome.File("stderr.txt");

	std::vector<std::string> environment;
	for (char** variable = environ; *variable != NULL; variable++) {
		if (strncmp(*variable, "BE_SCRIPT=", 10) != 0)
			environment.push_back(*variable);
	}
	if (scriptPath != NULL)
		environment.push_back(std::string("BE_SCRIPT=") + scriptPath);
	std::vector<char*> envp;
	for (std::string& entry : environment)
		envp.push_back(&entry[0]);
	envp.push_back(NULL);

	std::vector<std::string> words(1, fExecutable);
	words.insert(words.end(), arguments.begin(), arguments.end());
	std::vector<char*> argv;
	for (std::string& word : words)
		argv.push_back(&word[0]);
	argv.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 1, fOutputPath.c_str(),
		O_WRONLY | O_CREAT | O_TRUNC, 0644);
	posix_spawn_file_actions_addopen(&actions, 2, fErrorPath.c_str(),
		O_WRONLY | O_CREAT | O_TRUNC, 0644);
	int error = posix_spawn(&fPid, fExecutable.c_str(), &actions, NULL,
		argv.data(), envp.data());
	posix_spawn_file_actions_destroy(&actions);
	if (error != 0)
		throw std::runtime_error("cannot start the program");
	return fPid;
}


RunResult
TolvexRunner::Finish(int timeoutSeconds)
{
	RunResult result;
	int status = 0;
	time_t deadline = time(NULL) + timeoutSeconds;
	while (true) {
		pid_t done = waitpid(fPid, &status, WNOHANG);
		if (done == fPid)
			break;
		if (time(NULL) >= deadline) {
			kill(fPid, SIGKILL);
			waitpid(fPid, &status, 0);
			result.errors = "(killed after " + std::to_string(timeoutSeconds)
				+ " seconds)\n";
			break;
		}
		usleep(5000);
	}
	fPid = -1;
	if (WIFEXITED(status))
		result.status = WEXITSTATUS(status);
	if (WIFSIGNALED(status))
		result.signal = WTERMSIG(status);
	result.output = ReadFile(fOutputPath);
	result.errors += ReadFile(fErrorPath);
	return result;
}


RunResult
TolvexRunner::Run(const std::string& script,
	const std::vector<std::string>& arguments, int timeoutSeconds)
{
	Start(script, arguments);
	return Finish(timeoutSeconds);
}


bool
InstallFakeBrowser(const TemporaryHome& home, const std::string& record)
{
	std::string browser = home.WriteFile("bin/fake-browser",
		"#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + record
		+ ".part' && mv '" + record + ".part' '" + record + "'\n", true);
	entry_ref browserRef;
	if (get_ref_for_path(browser.c_str(), &browserRef) != B_OK)
		return false;
	BMimeType app("application/x-vnd.test-browser");
	if (app.SetAppHint(&browserRef) != B_OK || app.Install() != B_OK)
		return false;
	BMimeType html("text/html");
	if (html.SetPreferredApp("application/x-vnd.test-browser") != B_OK)
		return false;
	return html.IsInstalled() || html.Install() == B_OK;
}


bool
WaitUntilQuiet(int timeoutSeconds)
{
	return BPrivate::WaitForQuiet(
		system_time() + (bigtime_t)timeoutSeconds * 1000000, NULL);
}


std::string
ReadFile(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream content;
	content << file.rdbuf();
	return content.str();
}


std::string
WaitForFile(const std::string& path, int timeoutSeconds)
{
	bigtime_t end = system_time() + (bigtime_t)timeoutSeconds * 1000000;
	struct stat st;
	while (stat(path.c_str(), &st) != 0 && system_time() < end)
		snooze(10000);
	return ReadFile(path);
}


std::vector<std::string>
SplitLines(const std::string& text)
{
	std::vector<std::string> lines;
	std::stringstream stream(text);
	std::string line;
	while (std::getline(stream, line))
		lines.push_back(line);
	return lines;
}


std::string
DumpLine(const std::string& dump, const std::string& start, int occurrence)
{
	for (const std::string& line : SplitLines(dump)) {
		size_t first = line.find_first_not_of(' ');
		if (first != std::string::npos
			&& line.compare(first, start.size(), start) == 0
			&& occurrence-- == 0)
			return line.substr(first);
	}
	return std::string();
}


bool
Contains(const std::string& text, const std::string& part)
{
	return text.find(part) != std::string::npos;
}


std::string
Quoted(const std::string& text)
{
	std::string quoted = "'";
	for (char c : text)
		quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return quoted + "'";
}


PrivateSessionBus::PrivateSessionBus()
	:
	fHadAddress(getenv("DBUS_SESSION_BUS_ADDRESS") != NULL)
{
	if (fHadAddress)
		fOldAddress = getenv("DBUS_SESSION_BUS_ADDRESS");
	FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 "
		"--print-pid=1 2>/dev/null", "r");
	if (daemon == NULL)
		return;
	char address[512] = "";
	char pid[32] = "";
	if (fgets(address, sizeof(address), daemon) != NULL
		&& fgets(pid, sizeof(pid), daemon) != NULL) {
		address[strcspn(address, "\n")] = '\0';
		fAddress = address;
		fPids.push_back(atoi(pid));
		setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
	}
	pclose(daemon);
}


PrivateSessionBus::~PrivateSessionBus()
{
	// The services first, the bus last.
	for (auto pid = fPids.rbegin(); pid != fPids.rend(); pid++) {
		if (*pid > 0)
			kill(*pid, SIGTERM);
	}
	if (fHadAddress)
		setenv("DBUS_SESSION_BUS_ADDRESS", fOldAddress.c_str(), 1);
	else
		unsetenv("DBUS_SESSION_BUS_ADDRESS");
}


bool
PrivateSessionBus::StartService(const std::string& command,
	const std::string& readyFile)
{
	if (fAddress.empty())
		return false;
	FILE* started = popen((command + " >/dev/null 2>&1 & echo $!").c_str(),
		"r");
	if (started == NULL)
		return false;
	char pid[32] = "";
	if (fgets(pid, sizeof(pid), started) != NULL)
		fPids.push_back(atoi(pid));
	pclose(started);
	for (int i = 0; i < 600 && access(readyFile.c_str(), F_OK) != 0; i++)
		usleep(100000);
	return access(readyFile.c_str(), F_OK) == 0;
}
