// Gogo's encoding speed against the lame command: both encode the same
// stereo 44.1 kHz WAV (60 s unless told) at 128 kbit/s and at VBR quality
// 2, in alternation; the medians of their wall and CPU times give the
// ratios, and Gogo's peak memory is the highest of its runs
// (bench/README.md). lame runs at the priority of Gogo's workers (batch,
// 5 steps nicer), so that on a busy machine the ratio still measures the
// threads, not the priority. --batch times twelve files of 30 s encoded
// one after the other, as Tolvex runs them, against the same with
// -threads 1; --big encodes a sparse WAV of 4.5 GiB once, for its peak
// memory.
//
//	gogo_speed_bench [-n RUNS] [--seconds S] [--gogo PATH] [--lame PATH]
//		[--batch] [--big]

#include <errno.h>
#include <fcntl.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>


namespace {

struct Timing {
	double	wall;
	double	cpu;
	// Peak resident memory, KiB.
	long	peak;
};


double
Now()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec + now.tv_nsec / 1e9;
}


void
PutLE(std::string& out, uint32_t value, int bytes)
{
	for (int i = 0; i < bytes; i++)
		out.push_back((char)((value >> (8 * i)) & 0xff));
}


// Music-like enough for the encoder to work as hard as on music: a few
// tones that move, and noise from a fixed generator.
bool
WriteWave(const std::string& path, int seconds)
{
	const int rate = 44100;
	const int channels = 2;
	uint32_t frames = (uint32_t)seconds * rate;
	uint32_t dataSize = frames * channels * 2;
	std::string header = "RIFF";
	PutLE(header, 36 + dataSize, 4);
	header += "WAVEfmt ";
	PutLE(header, 16, 4);
	PutLE(header, 1, 2);
	PutLE(header, channels, 2);
	PutLE(header, rate, 4);
	PutLE(header, rate * channels * 2, 4);
	PutLE(header, channels * 2, 2);
	PutLE(header, 16, 2);
	header += "data";
	PutLE(header, dataSize, 4);

	FILE* file = fopen(path.c_str(), "wb");
	if (file == NULL)
		return false;
	fwrite(header.data(), 1, header.size(), file);
	std::vector<int16_t> block(rate * channels);
	uint32_t noise = 1;
	for (uint32_t done = 0; done < frames; done += rate) {
		for (int i = 0; i < rate; i++) {
			double t = (double)(done + i) / rate;
			for (int c = 0; c < channels; c++) {
				noise = noise * 1664525u + 1013904223u;
				double value = 0.25 * sin(2 * M_PI * (220 + 110 * c
						+ 50 * sin(t)) * t)
					+ 0.15 * sin(2 * M_PI * 1760 * t) * sin(3 * t)
					+ 0.08 * ((double)(noise >> 8) / (1 << 24) - 0.5);
				block[i * channels + c] = (int16_t)(value * 32767);
			}
		}
		fwrite(block.data(), 2, block.size(), file);
	}
	return fclose(file) == 0;
}


// Runs the program with standard output and error on /dev/null (both
// print progress; neither is slowed by a terminal).
bool
Run(const std::vector<std::string>& words, Timing& timing,
	bool asGogosWorkers = false)
{
	std::vector<char*> argv;
	for (const std::string& word : words)
		argv.push_back(const_cast<char*>(word.c_str()));
	argv.push_back(NULL);

	double start = Now();
	pid_t pid = fork();
	if (pid < 0)
		return false;
	if (pid == 0) {
		int null = open("/dev/null", O_WRONLY);
		dup2(null, 1);
		dup2(null, 2);
		if (asGogosWorkers) {
			struct sched_param parameters;
			memset(&parameters, 0, sizeof(parameters));
			sched_setscheduler(0, SCHED_BATCH, &parameters);
			setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) + 5);
		}
		execvp(argv[0], argv.data());
		_exit(127);
	}
	int status = 0;
	struct rusage usage;
	if (wait4(pid, &status, 0, &usage) != pid)
		return false;
	timing.wall = Now() - start;
	timing.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6
		+ usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
	timing.peak = usage.ru_maxrss;
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}


double
Median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	size_t n = values.size();
	return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}


int
Usage()
{
	fprintf(stderr, "usage: gogo_speed_bench [-n RUNS] [--seconds S] "
		"[--gogo PATH] [--lame PATH] [--batch] [--big]\n");
	return 1;
}

}	// namespace


int
main(int argc, char** argv)
{
	int runs = 7;
	int seconds = 60;
	bool big = false;
	bool batch = false;
	std::string gogo = GOGO_BINARY;
	std::string lame = "lame";
	for (int i = 1; i < argc; i++) {
		std::string option = argv[i];
		if (option == "--big" || option == "--batch") {
			(option == "--big" ? big : batch) = true;
			continue;
		}
		if (i + 1 >= argc)
			return Usage();
		if (option == "-n")
			runs = atoi(argv[++i]);
		else if (option == "--seconds")
			seconds = atoi(argv[++i]);
		else if (option == "--gogo")
			gogo = argv[++i];
		else if (option == "--lame")
			lame = argv[++i];
		else
			return Usage();
	}
	if (runs < 1 || seconds < 1)
		return Usage();

	char folder[] = "/tmp/gogo-bench-XXXXXX";
	if (mkdtemp(folder) == NULL) {
		perror("mkdtemp");
		return 1;
	}
	std::string base = folder;
	std::string wave = base + "/input.wav";
	std::string gogoOut = base + "/gogo";
	mkdir(gogoOut.c_str(), 0755);
	if (!WriteWave(wave, seconds)) {
		fprintf(stderr, "cannot write %s\n", wave.c_str());
		return 1;
	}

	const struct {
		const char*	name;
		std::vector<std::string> gogo;
		std::vector<std::string> lame;
	} modes[] = {
		{ "128 kbit/s", { "-b", "128" }, { "-b", "128" } },
		{ "VBR 2", { "-v", "2" }, { "-V", "2" } },
	};
	int result = 0;
	for (const auto& mode : modes) {
		std::vector<std::string> gogoRun = { gogo };
		gogoRun.insert(gogoRun.end(), mode.gogo.begin(), mode.gogo.end());
		gogoRun.insert(gogoRun.end(), { "-o", gogoOut, wave });
		std::vector<std::string> lameRun = { lame };
		lameRun.insert(lameRun.end(), mode.lame.begin(), mode.lame.end());
		lameRun.insert(lameRun.end(), { wave, base + "/lame.mp3" });

		printf("Encoding %d s of stereo 44.1 kHz at %s, %d runs each "
			"(alternating, after one untimed run of each)\n", seconds,
			mode.name, runs);
		fflush(stdout);
		Timing timing;
		if (!Run(gogoRun, timing) || !Run(lameRun, timing)) {
			fprintf(stderr, "a program failed: %s, %s\n", gogo.c_str(),
				lame.c_str());
			result = 1;
			break;
		}

		std::vector<double> gogoWall, gogoCpu, lameWall, lameCpu;
		long gogoPeak = 0;
		long lamePeak = 0;
		for (int i = 0; i < runs && result == 0; i++) {
			// AB, BA, AB ...: a machine that gets busier slows both alike.
			for (int j = 0; j < 2; j++) {
				bool gogoTurn = (i + j) % 2 == 0;
				if (!Run(gogoTurn ? gogoRun : lameRun, timing, !gogoTurn)) {
					result = 1;
					break;
				}
				(gogoTurn ? gogoWall : lameWall).push_back(timing.wall);
				(gogoTurn ? gogoCpu : lameCpu).push_back(timing.cpu);
				long& peak = gogoTurn ? gogoPeak : lamePeak;
				peak = std::max(peak, timing.peak);
			}
		}
		if (result != 0)
			break;
		printf("%-6s %12s %12s %14s\n", "", "wall (s)", "cpu (s)",
			"peak (MiB)");
		printf("%-6s %12.3f %12.3f %14.1f\n", "Gogo", Median(gogoWall),
			Median(gogoCpu), gogoPeak / 1024.0);
		printf("%-6s %12.3f %12.3f %14.1f\n", "lame", Median(lameWall),
			Median(lameCpu), lamePeak / 1024.0);
		printf("Gogo / lame at %s, median wall time: %.3f (lame / Gogo "
			"%.3f, target at least 1.9 on 2 cores)\n", mode.name,
			Median(gogoWall) / Median(lameWall),
			Median(lameWall) / Median(gogoWall));
		printf("Gogo / lame at %s, median CPU time: %.3f (target at most "
			"1.05)\n", mode.name, Median(gogoCpu) / Median(lameCpu));
	}

	if (batch && result == 0) {
		// Twelve files of 30 s, one Gogo after the other as Tolvex's run
		// starts them, on every thread and on one.
		std::vector<std::string> waves;
		for (int i = 0; i < 12 && result == 0; i++) {
			waves.push_back(base + "/batch" + std::to_string(i) + ".wav");
			if (!WriteWave(waves.back(), 30))
				result = 1;
		}
		std::vector<double> allWall, oneWall;
		for (int i = 0; i < runs && result == 0; i++) {
			for (int j = 0; j < 2 && result == 0; j++) {
				bool all = (i + j) % 2 == 0;
				double wall = 0;
				for (const std::string& wave : waves) {
					std::vector<std::string> words = { gogo, "-b", "128",
						"-o", gogoOut, wave };
					if (!all)
						words.insert(words.begin() + 1, { "-threads", "1" });
					Timing timing;
					if (!Run(words, timing)) {
						result = 1;
						break;
					}
					wall += timing.wall;
				}
				(all ? allWall : oneWall).push_back(wall);
			}
		}
		if (result == 0) {
			printf("12 files of 30 s, one after the other: %.2f s on every "
				"thread, %.2f s with -threads 1\n", Median(allWall),
				Median(oneWall));
			printf("batch every thread / -threads 1, median wall time: %.3f "
				"(target at most 0.55 on 2 cores)\n",
				Median(allWall) / Median(oneWall));
		}
		for (size_t i = 0; i < waves.size(); i++) {
			unlink(waves[i].c_str());
			unlink((gogoOut + "/batch" + std::to_string(i) + ".mp3").c_str());
		}
	}

	if (big && result == 0) {
		// As a recorder that stopped past 4 GiB leaves it: both sizes
		// unwritten, sparse, so that only the memory is measured.
		std::string huge = base + "/huge.wav";
		std::string header = "RIFF";
		PutLE(header, 0xFFFFFFFF, 4);
		header += "WAVEfmt ";
		// 64-bit samples at 48 kHz: 1.75 hours of stereo sound.
		PutLE(header, 16, 4);
		PutLE(header, 3, 2);
		PutLE(header, 2, 2);
		PutLE(header, 48000, 4);
		PutLE(header, 48000 * 16, 4);
		PutLE(header, 16, 2);
		PutLE(header, 64, 2);
		header += "data";
		PutLE(header, 0xFFFFFFFF, 4);
		int fd = open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (fd < 0 || write(fd, header.data(), header.size())
				!= (ssize_t)header.size()
			|| ftruncate(fd, header.size() + (9ull << 29)) != 0) {
			fprintf(stderr, "cannot write %s\n", huge.c_str());
			result = 1;
		}
		if (fd >= 0)
			close(fd);
		Timing timing;
		if (result == 0 && Run({ gogo, "-b", "128", "-o", gogoOut, huge },
				timing)) {
			printf("4.5 GiB sparse WAV at 128 kbit/s: %.1f s wall, %.1f s "
				"CPU, peak memory: %.1f MiB (target at most 64)\n",
				timing.wall, timing.cpu, timing.peak / 1024.0);
		} else
			result = 1;
		unlink(huge.c_str());
		unlink((gogoOut + "/huge.mp3").c_str());
	}

	unlink(wave.c_str());
	unlink((gogoOut + "/input.mp3").c_str());
	rmdir(gogoOut.c_str());
	unlink((base + "/lame.mp3").c_str());
	rmdir(base.c_str());
	return result;
}
