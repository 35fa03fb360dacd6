#!/bin/sh
# Checks the start-up benchmark's harness, untimed: the figures it prints
# are never judged here, only that it measures what it says it measures.
#   harness-test.sh BENCH EMPTY_WINDOW TOLVEX
set -u
bench=$1
empty=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
tolvex=$3
out=$(mktemp)
stubborn=$(mktemp)
trap 'rm -f "$out" "$stubborn"' EXIT
passed=0
failed=0

# expect NAME STATUS PATTERN -- BENCH ARGUMENTS...
expect() {
	name=$1 status=$2 pattern=$3
	shift 4
	"$bench" "$@" >"$out" 2>&1
	got=$?
	if [ "$got" -eq "$status" ] && grep -Eq -- "$pattern" "$out"; then
		passed=$((passed + 1))
	else
		failed=$((failed + 1))
		echo "FAILED: $name (exit status $got, expected $status and /$pattern/)"
		sed 's/^/    /' "$out"
	fi
}

# The reference measured as the subject: every figure of a and b is there.
expect "window seen" 0 '^   ratio +[0-9]+\.[0-9]+ ' -- \
	--subject "$empty" --title "Empty window" -n 2 -m 1 --only ab
grep -Eq '^   EmptyWindow +[0-9]+\.[0-9] MiB' "$out" \
	&& passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAILED: memory"; cat "$out"; }

# A window with another title is not the one waited for.
expect "other title" 2 'not measured: mapped no window titled "Tolvex 1.2a" within 2 s' -- \
	--subject "$empty" --title "Tolvex 1.2a" --map-timeout 2 -n 1 -m 1 --only a

# A program that ends at once is reported, not waited for.
expect "ended" 2 'not measured: ended \(exit status 1\) before mapping a window' -- \
	--subject /bin/false -n 1 -m 1 --only ab --map-timeout 60

# A program that shows its window but does not quit when asked is reported
# (after the ten seconds it is given), not counted.
printf '#!/bin/sh\ntrap "" TERM\nexec "%s"\n' "$empty" >"$stubborn"
chmod +x "$stubborn"
expect "stays" 2 'not measured: did not quit on SIGTERM' -- \
	--subject "$stubborn" --title "Empty window" -n 1 -m 1 --only a

# Headless runs of the real program print its window for "dump".
expect "headless" 0 '^   Tolvex +[0-9]+\.[0-9] ms +\(min .*2 runs\)' -- \
	--tolvex "$tolvex" -n 2 --only c

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
