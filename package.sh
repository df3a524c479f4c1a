#!/usr/bin/env bash
# Installs what is missing, builds the Debian package in build-package/ and
# prints its path on the last line. Install it with
#   sudo apt install ./build-package/quintara_8.0-1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh --package
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
# Debian's build flags with every hardening the toolchain offers (stack
# protector, fortified functions, read-only relocations bound at start); CMake
# takes no CPPFLAGS, so the preprocessor's go with the compiler's. Their -O2
# stands: GCC 12 at -O3 warns of overlapping copies inside std::string that
# cannot happen.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DBUILD_TESTING=OFF -DQUINTARA_BENCHMARKS=OFF >/dev/null
cmake --build build-package --parallel "$(nproc)"
rm -f build-package/quintara_*.deb
(cd build-package && cpack -G DEB)
package=$(ls build-package/quintara_*.deb)
echo "$PWD/$package"
