#!/usr/bin/env bash
# Installs what is missing, builds the Debian package in build-package/ and
# prints its path on the last line. Install it with
#   sudo apt install ./build-package/quintara_8.0-1_amd64.deb
# (the version and revision are those of the top entry of packaging/changelog).
# With --tree DIR the package is made from that tree instead, brought up to
# date first: one that tools/build.sh configured (build/, on which the tests
# ran) is compiled with the package's flags, so CI need not compile the
# programs a second time.
set -euo pipefail
cd "$(dirname "$0")"
tree=build-package
if [ "${1:-}" = "--tree" ] && [ $# -eq 2 ]; then
  tree=${2%/}
elif [ $# -ne 0 ]; then
  echo "Usage: $0 [--tree DIR]" >&2
  exit 2
fi
./tools/install-deps.sh --package
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
source tools/hardening.sh
if [ "$tree" = build-package ]; then
  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${hardening_cmake_flags[@]}" \
    -DBUILD_TESTING=OFF -DQUINTARA_BENCHMARKS=OFF >/dev/null
else
  # A tree of other flags (the sanitizer's, a debug build) would make another
  # program than the one the package promises.
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$tree/CMakeCache.txt" 2>/dev/null; }
  [ -f "$tree/CMakeCache.txt" ] || { echo "package.sh: $tree is no configured tree" >&2; exit 2; }
  if [ "$(cached CMAKE_BUILD_TYPE)" != RelWithDebInfo ] || [ "$(cached QUINTARA_SANITIZE)" = ON ] ||
     [ "-DCMAKE_CXX_FLAGS=$(cached CMAKE_CXX_FLAGS)" != "${hardening_cmake_flags[0]}" ] ||
     [ "-DCMAKE_EXE_LINKER_FLAGS=$(cached CMAKE_EXE_LINKER_FLAGS)" != "${hardening_cmake_flags[1]}" ]; then
    echo "package.sh: $tree is not configured as tools/build.sh configures build/" >&2
    exit 2
  fi
fi
cmake --build "$tree" --parallel "$(nproc)"
rm -f "$tree"/quintara_*.deb
(cd "$tree" && cpack -G DEB)
package=$(ls "$tree"/quintara_*.deb)
echo "$PWD/$package"
