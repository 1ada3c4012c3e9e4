#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal build, then the
# same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=${PENCORA_JOBS:-$(nproc)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Leaks inside system libraries (fontconfig caches) are not ours; see tests/lsan.supp.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}

echo "== release build"
scripts/build.sh release
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build"
scripts/build.sh asan
ctest --test-dir build-asan --output-on-failure -j "$jobs"
