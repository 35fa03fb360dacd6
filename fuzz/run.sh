#!/bin/sh
# Builds the fuzz targets with clang and runs each for SECONDS (default 60),
# growing its corpus in build-fuzz/corpus/<target> from the seeds in
# fuzz/corpus/<target>. "fuzz/run.sh --smoke" runs each target a fixed
# number of times from its seeds instead (deterministic, for ./test.sh),
# and leaves the corpora alone.
# The memory limits are far below what a damaged input could ask for when a
# reader trusts its sizes (a 4 MB resource block once asked for 137 GB):
# such an input is reported as a crash, not left to swap the machine.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTOLVEX_FUZZ=ON \
	-DTOLVEX_TESTS=OFF -DTOLVEX_BENCH=OFF >/dev/null
targets=$(cat build-fuzz/fuzz/targets.txt)
cmake --build build-fuzz -j2 --target $targets
limits="-rss_limit_mb=256 -malloc_limit_mb=64"
if [ "$seconds" = --smoke ]; then
	scratch=$(mktemp -d)
	trap 'rm -rf "$scratch"' EXIT
	for target in $targets; do
		mkdir "$scratch/$target"
		echo "fuzz smoke: $target"
		# New inputs go to the scratch folder, not to the seeds.
		build-fuzz/fuzz/$target $limits -seed=1 -runs=2000 \
			-artifact_prefix="$scratch/" "$scratch/$target" \
			"fuzz/corpus/$target" 2>"$scratch/log" \
			|| { cat "$scratch/log"; exit 1; }
	done
	echo "fuzz smoke: every target passed"
	exit 0
fi
for target in $targets; do
	mkdir -p "build-fuzz/corpus/$target"
	build-fuzz/fuzz/$target $limits -max_len=8388608 \
		-max_total_time="$seconds" -artifact_prefix="build-fuzz/$target-" \
		"build-fuzz/corpus/$target" "fuzz/corpus/$target"
done
