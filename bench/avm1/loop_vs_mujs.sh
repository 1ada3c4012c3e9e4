#!/bin/sh
# The script machine's tight loop beside Debian's mujs running the same loop over global
# variables, both in CPU time and in the same run, so that the figures share the machine's
# load. An optional second bench_avm1 (an earlier build) runs alongside for a before/after.
#
#   bench/avm1/loop_vs_mujs.sh build/bench/avm1/bench_avm1 [OLD_BENCH_AVM1] [RUNS]
set -eu
bench=${1:?usage: loop_vs_mujs.sh BENCH_AVM1 [OLD_BENCH_AVM1] [RUNS]}
old=${2:-}
runs=${3:-9}
command -v mujs >/dev/null || { echo "mujs is not installed (apt-get install mujs)" >&2; exit 1; }

n=100000
reps=50
script=$(mktemp --suffix=.js)
trap 'rm -f "$script"' EXIT
cat >"$script" <<JS
for (var r = 0; r < $reps; r++) { sum = 0; for (i = 0; i < $n; i++) sum += i; }
JS

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Iterations per second of one mujs run, from the CPU time the process used.
mujs_once() {
    /usr/bin/time -f '%U %S' mujs "$script" 2>&1 >/dev/null |
        awk -v it=$((n * reps)) '{ printf "%.0f\n", it / ($1 + $2) }'
}

# Iterations per second of one TightLoop measurement.
machine_once() {
    "$1" --benchmark_filter='^TightLoop' --benchmark_format=csv 2>/dev/null |
        awk -F, '/TightLoop/ { printf "%.0f\n", $7 }'
}

: >"$script.mujs"
: >"$script.new"
: >"$script.old"
trap 'rm -f "$script" "$script.mujs" "$script.new" "$script.old"' EXIT
i=0
while [ "$i" -lt "$runs" ]; do
    mujs_once >>"$script.mujs"
    machine_once "$bench" >>"$script.new"
    if [ -n "$old" ]; then
        machine_once "$old" >>"$script.old"
    fi
    i=$((i + 1))
done

m=$(median <"$script.mujs")
b=$(median <"$script.new")
echo "median of $runs runs, loop iterations per second (CPU time):"
echo "  mujs           $m"
echo "  bench_avm1     $b  ($(awk -v a="$b" -v b="$m" 'BEGIN { printf "%.2f", a / b }')x mujs)"
if [ -n "$old" ]; then
    o=$(median <"$script.old")
    echo "  previous build $o  ($(awk -v a="$o" -v b="$m" 'BEGIN { printf "%.2f", a / b }')x mujs)"
fi
