// Start-up benchmarks: Tolvex against a minimal FLTK program, each started
// on a private Xvfb and timed to the MapNotify of its window; its idle peak
// memory; and a headless start to exit. Runs of the two programs alternate
// so that a busy machine slows both alike. Prints a table; no assertion.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "MapWatcher.h"
#include "TrialProcess.h"
#include "XvfbServer.h"

namespace {

const double kStopSeconds = 10;
const double kHeadlessSeconds = 30;

struct Options {
	int				runs = 20;
	int				memoryRuns = 3;
	double			mapTimeout = 10;
	std::string		subject = TOLVEX_BINARY;
	std::string		title = "Tolvex 1.2a";
	std::string		reference = EMPTY_WINDOW_BINARY;
	std::string		tolvex = TOLVEX_BINARY;
	std::string		phases = "abc";
};

// What one program gave in one part: figures, or why there are none.
struct Series {
	std::string			name;
	std::vector<double>	values;
	std::string			failure;
};


std::string
BaseName(const std::string& path)
{
	return path.substr(path.rfind('/') + 1);
}


double
Median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	size_t middle = values.size() / 2;
	if (values.size() % 2 == 1)
		return values[middle];
	return (values[middle - 1] + values[middle]) / 2;
}


double
Milliseconds(Clock::duration duration)
{
	return std::chrono::duration<double, std::milli>(duration).count();
}


std::string
FirstLine(const std::string& text)
{
	std::string line = text.substr(0, text.find('\n'));
	if (line.size() > 160)
		line = line.substr(0, 160) + "...";
	return line;
}


// Starts program on the X server and waits for its window. On success the
// process is left running, its window mapped; on failure says why.
bool
StartWindowed(TrialProcess& process, MapWatcher& watcher,
	const std::string& display, const std::string& title, double timeout,
	double* milliseconds, std::string* failure)
{
	TrialProcess::Environment variables;
	variables.push_back(std::make_pair("DISPLAY", display));
	variables.push_back(std::make_pair("BE_DISPLAY", ""));
	variables.push_back(std::make_pair("BE_SCRIPT", ""));
	if (!process.Prepare(failure))
		return false;
	watcher.Reset();
	if (!process.Start(variables, failure))
		return false;

	Clock::time_point mappedAt;
	MapWatcher::Result result = watcher.WaitForMap(title,
		process.ExitDescriptor(), timeout, &mappedAt);
	if (result == MapWatcher::kMapped) {
		*milliseconds = Milliseconds(mappedAt - process.StartedAt());
		return true;
	}
	if (result == MapWatcher::kExited) {
		int status = 0;
		process.Wait(kStopSeconds, &status);
		*failure = "ended (" + DescribeStatus(status)
			+ ") before mapping a window";
		std::string said = FirstLine(process.Errors());
		if (!said.empty())
			*failure += ": \"" + said + "\"";
		return false;
	}
	char text[160];
	snprintf(text, sizeof(text), "mapped no window titled \"%s\" within %g s",
		title.c_str(), timeout);
	*failure = text;
	return false;
}


// One run: start to map, then (for the memory figure) one second idle,
// then quit and reap. It adds the time to the map, or the peak memory.
void
RunWindowed(const std::string& program, const std::string& title,
	MapWatcher& watcher, const std::string& display, const Options& options,
	bool memory, Series& series)
{
	TrialProcess process(program);
	double milliseconds = 0;
	std::string failure;
	if (!StartWindowed(process, watcher, display, title, options.mapTimeout,
			&milliseconds, &failure)) {
		series.failure = failure;
		return;
	}
	long kib = 0;
	if (memory) {
		std::this_thread::sleep_for(std::chrono::seconds(1));
		kib = process.PeakMemoryKiB();
		if (process.HasExited() || kib < 0) {
			series.failure = "ended while idle";
			return;
		}
	}
	int status = 0;
	if (!process.Stop(kStopSeconds, &status)) {
		series.failure = "did not quit on SIGTERM";
		return;
	}
	series.values.push_back(memory ? kib / 1024.0 : milliseconds);
}


void
TimeHeadless(const std::string& program, const std::string& script,
	Series& series, Series& cpu)
{
	TrialProcess process(program);
	TrialProcess::Environment variables;
	variables.push_back(std::make_pair("DISPLAY", ""));
	variables.push_back(std::make_pair("BE_DISPLAY", "headless"));
	variables.push_back(std::make_pair("BE_SCRIPT", script));
	std::string failure;
	if (!process.Prepare(&failure) || !process.Start(variables, &failure)) {
		series.failure = failure;
		return;
	}
	int status = 0;
	if (!process.Wait(kHeadlessSeconds, &status)) {
		series.failure = "did not end within 30 s";
		return;
	}
	if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
		series.failure = "ended with " + DescribeStatus(status);
		std::string said = FirstLine(process.Errors());
		if (!said.empty())
			series.failure += ": \"" + said + "\"";
		return;
	}
	// A run that printed no window did not do what is being timed.
	if (process.Output().find("window \"") == std::string::npos) {
		series.failure = "printed no window for \"dump\"";
		return;
	}
	series.values.push_back(Milliseconds(process.EndedAt()
		- process.StartedAt()));
	cpu.values.push_back(process.CpuMilliseconds());
}


void
PrintRow(const Series& series, const char* unit, const char* target)
{
	if (!series.failure.empty() || series.values.empty()) {
		printf("   %-26s not measured: %s\n", series.name.c_str(),
			series.failure.empty() ? "no run" : series.failure.c_str());
		return;
	}
	printf("   %-26s %8.1f %-3s  (min %.1f, max %.1f, %zu runs)%s\n",
		series.name.c_str(), Median(series.values), unit,
		*std::min_element(series.values.begin(), series.values.end()),
		*std::max_element(series.values.begin(), series.values.end()),
		series.values.size(), target);
}


bool
Measured(const Series& series)
{
	return series.failure.empty() && !series.values.empty();
}


void
Usage()
{
	fprintf(stderr,
		"usage: tolvex_startup_bench [-n RUNS] [-m MEMORY_RUNS] [--only abc]\n"
		"           [--subject PATH --title TITLE] [--reference PATH]\n"
		"           [--tolvex PATH] [--map-timeout SECONDS]\n"
		"  a: start to window mapped, subject against reference\n"
		"  b: idle peak memory after the map\n"
		"  c: headless start to exit of --tolvex with a \"dump\" script\n");
}


bool
ParseOptions(int argc, char** argv, Options* options)
{
	for (int i = 1; i < argc; i++) {
		std::string word = argv[i];
		if (i + 1 >= argc) {
			Usage();
			return false;
		}
		std::string value = argv[++i];
		if (word == "-n")
			options->runs = atoi(value.c_str());
		else if (word == "-m")
			options->memoryRuns = atoi(value.c_str());
		else if (word == "--map-timeout")
			options->mapTimeout = atof(value.c_str());
		else if (word == "--subject")
			options->subject = value;
		else if (word == "--title")
			options->title = value;
		else if (word == "--reference")
			options->reference = value;
		else if (word == "--tolvex")
			options->tolvex = value;
		else if (word == "--only")
			options->phases = value;
		else {
			Usage();
			return false;
		}
	}
	if (options->runs < 1 || options->memoryRuns < 1
		|| options->mapTimeout <= 0) {
		Usage();
		return false;
	}
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	Options options;
	if (!ParseOptions(argc, argv, &options))
		return 1;
	bool startup = options.phases.find('a') != std::string::npos;
	bool memory = options.phases.find('b') != std::string::npos;
	bool headless = options.phases.find('c') != std::string::npos;

	Series referenceTimes;
	Series subjectTimes;
	Series referenceMemory;
	Series subjectMemory;
	Series headlessTimes;
	Series headlessCpu;
	referenceTimes.name = referenceMemory.name
		= BaseName(options.reference) + " (reference)";
	subjectTimes.name = subjectMemory.name = BaseName(options.subject);
	headlessTimes.name = BaseName(options.tolvex);
	headlessCpu.name = "  its CPU time (user+sys)";

	XvfbServer server;
	MapWatcher watcher;
	if (startup || memory) {
		std::string error;
		if (!server.Start(&error) || !watcher.Open(server.Display(), &error)) {
			fprintf(stderr, "tolvex_startup_bench: %s\n", error.c_str());
			return 1;
		}
		const std::string& display = server.Display();
		printf("X server: Xvfb %s\n", display.c_str());

		// One untimed run each fills the caches; a subject that shows no
		// window then is not started again.
		Series warmReference;
		Series warmSubject;
		RunWindowed(options.reference, EMPTY_WINDOW_TITLE, watcher, display,
			options, false, warmReference);
		RunWindowed(options.subject, options.title, watcher, display, options,
			false, warmSubject);
		if (!warmReference.failure.empty()) {
			fprintf(stderr, "tolvex_startup_bench: the reference %s\n",
				warmReference.failure.c_str());
			return 1;
		}
		subjectTimes.failure = subjectMemory.failure = warmSubject.failure;

		for (int i = 0; startup && i < options.runs; i++) {
			bool subjectFirst = i % 2 == 1;
			if (subjectFirst && subjectTimes.failure.empty())
				RunWindowed(options.subject, options.title, watcher, display,
					options, false, subjectTimes);
			RunWindowed(options.reference, EMPTY_WINDOW_TITLE, watcher,
				display, options, false, referenceTimes);
			if (!subjectFirst && subjectTimes.failure.empty())
				RunWindowed(options.subject, options.title, watcher, display,
					options, false, subjectTimes);
		}
		for (int i = 0; memory && i < options.memoryRuns; i++) {
			RunWindowed(options.reference, EMPTY_WINDOW_TITLE, watcher,
				display, options, true, referenceMemory);
			if (subjectMemory.failure.empty())
				RunWindowed(options.subject, options.title, watcher, display,
					options, true, subjectMemory);
		}
	}

	std::string script;
	if (headless) {
		char path[] = "/tmp/tolvex-bench-script-XXXXXX";
		int descriptor = mkstemp(path);
		if (descriptor < 0 || write(descriptor, "dump\n", 5) != 5) {
			fprintf(stderr, "tolvex_startup_bench: cannot write a script\n");
			return 1;
		}
		close(descriptor);
		script = path;
		// The first run fills the caches.
		Series warm;
		Series warmCpu;
		TimeHeadless(options.tolvex, script, warm, warmCpu);
		headlessTimes.failure = warm.failure;
		for (int i = 0; i < options.runs && headlessTimes.failure.empty(); i++)
			TimeHeadless(options.tolvex, script, headlessTimes, headlessCpu);
		unlink(script.c_str());
	}

	bool complete = true;
	if (startup) {
		printf("\na. start to window mapped (MapNotify), median of runs "
			"alternating with the reference\n");
		PrintRow(referenceTimes, "ms", "");
		PrintRow(subjectTimes, "ms", "");
		if (Measured(referenceTimes) && Measured(subjectTimes)) {
			double ratio = Median(subjectTimes.values)
				/ Median(referenceTimes.values);
			printf("   %-26s %8.2f      target at most 1.5: %s\n",
				"ratio", ratio, ratio <= 1.5 ? "met" : "NOT met");
		} else {
			printf("   %-26s not measured\n", "ratio");
			complete = false;
		}
	}
	if (memory) {
		printf("\nb. idle peak memory (VmHWM), one second after the map\n");
		PrintRow(referenceMemory, "MiB", "");
		if (Measured(subjectMemory)) {
			bool met = Median(subjectMemory.values) < 40;
			PrintRow(subjectMemory, "MiB", met
				? "  target under 40 MiB: met" : "  target under 40 MiB: NOT met");
		} else {
			PrintRow(subjectMemory, "MiB", "");
			complete = false;
		}
	}
	if (headless) {
		printf("\nc. headless start to exit, script \"dump\"\n");
		if (Measured(headlessTimes)) {
			bool met = Median(headlessTimes.values) < 20;
			PrintRow(headlessTimes, "ms", met
				? "  target under 20 ms: met" : "  target under 20 ms: NOT met");
			PrintRow(headlessCpu, "ms", "");
		} else {
			PrintRow(headlessTimes, "ms", "");
			complete = false;
		}
	}
	if (!complete)
		printf("\nIncomplete: some figures could not be measured (above).\n");
	return complete ? 0 : 2;
}
