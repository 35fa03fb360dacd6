#!/bin/sh
# Files handed over at launch: `Tolvex --refs` with 10,000 WAV files, on the
# headless display, from start to exit (the script holds one `dump`),
# median of N runs (default 5), runs of the three cases alternating:
#
#   typed    every file has its type attribute: nothing is guessed (the
#            reference)
#   plain    no file has one: each is looked at (header) and typed by name
#   bigglob  the same with an 8 MB globs2 in the user's shared MIME
#            database
#
# The figures are plain / typed and bigglob / typed: the cost of telling
# lists from the other files. Targets: plain at most 2.5 times the
# reference, and a big glob file read once, not once a file (bigglob at
# most 6 times; each file reading it made it hundreds of times).
#
#     bench/refs.sh [-n RUNS] [-f FILES] [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
runs=5
files=10000
while [ $# -gt 0 ]; do
	case $1 in
	-n) runs=$2; shift 2 ;;
	-f) files=$2; shift 2 ;;
	*) break ;;
	esac
done
build=${1:-build}
[ -x "$build/Tolvex" ] || { echo "no $build/Tolvex: build first" >&2; exit 1; }
command -v setfattr >/dev/null || { echo "needs setfattr (attr)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
	XDG_DATA_HOME="$work/home/.local/share" BE_DISPLAY=headless
mkdir -p "$HOME" "$work/typed" "$work/plain"
cp "$build/Tolvex" "$work/Tolvex"
echo dump > "$work/script"

i=0
while [ $i -lt "$files" ]; do
	name=$(printf 'traccia-%05d.wav' $i)
	: > "$work/typed/$name"
	: > "$work/plain/$name"
	i=$((i + 1))
done
(cd "$work/typed" && ls | xargs setfattr -n user.mime_type -v audio/x-wav)

now() { date +%s%N; }
# Milliseconds of one run with the files of one folder.
run() {
	start=$(now)
	(cd "$work/$1" && BE_SCRIPT="$work/script" "$work/Tolvex" --refs * \
		> "$work/out" 2>&1) || { echo "run failed: $(tail -3 "$work/out")" >&2; exit 1; }
	end=$(now)
	echo $(( (end - start) / 1000000 ))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Untimed: the first start installs the list type and builds the user's
# shared MIME database, whose globs2 is then replaced by a big one.
run typed > /dev/null
glob=$XDG_DATA_HOME/mime/globs2
cp "$glob" "$work/globs2.small"
awk 'BEGIN { print "# big"; for (i = 0; i < 280000; i++)
	printf "50:application/x-bench-%d:*.ext%d\n", i, i;
	for (i = 0; i < 2000; i++) printf "50:application/x-bench-w%d:*b%d*.dat\n", i, i }' \
	> "$work/globs2.big"
cat "$work/globs2.small" >> "$work/globs2.big"

: > "$work/typed.ms"; : > "$work/plain.ms"; : > "$work/bigglob.ms"
n=0
while [ $n -lt "$runs" ]; do
	cp "$work/globs2.small" "$glob"
	run typed >> "$work/typed.ms"
	run plain >> "$work/plain.ms"
	cp "$work/globs2.big" "$glob"
	run plain >> "$work/bigglob.ms"
	n=$((n + 1))
done
typed=$(median < "$work/typed.ms")
plain=$(median < "$work/plain.ms")
big=$(median < "$work/bigglob.ms")
size=$(wc -c < "$work/globs2.big")
echo "$files files handed over at launch, median of $runs runs (ms):"
echo "  typed (reference)     $typed"
echo "  plain                 $plain   ratio $(awk "BEGIN { printf \"%.2f\", $plain / $typed }")"
echo "  plain, $((size / 1048576)) MB globs2   $big   ratio $(awk "BEGIN { printf \"%.2f\", $big / $typed }")"
