#!/usr/bin/env bash
# Configures and builds into build/ with Ninja; with --sanitize into build-san/
# with AddressSanitizer and UndefinedBehaviorSanitizer (no benchmarks). build/
# gets the Debian package's hardening flags (tools/hardening.sh), so that the
# package can be made from it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths in the compiler calls relative to the tree, so that a second clone
# (CI's, a worktree) finds its objects in the same compiler cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUINTARA_SANITIZE=ON -DQUINTARA_BENCHMARKS=OFF >/dev/null
  cmake --build build-san --parallel "$(nproc)"
else
  # With the package's flags: ./package.sh --tree build makes the package of it.
  source tools/hardening.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${hardening_cmake_flags[@]}" >/dev/null
  cmake --build build --parallel "$(nproc)"
fi
