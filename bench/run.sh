#!/bin/sh
# Builds and runs the start-up benchmarks; arguments go to the benchmark
# (bench/README.md), e.g. bench/run.sh -n 40.
set -eu
cd "$(dirname "$0")/.."

tools/install-packages.sh cmake make g++ libfltk1.3-dev libx11-dev xvfb \
	shared-mime-info

# The plain build of ./test.sh and ./run.sh: the figures are those of the
# optimised program, and nothing is built twice.
if [ ! -f build/CMakeCache.txt ]; then
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=OFF \
		-DTOLVEX_BENCH=ON >/dev/null
elif ! grep -q '^TOLVEX_BENCH:BOOL=ON$' build/CMakeCache.txt; then
	cmake -S . -B build -DTOLVEX_BENCH=ON >/dev/null
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build --target tolvex_startup_bench -j"$jobs" >/dev/null
exec build/bench/tolvex_startup_bench "$@"
