#!/bin/sh
# The run's own cost per file: 1,000 entries encoded with an encoder that
# exits at once, through the real run (headless display, script driver),
# side by side with a shell loop that starts the same program 1,000 times
# and with the launch floor: a tiny C program that only starts it 1,000
# times with vfork + execve + waitpid, what any launcher pays for the
# process itself. Tolvex's figure is its run less a run that only fills
# the list, so that start-up and the list are not counted. Prints the
# three, their ratios, Tolvex's cost per file beyond the floor and its
# peak memory.
#
# On a shared machine one run of each is at the mercy of whatever else
# runs: the four runs are made ROUNDS times (5), in turns whose order
# alternates, and the figures are their medians. Each round's figures and
# the processor times (user + system, children included) come first; a
# processor time far below the wall time says the machine was busy.
#
#   bench/encode.sh [BUILD_DIR]     (default: build)
#   ROUNDS=9 bench/encode.sh
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
count=1000
rounds=${ROUNDS:-5}
case $rounds in
	''|*[!0-9]*|0) echo "ROUNDS must be a whole number above 0" >&2; exit 2;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
	XDG_DATA_HOME="$work/home/.local/share" BE_DISPLAY=headless
mkdir -p "$HOME/.local/bin" "$work/music" "$work/prefix/lib/tolvex"
cp "$build/Tolvex" "$work/prefix/lib/tolvex/Tolvex"
# The no-op encoder: a tiny program that exits at once, linked statically.
# /bin/true would load the C library and, with a UTF-8 locale set, a dozen
# locale files: a cost of the program, not of the run, that both sides pay.
encoder_kind=static
${CC:-cc} -O2 -static -o "$HOME/.local/bin/Gogo" bench/NoopEncoder.c \
	2> "$work/cc.err" || {
	encoder_kind="dynamic (no static C library)"
	${CC:-cc} -O2 -o "$HOME/.local/bin/Gogo" bench/NoopEncoder.c
}
${CC:-cc} -O2 -o "$work/LaunchFloor" bench/LaunchFloor.c

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
cat > "$work/loop" <<EOF
i=0
while [ \$i -lt $count ]; do
	"$HOME/.local/bin/Gogo" "$work/music/\$i.wav"
	i=\$((i + 1))
done
EOF

now() { date +%s%N; }

# timed NAME SCRIPT: a run of Tolvex with that script, with "loop" the
# shell loop, with "floor" the launch floor. Wall time in ns to $work/NAME.wall; peak memory in KiB and
# processor seconds to $work/NAME.usage.
timed() {
	start=$(now)
	if [ "$2" = loop ]; then
		/usr/bin/time -f '%M %U %S' -o "$work/$1.usage" sh "$work/loop"
	elif [ "$2" = floor ]; then
		/usr/bin/time -f '%M %U %S' -o "$work/$1.usage" \
			"$work/LaunchFloor" "$HOME/.local/bin/Gogo" "$work/music" $count
	else
		BE_SCRIPT="$work/$2" /usr/bin/time -f '%M %U %S' \
			-o "$work/$1.usage" "$work/prefix/lib/tolvex/Tolvex" \
			> "$work/out" 2> "$work/err"
	fi
	echo $(( $(now) - start )) > "$work/$1.wall"
}

wall() { cat "$work/$1.wall"; }
cpu() { awk '{ printf "%d", ($2 + $3) * 1000 }' "$work/$1.usage"; }

# A first untimed run of each, so that every timed one finds the files and
# the programs in the page cache.
timed fill fill
timed shell loop
timed floor floor

: > "$work/rounds"
peak=0
r=1
while [ $r -le $rounds ]; do
	if [ $((r % 2)) -eq 1 ]; then
		timed fill fill
		timed encode encode
		grep -q "\"File $count di $count\"" "$work/out" || {
			echo "the run did not reach file $count" >&2; exit 1; }
		timed shell loop
		timed floor floor
	else
		timed floor floor
		timed shell loop
		timed encode encode
		grep -q "\"File $count di $count\"" "$work/out" || {
			echo "the run did not reach file $count" >&2; exit 1; }
		timed fill fill
	fi
	memory=$(awk '{ print $1 }' "$work/encode.usage")
	[ "$memory" -gt "$peak" ] && peak=$memory
	echo "$(wall encode) $(wall fill) $(wall shell) $(wall floor)" \
		>> "$work/rounds"
	echo "round $r: Tolvex $(( ($(wall encode) - $(wall fill)) / 1000000 )) ms" \
		"($(( $(wall encode) / 1000000 )) ms in all, processor" \
		"$(cpu encode) ms; start and list $(( $(wall fill) / 1000000 )) ms," \
		"processor $(cpu fill) ms), shell loop" \
		"$(( $(wall shell) / 1000000 )) ms (processor $(cpu shell) ms)," \
		"launch floor $(( $(wall floor) / 1000000 )) ms" \
		"(processor $(cpu floor) ms)"
	r=$((r + 1))
done

# Medians of the rounds: column 1 the whole run, 2 start and list, 3 the
# shell loop, 4 the run less start and list, 5 the launch floor.
median() {
	awk '{ printf "%s %s %s %.0f %s\n", $1, $2, $3, $1 - $2, $4 }' \
		"$work/rounds" \
		| sort -n -k "$1" | awk -v k="$1" -v n="$rounds" \
			'NR == int((n + 1) / 2) { print $k }'
}
encode=$(median 1)
fill=$(median 2)
shell=$(median 3)
tolvex=$(median 4)
floor=$(median 5)

echo "Tolvex: $((tolvex / 1000000)) ms for $count files ($((encode / 1000000)) ms in all, $((fill / 1000000)) ms start and list)"
echo "shell loop: $((shell / 1000000)) ms"
awk -v t=$tolvex -v s=$shell -v n=$count 'BEGIN {
	printf "ratio Tolvex / shell: %.2f; per file beyond the shell: %.3f ms\n",
		t / s, (t - s) / n / 1000000 }'
echo "launch floor: $((floor / 1000000)) ms (vfork + execve + waitpid in C)"
awk -v t=$tolvex -v s=$shell -v f=$floor -v n=$count 'BEGIN {
	printf "ratio floor / shell: %.2f\n", f / s
	printf "ratio Tolvex / floor: %.2f; per file beyond the floor: %.3f ms\n",
		t / f, (t - f) / n / 1000000 }'
echo "Tolvex peak memory: $peak KiB"
echo "(medians of $rounds rounds; peak memory the highest of them)"
echo "(encoder: bench/NoopEncoder.c, $encoder_kind)"
