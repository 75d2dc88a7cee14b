#!/usr/bin/env bash
# Builds the libFuzzer targets (clang with AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each for a bounded time on a seed corpus made from the examples, the test files and the
# real sample files. An input that fails is saved under build/fuzz/artifacts/ and the script
# fails; copy it into tests/fuzz/seeds/<lines|conversion|command-line>/ when the fault is fixed,
# so that the replay tests keep it.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$PWD/build/fuzz  # absolute: the command line's target works in a folder of its own
rm -rf "$work/corpus" "$work/seeds"
mkdir -p "$work/corpus/lines" "$work/corpus/conversion" "$work/corpus/command-line" \
    "$work/seeds/lines" "$work/seeds/conversion" "$work/seeds/command-line" "$work/artifacts"

# Seeds for the line layer: every Blue Book file the project holds.
n=0
while IFS= read -r -d '' file; do
    cp "$file" "$work/seeds/lines/seed-$((n += 1))"
done < <(find examples tests/fixtures tests/data tests/fuzz/seeds/lines -type f -print0 \
    2>/dev/null)

# Seeds for whole jobs: SERFIL, B-file and G-file of one project joined by the byte 0x1D (and
# the switches after a third); for the command line, argument lists, one argument a line.
cp tests/fuzz/seeds/conversion/* "$work/seeds/conversion/"
cp tests/fuzz/seeds/command-line/* "$work/seeds/command-line/"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in lines:fuzz_record_line conversion:fuzz_conversion \
    command-line:fuzz_command_line; do
    name=${target%%:*}
    program=$work/tests/fuzz/${target#*:}
    echo "== fuzzing ${target#*:} for $seconds s"
    if ! "$program" "$work/corpus/$name" "$work/seeds/$name" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -max_len=200000 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/$name-" 2>"$work/$name.log"; then
        echo "fuzz: ${target#*:} found a failing input:" >&2
        tail -n 40 "$work/$name.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE' \
        "$work/$name.log" || true
done
exit $status
