#!/bin/sh
# Installs a built Tolvex under PREFIX (default ~/.local); `cmake --install`
# and ./run.sh both come here, so they lay out the same files:
#   PREFIX/lib/tolvex/{Tolvex,Gogo,leggimi,LICENSE}, with PREFIX/bin/Tolvex
#   and PREFIX/bin/Gogo linking to them; the manual pages gogo.1 and
#   Tolvex.1; the manual PREFIX/share/doc/tolvex/leggimi.html (made from
#   leggimi, opened by the About box) with driving.md; the desktop entry and
#   the AppStream metadata, both named by the id org.example.Tolvex; the
#   icons (from the executable's resources) in the hicolor theme, for the
#   program and the list type; and the list type in the desktop's shared
#   MIME database. debian/rules builds its packages from the same layout.
# DESTDIR, as packagers use it, is put before every path written, never
# into what the files say.
# The settings are attributes of the installed executable, so an upgrade
# writes the new executable beside the old one, gives it the old one's
# attributes and renames it into place (which also works while it runs).
set -eu

build=${1:?usage: install.sh BUILD_DIR [PREFIX]}
prefix=${2:-${PREFIX:-$HOME/.local}}
source=$(cd "$(dirname "$0")/.." && pwd)
destdir=${DESTDIR:-}

case $prefix in
/*) ;;
*) echo "install.sh: PREFIX must be an absolute path: $prefix" >&2; exit 1 ;;
esac
case $prefix in
*"
"*) echo "install.sh: PREFIX may not hold a line end" >&2; exit 1 ;;
esac

root="$destdir$prefix"
lib="$root/lib/tolvex"
share="$root/share"
mkdir -p "$lib" "$root/bin" "$share/applications" "$share/doc/tolvex" \
	"$share/man/man1" "$share/metainfo"

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
cp "$source/LICENSE" "$lib/LICENSE"
ln -sfn ../lib/tolvex/Tolvex "$root/bin/Tolvex"

# Renamed into place like Tolvex, so that a Gogo still encoding keeps its
# executable.
if [ -f "$build/gogo/Gogo" ]; then
	new="$lib/.Gogo.new.$$"
	cp "$build/gogo/Gogo" "$new"
	chmod 755 "$new"
	mv -f "$new" "$lib/Gogo"
	ln -sfn ../lib/tolvex/Gogo "$root/bin/Gogo"
	cp "$source/gogo/gogo.1" "$share/man/man1/gogo.1"
fi
cp "$source/docs/Tolvex.1" "$share/man/man1/Tolvex.1"

# The manual the About box opens: the read-me as a web page.
{
	cat <<'HEAD'
<!DOCTYPE html>
<html lang="it">
<head>
<meta charset="utf-8">
<title>Tolvex - leggimi</title>
</head>
<body>
<pre>
HEAD
	sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' \
		"$source/docs/leggimi"
	printf '</pre>\n</body>\n</html>\n'
} > "$share/doc/tolvex/leggimi.html"
cp "$source/docs/driving.md" "$share/doc/tolvex/driving.md"

# The icons, from the executable's own resources: 16 and 32 pixels as
# drawn, the larger sizes made of whole pixels of them, never blurred.
if [ -x "$build/tools/IconPng" ]; then
	# One word a size, the prefix's blanks kept.
	set --
	for side in 16 32 48 64 128; do
		for kind in apps mimetypes; do
			mkdir -p "$share/icons/hicolor/${side}x$side/$kind"
		done
		set -- "$@" "$side:$share/icons/hicolor/${side}x$side/apps/tolvex.png"
	done
	"$build/tools/IconPng" "$lib/Tolvex" "$@"
	for side in 16 32 48 64 128; do
		cp "$share/icons/hicolor/${side}x$side/apps/tolvex.png" \
			"$share/icons/hicolor/${side}x$side/mimetypes/text-x-tolvex-list.png"
	done
fi

# The list type as the program itself publishes it (same file, same
# content), so that a fresh install opens .tvx files before Tolvex first
# runs, and "Cancella tipo MIME ora" removes it again.
mkdir -p "$share/mime/packages"
cat > "$share/mime/packages/beos-text@x-tolvex-list.xml" <<'TYPE'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
	<mime-type type="text/x-tolvex-list">
		<comment>Tolvex list</comment>
		<glob pattern="*.tvx"/>
	</mime-type>
</mime-info>
TYPE

# A path with a blank or another reserved character goes between double
# quotes in Exec, with " ` $ \ escaped, and the entry's own string rules
# double every backslash again; % stands as %%. A plain path stays as it is,
# which every launcher reads (xdg-open's generic mode takes no quotes).
exec_path=$(printf '%s' "$prefix/bin/Tolvex" | sed -e 's/%/%%/g')
case $prefix in
*[[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]*)
	exec_path=\"$(printf '%s' "$exec_path" \
		| sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g')\" ;;
esac
# Named by the application's id, as the AppStream metadata names it; the
# entry of an older install, named after the program, goes.
app_id=org.example.Tolvex
rm -f "$share/applications/tolvex.desktop"
cp "$source/resources/$app_id.metainfo.xml" \
	"$share/metainfo/$app_id.metainfo.xml"
# The type as the shared MIME database names it (lower case).
cat > "$share/applications/$app_id.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Tolvex
Comment=Una semplice interfaccia per Gogo, il codificatore MP3
Exec=$exec_path --refs %F
Icon=tolvex
StartupWMClass=Tolvex
MimeType=text/x-tolvex-list;audio/x-wav;audio/wav;
Categories=AudioVideo;Audio;
Keywords=MP3;WAV;encoder;codifica;Gogo;
Terminal=false
ENTRY

# The desktop's caches, where their tools are present; a packager's DESTDIR
# is not the live system, whose own hooks run them.
if [ -z "$destdir" ]; then
	if command -v update-mime-database >/dev/null 2>&1; then
		update-mime-database "$share/mime" >/dev/null 2>&1 || true
	fi
	if command -v update-desktop-database >/dev/null 2>&1; then
		update-desktop-database "$share/applications" >/dev/null 2>&1 \
			|| true
	fi
fi
echo "Tolvex installed in $lib"
