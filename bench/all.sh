#!/bin/sh
# Every benchmark figure in one run: builds in release mode in a folder of
# its own, runs each benchmark beside its reference (the same run, the
# same machine state), prints each figure with its target and whether it
# was met, and writes the same to bench/RESULTS.md.
#
#   bench/all.sh [BUILD_DIR]      (default: build-bench)
#
# Each benchmark is a program of its own (bench/README.md); this script
# only reads the lines they print. A benchmark that fails or prints no
# figure is shown as "not measured" and makes the exit status 1.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
command="bench/all.sh${1:+ $1}"

tools/install-packages.sh cmake make g++ libfltk1.3-dev libx11-dev xvfb \
	xauth shared-mime-info libmp3lame-dev libsndfile1-dev lame time

# The machine, and how busy it was when we began: a loaded machine slows
# the figures, the ratios much less since both sides run in turn.
started=$(date -u '+%Y-%m-%d %H:%M UTC')
load=$(cut -d' ' -f1-3 /proc/loadavg)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
cores=$(nproc 2>/dev/null || echo "?")
memory=$(awk '/^MemTotal:/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
kernel=$(uname -sr)

jobs=$(nproc 2>/dev/null || echo 2)
echo "Building (Release) in $build ..."
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLVEX_TESTS=OFF \
	-DTOLVEX_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target Tolvex Gogo EmptyWindow \
	tolvex_list_bench tolvex_startup_bench gogo_speed_bench >/dev/null

logs="$build/bench-logs"
rm -rf "$logs"
mkdir -p "$logs"
rows="$logs/rows"
: > "$rows"
incomplete=0

# measure NAME SECONDS COMMAND...: runs one benchmark, its output to a log.
measure() {
	name=$1 limit=$2
	shift 2
	echo "Running $name ..."
	if ! timeout "$limit" "$@" > "$logs/$name.log" 2>&1; then
		echo "  $name failed (its output: $logs/$name.log)"
		incomplete=1
	fi
}

# pick LOG EXTENDED-REGEX: the first number after the pattern in the log.
pick() {
	sed -En "s#.*$2[^0-9-]*(-?[0-9]+(\.[0-9]+)?).*#\1#p" "$logs/$1" \
		2>/dev/null | head -n 1
}

# row FIGURE VALUE UNIT LIMIT: a figure whose target is "at most LIMIT";
# with no LIMIT the figure is only reported.
row() {
	figure=$1 value=$2 unit=$3 limit=$4
	target="at most $limit$unit"
	if ! printf '%s' "$value" | grep -Eq '^-?[0-9]+(\.[0-9]+)?$'; then
		verdict="not measured"
		incomplete=1
		value="-"
		unit=""
	elif [ -z "$limit" ]; then
		verdict="(reported)"
	elif awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v <= l) }'; then
		verdict=met
	else
		verdict=missed
	fi
	[ -n "$limit" ] || target="-"
	printf '| %s | %s%s | %s | %s |\n' "$figure" "$value" "$unit" \
		"$target" "$verdict" >> "$rows"
}

# ratio A B: A / B with two decimals, empty when either is missing.
ratio() {
	[ -n "$1" ] && [ -n "$2" ] || return 0
	awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b }'
}

measure list-headless 600 "$build/bench/tolvex_list_bench"
measure list-fltk 600 "$build/bench/tolvex_list_bench" --fltk
measure encode 600 bench/encode.sh "$build"
measure gogo 900 "$build/bench/gogo_speed_bench" --batch
measure startup 600 "$build/bench/tolvex_startup_bench"

for display in headless fltk; do
	log=list-$display.log
	row "List $display: Open 99,999 entries / fgets loop" \
		"$(pick $log '^Open .*ratio')" "×" 3
	row "List $display: Save / fputs loop" \
		"$(pick $log '^Save .*C fputs loop +[0-9.]+ ms +ratio')" "×" 3
	row "List $display: Save / fputs loop with fsync" \
		"$(pick $log '^Save .*fsync as Save does +[0-9.]+ ms, ratio')" "×" 3
	row "List $display: Clear / fgets loop" \
		"$(pick $log '^Clear .*ratio')" "×" 3
	# CPU time hardly changes on a busy machine, wall time does.
	row "List $display: Open / fgets loop, CPU time" \
		"$(pick $log '^CPU time: Open [0-9.]+ ms against fgets [0-9.]+ ms \(ratio')" "×" ""
	# The least a list can cost, in a fresh process (ListFloor.cpp).
	row "List $display: the fgets loop with a BStringItem an entry, fresh process / fgets loop" \
		"$(pick $log '^least cost, fresh process: fgets loop with a BStringItem an entry [0-9.]+ ms \(')" "×" ""
	row "List $display: Open / the fgets loop with a BStringItem an entry, fresh process" \
		"$(pick $log '^least cost, fresh process: fgets loop with a BStringItem an entry [0-9.]+ ms \([0-9.]+ times the plain loop; Open is')" "×" ""
	row "List $display: Open / one block of texts, no allocation an entry, fresh process" \
		"$(pick $log '^least cost, .*no allocation an entry [0-9.]+ ms \([0-9.]+ times; Open is')" "×" ""
	# Linear growth: the time per entry at 99,999 against that at 10,000
	# (a quadratic cost would make it near 10).
	for action in AddFile Remove; do
		small=$(pick $log "^$action .*per entry")
		large=$(pick $log "^$action .*per entry +[0-9.]+ us and")
		row "List $display: $action per entry, 99,999 / 10,000" \
			"$(ratio "$large" "$small")" "×" 2
	done
	row "List $display: peak memory with 99,999 entries" \
		"$(pick $log '^peak memory with the list loaded:')" " MiB" 64
done

row "Run: Tolvex / shell loop, 1,000 files, no-op encoder" \
	"$(pick encode.log '^ratio Tolvex / shell:')" "×" 0.6
row "Run: per file beyond the shell loop" \
	"$(pick encode.log 'per file beyond the shell:')" " ms" ""
# What starting the process itself costs, whoever starts it: the floor
# that no launcher gets under.
row "Run: launch floor (vfork + execve + waitpid in C) / shell loop" \
	"$(pick encode.log '^ratio floor / shell:')" "×" ""
row "Run: Tolvex / launch floor" \
	"$(pick encode.log '^ratio Tolvex / floor:')" "×" ""
row "Run: Tolvex's cost per file beyond the launch floor" \
	"$(pick encode.log 'per file beyond the floor:')" " ms" ""
row "Run: Tolvex peak memory, 1,000 files" \
	"$(awk '/^Tolvex peak memory:/ { printf "%.1f", $4 / 1024 }' \
		"$logs/encode.log")" " MiB" ""
# Gogo encodes on every core: on 2, at most 1/1.9 of lame's wall time.
row "Gogo / lame, 60 s stereo at 128 kbit/s, median wall" \
	"$(pick gogo.log '^Gogo / lame at 128 kbit/s, median wall time:')" "×" 0.53
row "Gogo / lame, 60 s stereo at VBR 2, median wall" \
	"$(pick gogo.log '^Gogo / lame at VBR 2, median wall time:')" "×" 0.53
row "Gogo / lame, 60 s stereo at 128 kbit/s, median CPU" \
	"$(pick gogo.log '^Gogo / lame at 128 kbit/s, median CPU time:')" "×" 1.05
row "Gogo batch of 12 files of 30 s, every thread / -threads 1, wall" \
	"$(pick gogo.log '^batch every thread / -threads 1, median wall time:')" "×" 0.55

# The start-up table: the ratio of section a; Tolvex's rows of b and c.
startup_row() {
	awk -v section="$1" -v name="$2" '
		/^[a-c]\. / { current = substr($0, 1, 1) }
		current == section && $1 == name { print $2; exit }' \
		"$logs/startup.log" 2>/dev/null
}
row "Start-up to window mapped: Tolvex / empty FLTK program" \
	"$(startup_row a ratio)" "×" 1.5
row "Idle peak memory (VmHWM) with the window shown" \
	"$(startup_row b Tolvex)" " MiB" 40
row "Headless start to exit, script \"dump\"" \
	"$(startup_row c Tolvex)" " ms" 20
row "Headless start to exit, its CPU time" \
	"$(awk '/^[a-c]\. / { current = substr($0, 1, 1) }
		current == "c" && /its CPU time/ {
			for (i = 1; i < NF; i++)
				if ($i == "(user+sys)") { print $(i + 1); exit } }' \
		"$logs/startup.log" 2>/dev/null)" " ms" ""

result=bench/RESULTS.md
{
	echo "# Benchmark results"
	echo
	echo "Made with \`$command\` on $started."
	echo
	echo "Machine: $cpu, $cores cores, $memory memory, $kernel;"
	echo "load average at the start: $load. A load above the number of"
	echo "cores means other work shared the machine: wall times, and the"
	echo "ratios of short timings, then vary from one run to the next (the"
	echo "CPU times much less)."
	echo
	echo "Each ratio compares two programs or loops timed in the same run,"
	echo "taking turns; bench/README.md says how each is measured."
	echo
	echo "| figure | value | target | result |"
	echo "|---|---|---|---|"
	cat "$rows"
	echo
	echo "## What the benchmarks printed"
	for name in list-headless list-fltk encode gogo startup; do
		echo
		echo "### $name"
		echo
		echo '```'
		cat "$logs/$name.log"
		echo '```'
	done
} > "$result"

echo
echo "$command, $started"
echo "Machine: $cpu, $cores cores, $memory, $kernel; load at start: $load"
echo
sed 's/^| //; s/ |$//; s/ | /  |  /g' "$rows"
echo
echo "Written to $result."
exit $incomplete
