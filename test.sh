#!/bin/sh
# Installs what the build needs, builds Tolvex and runs every test: the
# normal build, then under AddressSanitizer + UndefinedBehaviorSanitizer and
# under ThreadSanitizer. "./test.sh quick" runs the normal build only.
set -eu
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ libgtest-dev shared-mime-info attr util-linux

jobs=$(nproc 2>/dev/null || echo 2)

run_suite() {
	dir=$1
	shift
	cmake -S . -B "$dir" "$@" >/dev/null
	cmake --build "$dir" -j"$jobs"
	ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" != quick ]; then
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVEX_SANITIZE=address,undefined
	TSAN_OPTIONS=halt_on_error=1 \
		run_suite build-tsan -DCMAKE_BUILD_TYPE=Debug -DTOLVEX_SANITIZE=thread
fi
echo "All tests passed."
