#!/bin/sh
# Installs what Tolvex needs, builds it, installs it under PREFIX (default
# ~/.local) and starts it.
set -eu
cd "$(dirname "$0")"

tools/install-packages.sh cmake make g++ shared-mime-info

cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=OFF >/dev/null
cmake --build build-run --target Tolvex -j"$(nproc 2>/dev/null || echo 2)"
prefix=${PREFIX:-$HOME/.local}
tools/install.sh build-run "$prefix"

# Real windows are not there yet: Tolvex runs on the headless display and
# takes its user actions from this terminal, one line each (docs/driving.md).
echo "Tolvex runs headless for now: type actions such as 'dump' or"
echo "'menu ? \"Informazioni su...\"' and 'alert 1'; end with Ctrl-D."
BE_DISPLAY=headless BE_SCRIPT=/dev/stdin exec "$prefix/bin/Tolvex"
