#!/bin/sh
# Builds Gogo and its speed benchmark and runs it; arguments go to the
# benchmark (bench/README.md), e.g. bench/gogo.sh -n 11.
set -eu
cd "$(dirname "$0")/.."

tools/install-packages.sh cmake make g++ libmp3lame-dev libsndfile1-dev lame \
	libfltk1.3-dev libx11-dev

# The plain, optimised build of ./test.sh and ./run.sh.
if [ ! -f build/CMakeCache.txt ]; then
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=OFF \
		-DTOLVEX_BENCH=ON >/dev/null
elif ! grep -q '^TOLVEX_BENCH:BOOL=ON$' build/CMakeCache.txt; then
	cmake -S . -B build -DTOLVEX_BENCH=ON >/dev/null
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build --target gogo_speed_bench -j"$jobs" >/dev/null
exec build/bench/gogo_speed_bench "$@"
