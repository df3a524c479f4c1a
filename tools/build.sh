#!/usr/bin/env bash
# Configures and builds into build/ with Ninja; with --sanitize into build-san/
# with AddressSanitizer and UndefinedBehaviorSanitizer (no benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUINTARA_SANITIZE=ON -DQUINTARA_BENCHMARKS=OFF >/dev/null
  cmake --build build-san --parallel "$(nproc)"
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --parallel "$(nproc)"
fi
