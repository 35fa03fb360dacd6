// Tolvex on a command line with no display: help, the version and a
// wrong option are answered without one; anything else says what is
// missing and where the manual is.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"

extern char** environ;

namespace {

// The built program with the given words, no display variable at all.
RunResult
RunWithoutDisplay(const std::vector<std::string>& words)
{
	RunResult result;
	int output[2];
	int errors[2];
	if (pipe2(output, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC) != 0)
		return result;
	std::vector<std::string> environment;
	for (char** variable = environ; *variable != NULL; variable++) {
		std::string entry = *variable;
		if (entry.compare(0, 8, "DISPLAY=") != 0
			&& entry.compare(0, 11, "BE_DISPLAY=") != 0
			&& entry.compare(0, 10, "BE_SCRIPT=") != 0
			&& entry.compare(0, 16, "WAYLAND_DISPLAY=") != 0)
			environment.push_back(entry);
	}
	std::vector<char*> envp;
	for (std::string& entry : environment)
		envp.push_back(&entry[0]);
	envp.push_back(NULL);
	std::string program = TOLVEX_BINARY;
	std::vector<char*> argv;
	argv.push_back(&program[0]);
	std::vector<std::string> copies(words);
	for (std::string& word : copies)
		argv.push_back(&word[0]);
	argv.push_back(NULL);

	pid_t pid = fork();
	if (pid == 0) {
		dup2(output[1], 1);
		dup2(errors[1], 2);
		execve(argv[0], argv.data(), envp.data());
		_exit(127);
	}
	close(output[1]);
	close(errors[1]);
	struct pollfd fds[2] = { { output[0], POLLIN, 0 },
		{ errors[0], POLLIN, 0 } };
	std::string* sinks[2] = { &result.output, &result.errors };
	int open = 2;
	while (open > 0 && poll(fds, 2, 30000) > 0) {
		for (int i = 0; i < 2; i++) {
			if (fds[i].fd < 0 || fds[i].revents == 0)
				continue;
			char buffer[4096];
			ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
			if (got > 0)
				sinks[i]->append(buffer, got);
			else {
				close(fds[i].fd);
				fds[i].fd = -1;
				open--;
			}
		}
	}
	for (struct pollfd& fd : fds) {
		if (fd.fd >= 0) {
			kill(pid, SIGKILL);
			close(fd.fd);
		}
	}
	int status = 0;
	waitpid(pid, &status, 0);
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return result;
}

} // namespace


TEST(CommandLineTest, HelpVersionAndWrongOptionsNeedNoDisplay)
{
	TemporaryHome home;
	const std::string wrong = "Tolvex: opzione sconosciuta \"%s\".\n"
		"Provate \"Tolvex --help\".\n";
	struct Case {
		std::vector<std::string>	words;
		int							status;
		const char*					output;
		const char*					wrongOption;
	} cases[] = {
		{ { "--version" }, 0, "Tolvex 1.2a\n", NULL },
		{ { "--version", "--bogus" }, 0, "Tolvex 1.2a\n", NULL },
		{ { "--help" }, 0, "Uso: Tolvex [--refs FILE...]\n", NULL },
		{ { "-h" }, 0, "Uso: Tolvex [--refs FILE...]\n", NULL },
		{ { "lista.tvx", "--help" }, 0, "Uso: Tolvex [--refs FILE...]\n",
			NULL },
		{ { "--bogus" }, 2, "", "--bogus" },
		{ { "-x", "--help" }, 2, "", "-x" },
		{ { "-" }, 2, "", "-" },
	};
	for (const Case& test : cases) {
		std::string words;
		for (const std::string& word : test.words)
			words += word + " ";
		SCOPED_TRACE(words);
		RunResult run = RunWithoutDisplay(test.words);
		EXPECT_EQ(test.status, run.status) << run.errors;
		// The first line, or all of it for the version.
		std::string head = run.output.substr(0, strlen(test.output));
		EXPECT_EQ(test.output, head) << run.output;
		if (test.wrongOption != NULL) {
			std::string expected = wrong;
			expected.replace(expected.find("%s"), 2, test.wrongOption);
			EXPECT_EQ(expected, run.errors);
			EXPECT_EQ("", run.output);
		} else
			EXPECT_EQ("", run.errors);
	}

	// The help names every option, the display's variables and the
	// manual.
	RunResult help = RunWithoutDisplay({ "--help" });
	for (const char* part : { "--refs FILE...", "--help", "--version",
			"BE_DISPLAY=fltk|headless", "BE_SCRIPT=FILE", "BE_SCALE=N",
			"Il manuale: man Tolvex\n" }) {
		EXPECT_NE(std::string::npos, help.output.find(part)) << part;
	}
}


// Without a display and without help asked for: exit status 1, what is
// missing, and where to read more. Words after --refs are files, never
// options.
TEST(CommandLineTest, NoDisplayNamesTheManual)
{
	TemporaryHome home;
	const std::vector<std::string> cases[] = {
		{},
		{ "lista.tvx" },
		{ "--refs", "--help" },
		{ "--refs", "--bogus", "a.wav" },
	};
	for (const std::vector<std::string>& words : cases) {
		SCOPED_TRACE(words.empty() ? "no words" : words.back());
		RunResult run = RunWithoutDisplay(words);
		EXPECT_EQ(1, run.status);
		EXPECT_EQ("", run.output);
		EXPECT_NE(std::string::npos, run.errors.find("DISPLAY non è "
			"impostata")) << run.errors;
		ASSERT_GE(run.errors.size(), 24u) << run.errors;
		EXPECT_EQ("\nIl manuale: man Tolvex\n",
			run.errors.substr(run.errors.size() - 24)) << run.errors;
	}
}


// A lean install has no desktop opener: "Apri sito" says on standard
// error which program and package it needed, and the program goes on.
TEST(CommandLineTest, AMissingOpenerIsNamed)
{
	TemporaryHome home;
	TolvexRunner runner(home);
	const char* saved = getenv("PATH");
	std::string path = saved != NULL ? saved : "";
	setenv("PATH", home.File("no-programs").c_str(), 1);
	RunResult run = runner.Run("menu ? \"Informazioni su...\"\n"
		"alert 0\n"
		"menu ? \"Informazioni su...\"\n"
		"alert 1\n");
	setenv("PATH", path.c_str(), 1);
	ASSERT_EQ(0, run.status) << run.errors;
	EXPECT_EQ(2u, SplitLines(run.output).size()) << run.output;
	std::vector<std::string> lines = SplitLines(run.errors);
	ASSERT_EQ(1u, lines.size()) << run.errors;
	EXPECT_EQ(0u, lines[0].find("Tolvex: per aprire file://")) << lines[0];
	const std::string end = " serve xdg-open (pacchetto xdg-utils), che non "
		"è installato.";
	ASSERT_GT(lines[0].size(), end.size());
	EXPECT_EQ(end, lines[0].substr(lines[0].size() - end.size()));
}
