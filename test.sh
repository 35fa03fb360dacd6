#!/bin/sh
# Installs what the build needs, builds Tolvex and runs every test: the
# normal build, then under AddressSanitizer + UndefinedBehaviorSanitizer and
# under ThreadSanitizer, then a short run of every fuzz target (clang), and
# last the Debian packages: built, checked and run as two ordinary users
# (tests/package/check.sh). "./test.sh quick" runs the normal build only.
set -eu
cd "$(dirname "$0")"

# Real-window tests and the benchmark harness run on Xvfb; xdotool and
# x11-utils (xwininfo, xprop) look at and act on its windows, and the
# keyboard walk runs under a window manager (openbox). Gogo builds on
# libmp3lame and libsndfile; its tests compare its MP3s with lame's (decoded
# with libmpg123), and with those of the GNU parallel recipe in
# docs/beyond-one-machine.md.
tools/install-packages.sh cmake make g++ libgtest-dev libfltk1.3-dev \
	libx11-dev shared-mime-info attr util-linux xvfb xauth xdotool x11-utils \
	openbox fonts-liberation \
	libmp3lame-dev libsndfile1-dev lame libmpg123-dev mpg123 parallel \
	xdg-utils desktop-file-utils libfile-mimeinfo-perl clang libclang-rt-dev
# The accessibility bridge speaks D-Bus through sd-bus; its tests read the
# tree as a screen reader does, on a private bus with at-spi2-core's.
tools/install-packages.sh libsystemd-dev pkg-config dbus at-spi2-core python3-pyatspi
if [ "${1:-}" != quick ]; then
	# The package check's tools only: it installs no package it builds.
	tools/install-packages.sh dpkg-dev debhelper lintian \
		appstream binutils git
fi

jobs=$(nproc 2>/dev/null || echo 2)

run_suite() {
	dir=$1
	shift
	cmake -S . -B "$dir" "$@" >/dev/null
	cmake --build "$dir" -j"$jobs"
	ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

# "build" is also ./run.sh's, which may have configured it without tests.
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=ON \
	-DTOLVEX_BENCH=ON
if [ "${1:-}" != quick ]; then
	# Benchmarks are timed on the optimised build only.
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		run_suite build-asan -DCMAKE_BUILD_TYPE=Debug \
		-DTOLVEX_SANITIZE=address,undefined -DTOLVEX_BENCH=OFF
	TSAN_OPTIONS=halt_on_error=1 \
		run_suite build-tsan -DCMAKE_BUILD_TYPE=Debug \
		-DTOLVEX_SANITIZE=thread -DTOLVEX_BENCH=OFF
	# Every fuzz target a fixed number of runs from its seeds; long runs
	# are fuzz/run.sh SECONDS.
	fuzz/run.sh --smoke
	tests/package/check.sh
fi
echo "All tests passed."
