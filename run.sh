#!/bin/sh
# Installs what Tolvex needs, builds it, installs it under PREFIX (default
# ~/.local) and starts it on the user's display.
set -eu
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ libfltk1.3-dev libx11-dev shared-mime-info \
	libmp3lame-dev libsndfile1-dev

# The folder and configuration of ./test.sh's plain build, so that neither
# script rebuilds what the other built. A first configuration here leaves
# the tests and benchmarks out: running Tolvex needs neither GoogleTest nor
# Xvfb. ./test.sh turns them on.
if [ ! -f build/CMakeCache.txt ]; then
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=OFF \
		-DTOLVEX_BENCH=OFF >/dev/null
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build --target Tolvex Gogo CopySettings -j"$jobs"
prefix=${PREFIX:-$HOME/.local}
tools/install.sh build "$prefix"

if [ -z "${DISPLAY:-}" ] && [ "${BE_DISPLAY:-}" != headless ]; then
	cat >&2 <<MESSAGE

Tolvex shows its windows on a graphical session, and DISPLAY is not set.
To try it without one:
  on a virtual X server (Debian packages xvfb and xauth):
    xvfb-run -a -s "-screen 0 1280x1024x24" "$prefix/bin/Tolvex"
  or headless, performing the user actions written in FILE (docs/driving.md):
    BE_DISPLAY=headless BE_SCRIPT=FILE "$prefix/bin/Tolvex"
MESSAGE
	exit 1
fi
exec "$prefix/bin/Tolvex"
