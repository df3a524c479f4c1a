#!/usr/bin/env bash
# Installs the Debian packages a job needs, but only when one of them is
# missing. Works as root and through sudo.
#   (no argument)     the build and the tests
#   --package         the build of the Debian package (./package.sh)
#   --check-package   the checks of the package (tools/check-package.sh)
set -euo pipefail

case "${1:-}" in
  "")
    packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libssl-dev libgtest-dev
      libbenchmark-dev ccache fonts-dejavu-core fonts-liberation2 poppler-utils dpkg-dev) ;;
  --package)
    # dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs link.
    packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libssl-dev ccache dpkg-dev
      file gzip) ;;
  --check-package)
    packages=(lintian desktop-file-utils appstream dpkg-dev man-db mandoc util-linux) ;;
  *)
    echo "Usage: $0 [--package | --check-package]" >&2
    exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Missing packages: ${missing[*]}; run this script as root or install sudo." >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
