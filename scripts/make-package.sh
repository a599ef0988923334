#!/usr/bin/env bash
# Builds the Debian package build/shapewright_<version>_<arch>.deb (installing what the build
# needs first) and prints its path. Install it with: sudo apt install ./build/shapewright_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh build
cmake --build build --target package >build/package.log 2>&1 ||
  { cat build/package.log; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
deb=build/shapewright_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { cat build/package.log; echo "no $deb" >&2; exit 1; }
echo "$deb"
