#!/bin/sh
# Installs the Debian packages given that are not installed yet, as root
# or through sudo.
set -eu
missing=""
for package in "$@"; do
	dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
		|| missing="$missing $package"
done
[ -n "$missing" ] || exit 0
sudo=""
if [ "$(id -u)" -ne 0 ]; then
	if ! command -v sudo >/dev/null 2>&1; then
		echo "These packages are needed:$missing" >&2
		echo "Install them as root (apt-get install$missing), or install sudo." >&2
		exit 1
	fi
	sudo=sudo
fi
echo "Installing:$missing"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
