#!/bin/sh
# The run's own cost per file: 1,000 entries encoded with an encoder that
# exits at once, through the real run (headless display, script driver),
# side by side with a shell loop that starts the same program 1,000 times.
# Tolvex's figure is its run less a run that only fills the list, so that
# start-up and the list are not counted. Prints both, their ratio and
# Tolvex's peak memory.
#
#   bench/encode.sh [BUILD_DIR]     (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
count=1000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
	XDG_DATA_HOME="$work/home/.local/share" BE_DISPLAY=headless
mkdir -p "$HOME/.local/bin" "$work/music" "$work/prefix/lib/tolvex"
cp "$build/Tolvex" "$work/prefix/lib/tolvex/Tolvex"
# The no-op encoder: the smallest program there is at hand.
cp /bin/true "$HOME/.local/bin/Gogo"

paths=""
i=0
while [ $i -lt $count ]; do
	: > "$work/music/$i.wav"
	paths="$paths $work/music/$i.wav"
	i=$((i + 1))
done
printf 'drop FilesList%s\n' "$paths" > "$work/fill"
printf 'drop FilesList%s\nclick EncodeButton\nwait-hidden "Stato della codifica" 600\ndump\n' \
	"$paths" > "$work/encode"

now() { date +%s%N; }

run() {
	BE_SCRIPT="$1" /usr/bin/time -f %M -o "$work/peak" \
		"$work/prefix/lib/tolvex/Tolvex" > "$work/out" 2> "$work/err"
}

start=$(now); run "$work/fill"; fill=$(( $(now) - start ))
start=$(now); run "$work/encode"; encode=$(( $(now) - start ))
peak=$(cat "$work/peak")
grep -q "\"File $count di $count\"" "$work/out" || {
	echo "the run did not reach file $count" >&2; exit 1; }

start=$(now)
i=0
while [ $i -lt $count ]; do
	"$HOME/.local/bin/Gogo" "$work/music/$i.wav"
	i=$((i + 1))
done
shell=$(( $(now) - start ))

tolvex=$((encode - fill))
echo "Tolvex: $((tolvex / 1000000)) ms for $count files ($((encode / 1000000)) ms in all, $((fill / 1000000)) ms start and list)"
echo "shell loop: $((shell / 1000000)) ms"
awk -v t=$tolvex -v s=$shell -v n=$count 'BEGIN {
	printf "ratio Tolvex / shell: %.2f; per file beyond the shell: %.3f ms\n",
		t / s, (t - s) / n / 1000000 }'
echo "Tolvex peak memory: $peak KiB"
