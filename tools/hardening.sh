# Sourced by tools/build.sh and package.sh: Debian's build flags with every
# hardening the toolchain offers (stack protector, fortified functions,
# read-only relocations bound at start), as CMake options in
# hardening_cmake_flags. The test tree and the package are compiled alike, so
# the package can be made from the tree the tests ran on. CMake takes no
# CPPFLAGS, so the preprocessor's go with the compiler's. Their -O2 stands:
# GCC 12 at -O3 warns of overlapping copies inside std::string that cannot
# happen. Without the file-prefix maps: they hold the tree's absolute path,
# which would keep a second clone (CI's, a worktree) from finding its objects
# in the compiler cache; the programs name none of their source files.
# Read apart from the eval, so that a missing dpkg-buildflags (dpkg-dev) stops
# the script instead of leaving the flags empty.
hardening_exports=$(DEB_BUILD_MAINT_OPTIONS='hardening=+all reproducible=-fixfilepath,-fixdebugpath' \
  dpkg-buildflags --export=sh)
eval "$hardening_exports"
hardening_cmake_flags=(
  "-DCMAKE_CXX_FLAGS=$CXXFLAGS $CPPFLAGS"
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS"
  "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS"
  "-DCMAKE_MODULE_LINKER_FLAGS=$LDFLAGS")
