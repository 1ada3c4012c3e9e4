#!/usr/bin/env bash
# Runs one fuzz target for a while: scripts/fuzz.sh TARGET SECONDS
#   scripts/fuzz.sh list        names the targets
# Builds the target with Debian's clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer,
# every library instrumented for coverage) in build-fuzz, then fuzzes from a working copy of the
# target's committed seeds in build-fuzz/corpus/TARGET, so the seeds in the tree stay as they
# are. Inputs that break the target land in build-fuzz/finds/TARGET; keep each, once fixed, in
# the target's seed folder under a name saying what it broke.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${PENCORA_JOBS:-$(nproc)}
build=build-fuzz

configure() {
  if [ ! -f "$build/fuzz-targets.txt" ]; then
    CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$build" -G Ninja \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENCORA_FUZZ=ON -DPENCORA_BUILD_BENCH=OFF \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" >/dev/null
  fi
}

configure
if [ "${1:-}" = list ]; then
  cut -f1 "$build/fuzz-targets.txt"
  exit 0
fi
if [ $# -ne 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS | scripts/fuzz.sh list" >&2
  exit 2
fi
target=$1
seconds=$2
line=$(awk -F'\t' -v t="$target" '$1 == t' "$build/fuzz-targets.txt")
if [ -z "$line" ]; then
  echo "no fuzz target $target; these exist:" >&2
  cut -f1 "$build/fuzz-targets.txt" >&2
  exit 2
fi
binary=$(printf '%s' "$line" | cut -f2)
seeds=$(printf '%s' "$line" | cut -f3)
cmake --build "$build" -j "$jobs" --target "$target"

corpus=$build/corpus/$target
finds=$build/finds/$target
mkdir -p "$corpus" "$finds"
if [ -n "$seeds" ]; then
  find "$seeds" -maxdepth 1 -type f ! -name 'README*' ! -name '*.md' ! -name '*.py' \
    -exec cp -n {} "$corpus/" \;
fi
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
"$binary" "$corpus" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 \
  -artifact_prefix="$finds/" -print_final_stats=1
