#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. With --sanitize as the
# first argument: builds into build-san/ with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test there; the first report fails
# its test. Further arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-san
  # Qt keeps objects until process exit on purpose: leaks are not checked.
  export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=0
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
./tools/install-deps.sh
if [ "$dir" = build-san ]; then
  ./tools/build.sh --sanitize
else
  ./tools/build.sh
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" "$@"
