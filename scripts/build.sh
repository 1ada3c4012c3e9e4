#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh [release|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
jobs=${PENCORA_JOBS:-$(nproc)}
case "$kind" in
  release)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$jobs"
    ;;
  asan)
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPENCORA_SANITIZE=ON \
      -DPENCORA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
    cmake --build build-asan -j "$jobs"
    ;;
  *) echo "usage: scripts/build.sh [release|asan]" >&2; exit 2 ;;
esac
