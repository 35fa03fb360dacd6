#!/bin/sh
# Installs a built Tolvex under PREFIX (default ~/.local):
#   PREFIX/lib/tolvex/{Tolvex,leggimi}, PREFIX/bin/Tolvex -> ../lib/tolvex/Tolvex,
#   a desktop entry under PREFIX/share/applications.
#   The encoder: PREFIX/lib/tolvex/Gogo, PREFIX/bin/Gogo -> ../lib/tolvex/Gogo
#   (which the default encoder location reaches) and its manual page.
# The settings are attributes of the installed executable, so an upgrade
# writes the new executable beside the old one, gives it the old one's
# attributes and renames it into place (which also works while it runs).
set -eu

build=${1:?usage: install.sh BUILD_DIR [PREFIX]}
prefix=${2:-${PREFIX:-$HOME/.local}}
source=$(cd "$(dirname "$0")/.." && pwd)

lib="$prefix/lib/tolvex"
mkdir -p "$lib" "$prefix/bin" "$prefix/share/applications"

new="$lib/.Tolvex.new.$$"
trap 'rm -f "$new"' EXIT
cp "$build/Tolvex" "$new"
chmod 755 "$new"
if [ -f "$lib/Tolvex" ]; then
	# Through the program's own attribute code, which also knows the store
	# used where the file system has no attributes; a failure stops the
	# upgrade, leaving the installed program and its settings as they are.
	if ! "$build/tools/CopySettings" "$lib/Tolvex" "$new"; then
		echo "install.sh: the settings could not be carried over;" \
			"Tolvex was not upgraded" >&2
		exit 1
	fi
fi
mv -f "$new" "$lib/Tolvex"
trap - EXIT

cp "$source/docs/leggimi" "$lib/leggimi"
ln -sfn ../lib/tolvex/Tolvex "$prefix/bin/Tolvex"

# Renamed into place like Tolvex, so that a Gogo still encoding keeps its
# executable.
if [ -f "$build/gogo/Gogo" ]; then
	new="$lib/.Gogo.new.$$"
	cp "$build/gogo/Gogo" "$new"
	chmod 755 "$new"
	mv -f "$new" "$lib/Gogo"
	ln -sfn ../lib/tolvex/Gogo "$prefix/bin/Gogo"
	mkdir -p "$prefix/share/man/man1"
	cp "$source/gogo/gogo.1" "$prefix/share/man/man1/gogo.1"
fi

cat > "$prefix/share/applications/tolvex.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Tolvex
Comment=Una semplice interfaccia per Gogo, il codificatore MP3
Exec=$prefix/bin/Tolvex --refs %F
MimeType=text/x-Tolvex-list;
Categories=AudioVideo;Audio;
Terminal=false
ENTRY
echo "Tolvex installed in $lib"
