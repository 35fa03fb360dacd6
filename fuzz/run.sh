#!/bin/sh
# Builds the fuzz targets with clang and runs each for SECONDS (default 60).
# The memory limits are far below what a damaged input could ask for when a
# reader trusts its sizes (a 4 MB resource block once asked for 137 GB):
# such an input is reported as a crash, not left to swap the machine.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTOLVEX_FUZZ=ON \
	-DTOLVEX_TESTS=OFF -DTOLVEX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target MessageFuzzer ResourceFuzzer
for target in MessageFuzzer ResourceFuzzer; do
	build-fuzz/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=256 \
		-malloc_limit_mb=64 -max_len=8388608
done
