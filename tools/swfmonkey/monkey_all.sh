#!/usr/bin/env bash
# Runs swfmonkey over every movie below the folders given, a few seeds each, one process per
# run so a crash ends that run only.
#   tools/swfmonkey/monkey_all.sh OUT DIR...
# Environment: MONKEY (the program, build/tools/swfmonkey/swfmonkey), SEEDS ("1 2 3"),
# FRAMES (600), JOBS (1), EXTRA (more options for swfmonkey).
# Writes OUT/runs.txt (each run's summary line or exit status), OUT/failures.txt (the runs
# that crashed, hung or found problems) and OUT/logs/ (the output of each failed run).
set -uo pipefail
out=${1:?usage: monkey_all.sh OUT DIR...}
shift
monkey=${MONKEY:-build/tools/swfmonkey/swfmonkey}
seeds=${SEEDS:-1 2 3}
frames=${FRAMES:-600}
jobs=${JOBS:-1}
mkdir -p "$out/logs"
: >"$out/runs.txt"
: >"$out/failures.txt"

run_one() {
  local movie=$1 seed=$2
  local log
  log="$out/logs/$(echo "$movie" | tr '/' '_')-$seed.txt"
  # The monkey's own watchdog ends a hung frame; `timeout` is the last resort.
  timeout -k 10 1800 "$monkey" "$movie" --seed "$seed" --frames "$frames" ${EXTRA:-} >"$log" 2>&1
  local status=$?
  local summary
  summary=$(grep -m1 " seed $seed: " "$log" || true)
  echo "$status $movie $seed ${summary#"$movie "}" >>"$out/runs.txt"
  if [ "$status" -eq 0 ] || [ "$status" -eq 1 ]; then
    rm -f "$log"
  else
    echo "$movie seed $seed: exit $status" >>"$out/failures.txt"
  fi
}
export -f run_one
export out monkey frames

for dir in "$@"; do
  find "$dir" -name '*.swf' -type f | sort
done | while read -r movie; do
  for seed in $seeds; do
    printf '%s\0%s\0' "$movie" "$seed"
  done
done | xargs -0 -n 2 -P "$jobs" bash -c 'run_one "$0" "$1"'
echo "runs: $(wc -l <"$out/runs.txt"), failures: $(wc -l <"$out/failures.txt")"
