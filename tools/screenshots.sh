#!/bin/sh
# Retakes the screenshots of README.md and docs/screenshots/ from an
# installed Tolvex on a real window manager (openbox on a private Xvfb),
# with real input, in a home of /home/utente: a folder that belongs to no
# one's machine, made on a tmpfs over /home in a mount namespace of this
# script's own, so that nothing outside it is touched or shown.
#   tools/screenshots.sh [BUILD_DIR]
# BUILD_DIR (default: build) holds a build with the tests (TOLVEX_TESTS=ON)
# and its e2e_tests built. Needs unshare (util-linux), Xvfb, xdotool and
# openbox.
set -eu
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source/build}" && pwd)
[ -x "$build/tests/e2e_tests" ] || {
	echo "screenshots.sh: build $build/tests/e2e_tests first" >&2
	exit 1
}
for tool in unshare Xvfb xdotool openbox; do
	command -v "$tool" >/dev/null 2>&1 || {
		echo "screenshots.sh: $tool is missing" >&2
		exit 1
	}
done
exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME \
	-u XAUTHORITY -u BE_DISPLAY -u BE_SCRIPT -u BE_SCALE \
	unshare --map-root-user --mount sh -eu -c '
	mount -t tmpfs tmpfs /home
	mkdir /home/utente
	cd /home/utente
	HOME=/home/utente TOLVEX_SCREENSHOTS="$1/docs/screenshots" \
		"$2/tests/e2e_tests" \
		--gtest_filter=DocsScreenshots.TakenFromTheInstalledProgramOnOpenbox
' screenshots "$source" "$build"
