#!/bin/sh
# Checks that the application is still a BeOS program: every source of
# app/, mainwindow/, files/, encoder/ and options/ must pass a syntax check
# against Haiku's public headers (../shared/haiku-headers beside the
# repository, or HAIKU_HEADERS). Exits 77, saying why, where clang or the
# headers are missing. Errors reported inside the C++ library's own
# headers come from pairing it with Haiku's C headers and are not counted.
set -u
cd "$(dirname "$0")/.."
headers=${HAIKU_HEADERS:-../shared/haiku-headers}
clang=${CLANGXX:-clang++}

if ! command -v "$clang" >/dev/null 2>&1; then
	echo "skipped: no $clang to check the sources against Haiku's headers"
	exit 77
fi
if [ ! -d "$headers/os" ]; then
	echo "skipped: no Haiku headers at $headers"
	exit 77
fi
headers=$(cd "$headers" && pwd)

# The C++ library's folders, as clang finds them for this machine; they
# come before Haiku's C headers, as a C++ library's always do.
cxx_dirs=$(echo | "$clang" -x c++ -E -v - 2>&1 >/dev/null \
	| sed -n '/search starts here/,/End of search list/p' \
	| grep -E '/c\+\+/' | sed 's/^ *//')
if [ -z "$cxx_dirs" ]; then
	echo "skipped: $clang shows no C++ library folders"
	exit 77
fi
resource=$("$clang" -print-resource-dir)/include

set --
for dir in $cxx_dirs; do
	set -- "$@" -isystem "$dir"
done
for dir in "" os os/app os/interface os/storage os/support os/kernel posix; do
	set -- "$@" -isystem "$headers/$dir"
done
set -- "$@" -isystem "$resource"
for dir in app mainwindow files encoder options; do
	set -- "$@" -iquote "$dir"
done

failed=0
checked=0
for source in app/*.cpp mainwindow/*.cpp files/*.cpp encoder/*.cpp \
		options/*.cpp; do
	[ -f "$source" ] || continue
	checked=$((checked + 1))
	out=$("$clang" -target x86_64-unknown-haiku -std=c++17 -fsyntax-only \
		-nostdinc '-D__GLIBC_PREREQ(a,b)=0' -D__locale_t=locale_t "$@" \
		"$source" 2>&1)
	errors=$(printf '%s\n' "$out" | grep -E '(error|fatal error):' \
		| grep -v -F "$(printf '%s\n' $cxx_dirs)")
	if [ -n "$errors" ]; then
		echo "$source:"
		printf '%s\n' "$errors"
		failed=$((failed + 1))
	fi
done
if [ "$checked" -eq 0 ]; then
	echo "no application source found"
	exit 1
fi
echo "$checked sources checked against $headers, $failed failed"
[ "$failed" -eq 0 ]
