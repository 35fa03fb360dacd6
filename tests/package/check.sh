#!/bin/sh
# Builds the Debian packages from a copy of the sources, as a user would
# from a clean checkout (dpkg-buildpackage -us -uc -b), and checks them:
# lintian and appstreamcli without error or warning, the files and their
# modes as tests/package/*.contents list them, the dependencies, the
# resources of the stripped executable, and the unpacked packages run as
# if installed (their /usr laid over the system's in a private mount
# namespace): the command line without a display; root and ordinary users
# each keeping their own settings, never on the package's file; the
# administrator's starting values (root's, copied under a test
# XDG_CONFIG_DIRS) where a new user starts; all of it kept across a
# reinstall; a headless run's output the driver's lines alone while the
# packaged Gogo encodes a WAV file; no user's start writing a MIME
# database of their own while the system has the list type.
# Nothing is installed into the running system; everything happens in a
# temporary folder, removed at the end (KEEP=1 keeps it).
#
#	tests/package/check.sh
set -eu

source=$(cd "$(dirname "$0")/../.." && pwd)
expected="$source/tests/package"
version=1.2a-1
arch=$(dpkg --print-architecture)
jobs=$(nproc 2>/dev/null || echo 2)

work=$(mktemp -d /tmp/tolvex-package-XXXXXX)
if [ "${KEEP:-}" != 1 ]; then
	trap 'rm -rf "$work"' EXIT
fi
failures=0

fail() {
	echo "package check: $*" >&2
	failures=$((failures + 1))
}

# The sources as a clean checkout has them: what git knows, and new files
# it does not ignore; never the developer's build folders.
mkdir "$work/src"
git -C "$source" ls-files -z --cached --others --exclude-standard \
	| (cd "$source" && xargs -0 sh -c \
		'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh) \
	| tar -C "$source" --null -T - -cf - | tar -C "$work/src" -xf -

echo "Building the packages..."
started=$(date +%s)
if ! (cd "$work/src" && DEB_BUILD_OPTIONS="parallel=$jobs" \
		dpkg-buildpackage -us -uc -b > "$work/build.log" 2>&1); then
	tail -n 40 "$work/build.log" >&2
	echo "package check: dpkg-buildpackage failed" >&2
	exit 1
fi
echo "Built in $(($(date +%s) - started)) s."
tolvex_deb="$work/tolvex_${version}_$arch.deb"
gogo_deb="$work/gogo_${version}_$arch.deb"

# lintian: no error and no warning (overrides carry their reasons).
if ! lintian --fail-on error,warning --tag-display-limit 0 \
		"$work/tolvex_${version}_$arch.changes" > "$work/lintian.txt" 2>&1; then
	cat "$work/lintian.txt" >&2
	fail "lintian reports errors or warnings"
fi

# The files, their modes and owners, and link targets.
for package in tolvex gogo; do
	dpkg-deb -c "$work/${package}_${version}_$arch.deb" \
		| awk '{ line = $1 " " $2; for (i = 6; i <= NF; i++) line = line " " $i;
			print line }' | LC_ALL=C sort > "$work/$package.contents"
	if ! diff -u "$expected/$package.contents" "$work/$package.contents" >&2
	then
		fail "$package: its files differ from $package.contents (above)"
	fi
done

# The encoder alone needs no display library; the application needs it.
gogo_depends=$(dpkg-deb -f "$gogo_deb" Depends)
case $gogo_depends in
*fltk*|*libx11*|*libX*) fail "gogo depends on a display library: $gogo_depends" ;;
esac
case $gogo_depends in
*libmp3lame0*) ;;
*) fail "gogo does not depend on libmp3lame0: $gogo_depends" ;;
esac
tolvex_depends=$(dpkg-deb -f "$tolvex_deb" Depends)
for needed in "gogo (= $version)" libfltk1.3 fonts-liberation; do
	case $tolvex_depends in
	*"$needed"*) ;;
	*) fail "tolvex does not depend on $needed: $tolvex_depends" ;;
	esac
done

root="$work/root"
mkdir "$root"
dpkg-deb -x "$tolvex_deb" "$root"
dpkg-deb -x "$gogo_deb" "$root"
# As a package manager leaves them: root's, not the users'.
chown -R 0:0 "$root"
chmod 755 "$work"
tolvex="$root/usr/lib/tolvex/Tolvex"

if ! appstreamcli validate --no-net \
		"$root/usr/share/metainfo/org.example.Tolvex.metainfo.xml" \
		> "$work/appstream.txt" 2>&1; then
	cat "$work/appstream.txt" >&2
	fail "appstreamcli finds the metadata invalid"
fi
if command -v desktop-file-validate > /dev/null 2>&1; then
	entry="$root/usr/share/applications/org.example.Tolvex.desktop"
	if [ -n "$(desktop-file-validate "$entry" 2>&1)" ]; then
		desktop-file-validate "$entry" >&2 || true
		fail "desktop-file-validate finds the entry invalid"
	fi
fi

# Stripped, yet with its resources: the icons drawn from the packaged
# executable are those the install made from the unstripped one.
if readelf -S "$tolvex" | grep -q -e '\.symtab' -e '\.debug_info'; then
	fail "the packaged Tolvex is not stripped"
fi
icons="$work/src/debian/build/tools/IconPng"
"$icons" "$tolvex" "16:$work/icon16.png" "32:$work/icon32.png"
for side in 16 32; do
	if ! cmp -s "$work/icon$side.png" \
			"$root/usr/share/icons/hicolor/${side}x$side/apps/tolvex.png"; then
		fail "the packaged Tolvex's $side-pixel icon is not the one drawn"
	fi
done

# A WAV file of one second of silence: 8000 Hz, 16 bits, mono.
make_wav() {
	{
		printf 'RIFF\244\076\000\000WAVEfmt \020\000\000\000\001\000\001\000'
		printf '\100\037\000\000\200\076\000\000\002\000\020\000data'
		printf '\200\076\000\000'
		head -c 16000 /dev/zero
	} > "$1"
}

# Installed, as far as Tolvex can tell: the packages' /usr laid over the
# system's in a private mount namespace, so the programs run from
# /usr/lib/tolvex and /usr/bin, and find the list type in /usr/share/mime,
# without anything being installed into the running system.
overlay=0
if unshare -m sh -c 'mount -t overlay tolvex -o "lowerdir=$0/usr:/usr" /usr' \
		"$root" 2> /dev/null; then
	overlay=1
	tolvex=/usr/lib/tolvex/Tolvex
else
	echo "package check: no private mount namespace here; the packaged" \
		"files run from $root, and root's own settings are not checked" >&2
fi
in_tree() {
	if [ "$overlay" = 1 ]; then
		unshare -m sh -c 'mount -t overlay tolvex -o "lowerdir=$0/usr:/usr" \
			/usr && exec "$@"' "$root" "$@"
	else
		"$@"
	fi
}

# The administrator's starting values live here, as in /etc/xdg.
xdg="$work/xdg"
mkdir -p "$xdg"

# Users who need no entry in the password file; uid 0 is root. The
# environment of each run may be added to with name=value words.
run_as() {
	uid=$1
	shift
	home="$work/home-$uid"
	script="$work/script-$uid.txt"
	cat > "$script"
	chmod 644 "$script"
	in_tree setpriv --reuid="$uid" --regid="$uid" --clear-groups \
		env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_DIRS="$xdg" \
		BE_DISPLAY=headless BE_SCRIPT="$script" "$@" "$tolvex" \
		> "$work/out-$uid.txt" 2> "$work/err-$uid.txt" || {
			cat "$work/err-$uid.txt" >&2
			fail "Tolvex failed for user $uid"
		}
	cat "$work/out-$uid.txt"
}

# The options panel in one line: the location, then the three switches.
shown_settings() {
	awk '/BTextControl "EncoderLocation"/ { getline;
			sub(/.*text="/, ""); sub(/".*/, ""); location = $0 }
		/BCheckBox "(DontCloseOnAdd|DontClearOnOpen|SelfRegisterMIMEType)"/ {
			match($0, / value=[01]/);
			values = values "|" substr($0, RSTART + 7, 1) }
		END { print location values }'
}

expect() {
	if [ "$2" != "$3" ]; then
		fail "$1: expected \"$2\", got \"$3\""
	fi
}

show_options='tab "Opzioni del programma"
dump'
settings_of() {
	run_as "$1" <<SCRIPT | shown_settings
$show_options
SCRIPT
}
for uid in 0 61011 61012 61013 61014; do
	mkdir -p "$work/home-$uid"
	chown "$uid:$uid" "$work/home-$uid"
	chmod 700 "$work/home-$uid"
done
wav="$work/home-61011/prova.wav"
make_wav "$wav"
chown 61011:61011 "$wav"

# The command line needs no display: help, the version, a wrong option;
# without a display, the message names the manual and the installed guide.
command_line() {
	in_tree setpriv --reuid=61013 --regid=61013 --clear-groups \
		env -i PATH=/usr/bin:/bin HOME="$work/home-61013" \
		"$(dirname "$(dirname "$(dirname "$tolvex")")")/bin/Tolvex" "$@"
}
help=$(command_line --help 2> "$work/help-err.txt") \
	|| fail "Tolvex --help did not end with status 0"
case $help in
"Uso: Tolvex [--refs FILE..."*BE_DISPLAY*BE_SCRIPT*BE_SCALE*"man Tolvex"*) ;;
*) fail "Tolvex --help says: $help" ;;
esac
expect "Tolvex --version" "Tolvex 1.2a" "$(command_line --version)"
status=0
command_line --bogus > /dev/null 2> "$work/bogus.txt" || status=$?
expect "Tolvex --bogus's status" 2 "$status"
expect "Tolvex --bogus's message" 'Tolvex: opzione sconosciuta "--bogus".' \
	"$(head -n 1 "$work/bogus.txt")"
status=0
command_line > /dev/null 2> "$work/no-display.txt" || status=$?
expect "Tolvex without a display: status" 1 "$status"
guide=$(dirname "$(dirname "$(dirname "$tolvex")")")/share/doc/tolvex/driving.md
grep -q "vedi $guide)" "$work/no-display.txt" \
	|| fail "without a display, Tolvex does not name $guide: $(cat "$work/no-display.txt")"
expect "the last line without a display" "Il manuale: man Tolvex" \
	"$(tail -n 1 "$work/no-display.txt")"
[ -f "$root/usr/share/doc/tolvex/driving.md" ] \
	|| fail "the driving guide is not installed uncompressed"

# Root, like any user of the packaged Tolvex, keeps its settings in its
# own store: never on the package's file, where the next upgrade would
# erase them and every user would start from them.
root_store="$work/home-0/.config/beos_app_attributes$tolvex"
if [ "$overlay" = 1 ]; then
	run_as 0 > /dev/null <<SCRIPT
$show_options
type EncoderLocation "/usr/bin/Gogo"
click DontClearOnOpen
menu Lista Esci
SCRIPT
	expect "root's settings at its next start" "/usr/bin/Gogo|0|1|1" \
		"$(settings_of 0)"
	expect "root's stored location" '"CSTR/usr/bin/Gogo"' \
		"$(getfattr --absolute-names --only-values -n user.encoder_location \
			"$root_store" 2>/dev/null | tr -d '\000' | sed 's/.*/"&"/')"
	expect "attributes on the packaged Tolvex after root's start" "" \
		"$(getfattr --absolute-names -d "$root/usr/lib/tolvex/Tolvex" 2>/dev/null)"

	# The administrator makes them the machine's starting values as
	# docs/storage.md says: root's file, copied with its attributes.
	install -d -m 755 "$xdg/beos_app_attributes$(dirname "$tolvex")"
	cp --preserve=xattr "$root_store" "$xdg/beos_app_attributes$tolvex"
	chmod 644 "$xdg/beos_app_attributes$tolvex"
	machine="/usr/bin/Gogo|0|1|1"
else
	machine="/boot/home/config/bin/Gogo|0|0|1"
fi

# The first user: a fresh start shows the machine's values and encodes
# with them; the output of that headless run is the driver's lines alone
# (no progress of Gogo's among them). Then the four settings, changed and
# kept.
run_as 61011 > "$work/first.txt" <<SCRIPT
refs $wav
click EncodeButton
wait-hidden "Stato della codifica" 60
menu ? "Informazioni su..."
alert 1
SCRIPT
if [ "$(wc -l < "$work/first.txt")" -ne 1 ] \
	|| ! grep -q '^alert AboutDialog: Tolvex 1.2a (Italiano)' "$work/first.txt"
then
	fail "a headless run's output is not the driver's one line: $(od -c "$work/first.txt" | head -n 5)"
fi
if [ "$(head -c 3 "$work/home-61011/prova.mp3" 2>/dev/null | od -An -c \
		| tr -d ' ')" != "ID3" ] \
	&& [ "$(head -c 1 "$work/home-61011/prova.mp3" 2>/dev/null | od -An -tx1 \
		| tr -d ' ')" != "ff" ]; then
	cat "$work/first.txt" >&2
	fail "the packaged Gogo did not encode prova.wav"
fi
expect "first user's first start" "$machine" "$(settings_of 61011)"
run_as 61011 > /dev/null <<SCRIPT
$show_options
type EncoderLocation "/home/primo/bin/Gogo"
click DontCloseOnAdd
click DontClearOnOpen
click SelfRegisterMIMEType
menu Lista Esci
SCRIPT
first_expected="/home/primo/bin/Gogo|1|$(echo "$machine" \
	| awk -F'|' '{ print 1 - $3 }')|0"
expect "first user's settings at the next start" "$first_expected" \
	"$(settings_of 61011)"

# The second user starts from the machine's values, and keeps their own.
expect "second user's first start" "$machine" \
	"$(run_as 61012 <<SCRIPT | shown_settings
$show_options
click DontCloseOnAdd
SCRIPT
)"
second_expected=$(echo "$machine" | awk -F'|' '{ print $1 "|1|" $3 "|" $4 }')
run_as 61012 > "$work/second.txt" <<SCRIPT
$show_options
menu ? "Informazioni su..."
alert 1
SCRIPT
expect "second user's next start" "$second_expected" \
	"$(shown_settings < "$work/second.txt")"
# The About box names the manual the package installed.
about=$(grep '^alert AboutDialog: ' "$work/second.txt" || true)
manual=$(dirname "$(dirname "$(dirname "$tolvex")")")/share/doc/tolvex/leggimi.html
case $about in
"alert AboutDialog: Tolvex 1.2a (Italiano)\n"*"\nWeb: : file://$manual\n"*)
	[ -f "$root/usr/share/doc/tolvex/leggimi.html" ] \
		|| fail "the About box's manual is not in the package" ;;
*) fail "the About box says: $about" ;;
esac

# A reinstall (the packages unpacked again over the tree, as dpkg puts new
# files in place) keeps root's, each user's and the machine's values; a
# new user starts from the machine's.
dpkg-deb -x "$tolvex_deb" "$root"
dpkg-deb -x "$gogo_deb" "$root"
chown -R 0:0 "$root"
if [ "$overlay" = 1 ]; then
	expect "root's settings after a reinstall" "/usr/bin/Gogo|0|1|1" \
		"$(settings_of 0)"
fi
expect "first user's settings after a reinstall" "$first_expected" \
	"$(settings_of 61011)"
expect "second user's settings after a reinstall" "$second_expected" \
	"$(settings_of 61012)"
expect "a new user's first start after a reinstall" "$machine" \
	"$(settings_of 61013)"

# The executable carries nothing of anyone's; each store is its user's.
expect "attributes on the packaged Tolvex" "" \
	"$(getfattr --absolute-names -d "$root/usr/lib/tolvex/Tolvex" 2>/dev/null)"
store="$work/home-61011/.config/beos_app_attributes$tolvex"
expect "the first user's stored location" '"CSTR/home/primo/bin/Gogo"' \
	"$(getfattr --absolute-names --only-values -n user.encoder_location \
		"$store" 2>/dev/null | tr -d '\000' | sed 's/.*/"&"/')"
expect "the owner of the first user's store" "61011 600" \
	"$(stat -c '%u %a' "$store" 2>/dev/null)"

# The package installed the list type for the whole machine: no user's
# start, with self-registration on, wrote a MIME database of their own.
if [ "$overlay" = 1 ]; then
	for uid in 0 61011 61012 61013; do
		for folder in mime beos_mime; do
			[ ! -e "$work/home-$uid/.local/share/$folder" ] \
				|| fail "user $uid's start wrote ~/.local/share/$folder"
		done
	done
fi

# Where no database the desktop reads has the type, self-registration
# installs it for the user, with the icons of the packaged executable, not
# blank ones.
run_as 61014 XDG_DATA_DIRS="$work/no-share" > /dev/null <<SCRIPT
$show_options
SCRIPT
icon=$(getfattr --absolute-names --only-values -n user.META:L:ICON \
	"$work/home-61014/.local/share/beos_mime/text/x-tolvex-list" 2>/dev/null \
	| od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
case $icon in
"49 43 4f 4e"*) ;;
*) fail "the list type has no large icon: $(printf '%s' "$icon" | head -c 40)" ;;
esac
if [ -z "$(printf '%s' "$icon" | tr ' ' '\n' | sed 1,4d | grep -v '^ff$')" ]
then
	fail "the list type's large icon is blank"
fi

if [ "$failures" -ne 0 ]; then
	echo "package check: $failures failures" >&2
	exit 1
fi
echo "Package check passed: tolvex_${version}_$arch.deb and" \
	"gogo_${version}_$arch.deb."
