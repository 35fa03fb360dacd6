#!/bin/sh
# Installs what Tolvex needs, builds it, installs it under PREFIX (default
# ~/.local) and starts it on the user's display.
set -eu
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ libfltk1.3-dev libx11-dev shared-mime-info \
	fonts-liberation \
	libmp3lame-dev libsndfile1-dev libsystemd-dev pkg-config

# The folder and configuration of ./test.sh's plain build, so that neither
# script rebuilds what the other built. A first configuration here leaves
# the tests and benchmarks out: running Tolvex needs neither GoogleTest nor
# Xvfb. ./test.sh turns them on.
if [ ! -f build/CMakeCache.txt ]; then
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=OFF \
		-DTOLVEX_BENCH=OFF >/dev/null
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build --target TolvexInstall -j"$jobs"
prefix=${PREFIX:-$HOME/.local}
tools/install.sh build "$prefix"

if [ -z "${DISPLAY:-}" ] && [ "${BE_DISPLAY:-}" != headless ]; then
	cat >&2 <<MESSAGE

Tolvex mostra le sue finestre in una sessione grafica, e DISPLAY non è
impostata. Per provarlo senza:
  su un server X virtuale (pacchetti Debian xvfb e xauth):
    xvfb-run -a -s "-screen 0 1280x1024x24" "$prefix/bin/Tolvex"
  oppure senza finestre, eseguendo le azioni scritte in FILE
  (vedi $prefix/share/doc/tolvex/driving.md):
    BE_DISPLAY=headless BE_SCRIPT=FILE "$prefix/bin/Tolvex"
Il manuale: $prefix/share/doc/tolvex/leggimi.html
MESSAGE
	exit 1
fi
exec "$prefix/bin/Tolvex"
