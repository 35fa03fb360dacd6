#!/bin/sh
# Installs what the build needs, builds Tolvex and runs every test: the
# normal build, then under AddressSanitizer + UndefinedBehaviorSanitizer and
# under ThreadSanitizer. "./test.sh quick" runs the normal build only.
set -eu
cd "$(dirname "$0")"

packages="cmake make g++ libgtest-dev libbenchmark-dev shared-mime-info attr util-linux"
missing=""
for package in $packages; do
	dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
		|| missing="$missing $package"
done
if [ -n "$missing" ]; then
	sudo=""
	[ "$(id -u)" -eq 0 ] || sudo=sudo
	$sudo apt-get update
	DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

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
