#!/bin/sh
# Test strength: puts one small deliberate fault (a mutant) at a time into
# the sources, builds, runs the tests and counts the mutants the tests
# catch. The mutants are in tools/mutants.txt.
#
#   tools/mutate.sh               every mutant
#   tools/mutate.sh ID...         the ones named
#   tools/mutate.sh --check       only checks that each mutant's snippet
#                                 occurs exactly once (nothing is built)
#   tools/mutate.sh --hint-only   no fall-back to the whole suite
#
# A mutant is caught when a test fails or times out: first the tests its
# "tests:" regex names (built from its "targets:"), then, if those pass,
# every test of the plain build. One that survives and names a
# "sanitize:" build is tried there too, with its named tests. The sources
# are restored after each mutant, also when the run is interrupted; a run
# killed outright is restored at the next start.
#
# Builds in build-mutate (configured like ./test.sh's plain build), and
# build-mutate-asan / build-mutate-tsan when a mutant asks for them; the
# summary is also written to build-mutate/mutate-results.txt.
set -eu
cd "$(dirname "$0")/.."

list=tools/mutants.txt
build=build-mutate
jobs=${MUTATE_JOBS:-2}
saved=$build/mutate-saved
check_only=false
hint_only=false
ids=""
for argument in "$@"; do
	case $argument in
		--check) check_only=true ;;
		--hint-only) hint_only=true ;;
		-*) echo "unknown option: $argument" >&2; exit 2 ;;
		*) ids="$ids $argument" ;;
	esac
done

# One field of one mutant: "field ID KEY". Records are separated by blank
# lines; a value runs from after "key:" and its blanks to the line's end.
field() {
	perl -e '
		my ($id, $key) = @ARGV[1, 2];
		open(my $in, "<", $ARGV[0]) or die "$ARGV[0]: $!\n";
		local $/ = "";
		while (my $record = <$in>) {
			my %f;
			for my $line (split /\n/, $record) {
				next if $line =~ /^#/;
				$f{$1} = $2 if $line =~ /^(\w+):[ \t]*(.*?)[ \t]*$/;
			}
			next unless defined $f{id} && $f{id} eq $id;
			print $f{$key} // "";
			exit 0;
		}
		exit 1;' "$list" "$1" "$2"
}

all_ids() {
	perl -ne 'print "$1\n" if /^id:[ \t]*(\S+)/' "$list"
}

# Replaces the one occurrence of FIND in FILE by REPLACE. Exits 3 when FIND
# does not occur exactly once, and leaves the file alone then.
apply() {
	perl -e '
		my ($file, $find, $replace, $dry) = @ARGV;
		open(my $in, "<", $file) or die "$file: $!\n";
		local $/;
		my $text = <$in>;
		close($in);
		my $count = () = $text =~ /\Q$find\E/g;
		exit 3 if $count != 1;
		exit 0 if $dry;
		substr($text, index($text, $find), length($find)) = $replace;
		open(my $out, ">", $file) or die "$file: $!\n";
		print $out $text;
		close($out) or die "$file: $!\n";' "$@"
}

# Puts back a source saved before its mutant. Written, not moved, so that
# its time is newer than the mutant's object and make rebuilds it.
restore() {
	[ -f "$saved/path" ] || return 0
	path=$(cat "$saved/path")
	cat "$saved/original" > "$path"
	rm -f "$saved/path" "$saved/original"
}

if [ -z "$ids" ]; then
	ids=$(all_ids)
fi

if $check_only; then
	bad=0
	for id in $ids; do
		file=$(field "$id" file) || { echo "$id: no such mutant"; bad=1; continue; }
		if ! apply "$file" "$(field "$id" find)" "$(field "$id" replace)" dry; then
			echo "$id: the snippet does not occur exactly once in $file"
			bad=1
		fi
	done
	[ $bad -eq 0 ] && echo "Every snippet occurs exactly once."
	exit $bad
fi

configure() {
	cf_dir=$1
	shift
	if [ ! -f "$cf_dir/CMakeCache.txt" ]; then
		cmake -S . -B "$cf_dir" "$@" >/dev/null
	fi
}

configure $build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_TESTS=ON \
	-DTOLVEX_BENCH=ON
mkdir -p "$saved"
restore
trap 'restore' EXIT
trap 'restore; exit 130' INT
trap 'restore; exit 143' TERM

echo "Building the unmutated sources in $build..."
cmake --build $build -j"$jobs" >/dev/null

# Builds TARGETS (all when empty) in DIR; the log goes to DIR/mutate.log.
# sh has no local variables: each function has names of its own.
build_targets() {
	bt_dir=$1
	bt_targets=$2
	if [ -z "$bt_targets" ]; then
		cmake --build "$bt_dir" -j"$jobs" >"$bt_dir/mutate.log" 2>&1
	else
		# shellcheck disable=SC2086
		cmake --build "$bt_dir" -j"$jobs" --target $bt_targets \
			>"$bt_dir/mutate.log" 2>&1
	fi
}

# Runs the tests matching REGEX (all when empty) in DIR; fails when any
# test fails or times out, and fails again when run once more: a test that
# fails only once under the machine's load catches nothing.
run_tests() {
	rt_dir=$1
	rt_regex=$2
	set -- --test-dir "$rt_dir" -j"$jobs" --timeout 60
	[ -z "$rt_regex" ] || set -- "$@" -R "$rt_regex"
	ctest "$@" >"$rt_dir/mutate-ctest.log" 2>&1 && return 0
	cp "$rt_dir/mutate-ctest.log" "$rt_dir/mutate-ctest-first.log"
	ctest --test-dir "$rt_dir" -j"$jobs" --timeout 60 --rerun-failed \
		>"$rt_dir/mutate-ctest.log" 2>&1
}

# The failed tests of the last run_tests in DIR, on one line.
failed_tests() {
	sed -n '/tests FAILED:/,$s/^[ \t]*[0-9]* - \([^ ]*\) .*/\1/p' "$1/mutate-ctest.log" \
		| head -3 | tr '\n' ' '
}

results=$build/mutate-results.txt
: > "$results"
caught=0
survived=0
broken=0
stale=0
for id in $ids; do
	file=$(field "$id" file) || { echo "$id: no such mutant" >&2; exit 2; }
	find=$(field "$id" find)
	replace=$(field "$id" replace)
	regex=$(field "$id" tests)
	targets=$(field "$id" targets)
	sanitize=$(field "$id" sanitize)
	about=$(field "$id" about)

	printf '%s\n' "$file" > "$saved/path"
	cat "$file" > "$saved/original"
	if ! apply "$file" "$find" "$replace"; then
		rm -f "$saved/path" "$saved/original"
		outcome="stale (snippet not found once)"
		stale=$((stale + 1))
	else
		outcome=""
		if ! build_targets $build "$targets"; then
			outcome="did not compile"
		elif [ -n "$regex" ] && ! run_tests $build "$regex"; then
			outcome="caught by $(failed_tests $build)"
		elif $hint_only; then
			outcome="survived the named tests"
		elif ! build_targets $build ""; then
			outcome="did not compile"
		elif ! run_tests $build ""; then
			outcome="caught by $(failed_tests $build)"
		fi
		if [ -z "$outcome" ] || [ "$outcome" = "survived the named tests" ]; then
			if [ -n "$sanitize" ]; then
				case $sanitize in
					address) dir=$build-asan; flags=address,undefined ;;
					thread) dir=$build-tsan; flags=thread ;;
					*) echo "$id: sanitize is address or thread" >&2; exit 2 ;;
				esac
				configure "$dir" -DCMAKE_BUILD_TYPE=Debug \
					-DTOLVEX_SANITIZE=$flags -DTOLVEX_BENCH=OFF -DTOLVEX_TESTS=ON
				if build_targets "$dir" "$targets" \
					&& ! ASAN_OPTIONS=detect_leaks=1 \
						UBSAN_OPTIONS=print_stacktrace=1 \
						TSAN_OPTIONS=halt_on_error=1 \
						run_tests "$dir" "$regex"; then
					outcome="caught in $dir by $(failed_tests "$dir")"
				fi
			fi
		fi
		[ -n "$outcome" ] || outcome="SURVIVED"
		case $outcome in
			caught*) caught=$((caught + 1)) ;;
			"did not compile") broken=$((broken + 1)) ;;
			*) survived=$((survived + 1)) ;;
		esac
		restore
	fi
	line="$id: $outcome  ($file: $about)"
	echo "$line"
	echo "$line" >> "$results"
done

compiled=$((caught + survived))
rate=0
[ $compiled -eq 0 ] || rate=$((100 * caught / compiled))
summary="$caught of $compiled compiling mutants caught ($rate%); $survived survived, $broken did not compile, $stale stale"
echo "$summary"
echo "$summary" >> "$results"
# The restored sources, built again, leave the folder as it was.
cmake --build $build -j"$jobs" >/dev/null
