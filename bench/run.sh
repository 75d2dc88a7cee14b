#!/usr/bin/env bash
# Conversion benchmark: generates a large project (B-file of 1,000,000 lines, G-file of 50,000
# vectors, SERFIL of 2,000 names) at half, full and double size, and measures side by side in
# one run: the console program's conversion time (best of several runs), input bytes per
# second, peak memory, and the time of `cat` copying the bytes the conversion reads (the B-file
# three times and the G-file once) as a yardstick.
# Usage: bench/run.sh [runs per measurement, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

scripts/setup.sh bench
cmake --preset linux >/dev/null
cmake --build --preset linux --target bbook2tellurax generate_inputs >/dev/null
program=build/linux/cli/bbook2tellurax
work=build/bench
mkdir -p "$work"

best_of() {  # best_of COMMAND...: the best wall time in seconds of $runs runs
    local best="" start end t
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [[ -z $best ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
    done
    echo "$best"
}

yardstick() { cat "$1/bfile" "$1/bfile" "$1/bfile" "$1/gfile" >"$1/cat.out"; }

printf '%-6s %10s %10s %10s %10s %9s %9s\n' scale "input MB" "convert s" "cat s" "MB/s" "vs cat" "peak MB"
declare -A convert_time
for scale in 0.5 1 2; do
    dir=$work/scale-$scale
    mkdir -p "$dir"
    [[ -f $dir/gfile ]] || build/linux/bench/generate_inputs "$dir" "$scale"
    read_bytes=$(($(stat -c %s "$dir/bfile") * 3 + $(stat -c %s "$dir/gfile") + $(stat -c %s "$dir/serfil")))
    input_bytes=$(($(stat -c %s "$dir/bfile") + $(stat -c %s "$dir/gfile") + $(stat -c %s "$dir/serfil")))
    convert() { "$program" -s "$dir/serfil" -b "$dir/bfile" -g "$dir/gfile" -o "$dir/out.txt"; }
    t_convert=$(best_of convert)
    t_cat=$(best_of yardstick "$dir")
    peak_kb=$(/usr/bin/time -f %M "$program" -s "$dir/serfil" -b "$dir/bfile" -g "$dir/gfile" \
        -o "$dir/out.txt" 2>&1 >/dev/null | tail -n 1)
    convert_time[$scale]=$t_convert
    printf '%-6s %10.1f %10.3f %10.3f %10.1f %9.2f %9.1f\n' "$scale" \
        "$(echo "$input_bytes / 1000000" | bc -l)" "$t_convert" "$t_cat" \
        "$(echo "$input_bytes / 1000000 / $t_convert" | bc -l)" \
        "$(echo "$t_convert / $t_cat" | bc -l)" "$(echo "$peak_kb / 1024" | bc -l)"
    rm -f "$dir/cat.out"
    echo "$read_bytes" >"$dir/read-bytes"
done
printf 'growth: full/half %.2f, double/full %.2f (linear is 2.00)\n' \
    "$(echo "${convert_time[1]} / ${convert_time[0.5]}" | bc -l)" \
    "$(echo "${convert_time[2]} / ${convert_time[1]}" | bc -l)"
