#!/bin/sh
# Installs what Tolvex needs, builds it, installs it under PREFIX (default
# ~/.local) and starts it.
set -eu
cd "$(dirname "$0")"

packages="cmake make g++ libgtest-dev shared-mime-info"
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

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)"
prefix=${PREFIX:-$HOME/.local}
tools/install.sh build "$prefix"

# Real windows are not there yet: Tolvex runs on the headless display and
# takes its user actions from this terminal, one line each (docs/driving.md).
echo "Tolvex runs headless for now: type actions such as 'dump' or"
echo "'menu ? \"Informazioni su...\"' and 'alert 1'; end with Ctrl-D."
BE_DISPLAY=headless BE_SCRIPT=/dev/stdin exec "$prefix/bin/Tolvex"
