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
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
