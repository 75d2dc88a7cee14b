#!/usr/bin/env bash
# Conversion benchmark. Generates a large project (a B-file of 1,000,000 lines, a G-file of
# 50,000 vectors, a SERFIL file of 2,000 names: about 103 MB) at half, full and double size, and
# measures side by side in one run, best of RUNS runs each, with the files on a memory file
# system (/dev/shm) so that disks do not blur the figures:
#   - the converter, and the converter without its network checks (--no-checks), whose
#     difference is the checks' share of the conversion time;
#   - the yardstick: `cat B B B G > file`, copying the bytes earlier releases read;
#   - the floor: a program that reads the inputs as the converter does and writes as many bytes
#     as it writes, without parsing;
# then MB/s of input, the ratios, instructions per input byte (with perf), peak memory, and the
# growth from half to full and full to double size (2.00 is linear).
# Usage: bench/run.sh [RUNS, default 5]; BB_BENCH_1GB=1 adds a project of about 1 GB.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

scripts/setup.sh bench
cmake --preset linux >/dev/null
cmake --build --preset linux --target bbook2tellurax generate_inputs bench_floor >/dev/null
program=$PWD/build/linux/cli/bbook2tellurax
floor=$PWD/build/linux/bench/bench_floor
if [[ -d /dev/shm && -w /dev/shm ]]; then work=/dev/shm/bbook2tellurax-bench; else work=build/bench; fi
mkdir -p "$work"

time_of() {  # time_of COMMAND...: wall time in seconds of one run
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
smaller() { if [[ -z $1 ]] || (($(echo "$2 < $1" | bc -l))); then echo "$2"; else echo "$1"; fi; }
best_of() {  # best_of COMMAND...: the best wall time in seconds of $runs runs
    local best=""
    for ((i = 0; i < runs; i++)); do best=$(smaller "$best" "$(time_of "$@")"); done
    echo "$best"
}
checks_share() {  # checks_share DIR: per cent of the conversion time the network checks take,
    # from the best of $runs runs with and without them, taken in turn so that both meet the
    # same neighbours on a shared machine
    local with="" without=""
    for ((i = 0; i < runs; i++)); do
        with=$(smaller "$with" "$(time_of convert "$1")")
        without=$(smaller "$without" "$(time_of unchecked "$1")")
    done
    echo "100 * ($with - $without) / $with" | bc -l
}

convert() { "$program" -q -s "$1/serfil" -b "$1/bfile" -g "$1/gfile" -o "$1/out.txt"; }
unchecked() { "$program" -q --no-checks -s "$1/serfil" -b "$1/bfile" -g "$1/gfile" -o "$1/out.txt"; }
yardstick() { cat "$1/bfile" "$1/bfile" "$1/bfile" "$1/gfile" >"$1/cat.out"; }
floor_run() { "$floor" "$1/serfil" "$1/bfile" "$1/gfile" "$1/floor.out" "$(stat -c %s "$1/out.txt")"; }
instructions() {  # instructions per input byte, or "-" without perf
    local count
    command -v perf >/dev/null || { echo "-"; return; }
    count=$(perf stat -x, -e instructions:u "$program" -q -s "$1/serfil" -b "$1/bfile" \
        -g "$1/gfile" -o "$1/out.txt" 2>&1 >/dev/null | awk -F, '/instructions/ { print $1 }')
    [[ $count =~ ^[0-9]+$ ]] && echo "scale=1; $count / $2" | bc -l || echo "-"
}

scales=(0.5 1 2)
[[ ${BB_BENCH_1GB:-0} == 1 ]] && scales+=(10)
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs); files in $work"
printf '%-5s %8s %9s %8s %8s %8s %8s %8s %8s %8s %8s\n' scale "input MB" "convert s" "cat s" \
    "floor s" "MB/s" "x cat" "x floor" "checks %" "instr/B" "peak MB"
declare -A convert_time
for scale in "${scales[@]}"; do
    dir=$work/scale-$scale
    mkdir -p "$dir"
    generator=build/linux/bench/generate_inputs
    [[ -f $dir/gfile && $dir/gfile -nt $generator ]] || $generator "$dir" "$scale"
    input_bytes=$(($(stat -c %s "$dir/bfile") + $(stat -c %s "$dir/gfile") + $(stat -c %s "$dir/serfil")))
    t_convert=$(best_of convert "$dir")
    t_cat=$(best_of yardstick "$dir")
    t_floor=$(best_of floor_run "$dir")
    share_checks=$(checks_share "$dir")
    peak_kb=$(/usr/bin/time -f %M "$program" -q -s "$dir/serfil" -b "$dir/bfile" -g "$dir/gfile" \
        -o "$dir/out.txt" 2>&1 >/dev/null | tail -n 1)
    convert_time[$scale]=$t_convert
    printf '%-5s %8.1f %9.3f %8.3f %8.3f %8.0f %8.2f %8.2f %8.1f %8s %8.1f\n' "$scale" \
        "$(echo "$input_bytes / 1000000" | bc -l)" "$t_convert" "$t_cat" "$t_floor" \
        "$(echo "$input_bytes / 1000000 / $t_convert" | bc -l)" \
        "$(echo "$t_convert / $t_cat" | bc -l)" "$(echo "$t_convert / $t_floor" | bc -l)" \
        "$share_checks" \
        "$(instructions "$dir" "$input_bytes")" "$(echo "$peak_kb / 1024" | bc -l)"
    rm -f "$dir/cat.out" "$dir/floor.out"
    [[ $scale == 10 ]] && rm -rf "$dir"  # a gigabyte of memory is not kept
done
printf 'growth: full/half %.2f, double/full %.2f (linear is 2.00)\n' \
    "$(echo "${convert_time[1]} / ${convert_time[0.5]}" | bc -l)" \
    "$(echo "${convert_time[2]} / ${convert_time[1]}" | bc -l)"
