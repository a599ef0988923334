#!/usr/bin/env bash
# build-windows.sh: cross-builds the Windows programs into build-windows/ with MinGW-w64, runs
# the test suite under Wine, makes the portable zip and the installer, and checks that the
# installer installs and uninstalls silently. Installs what is missing first (apt-get). Quiet on
# success; on a failure the step's log is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build-windows
deps=$build/deps
prefix=$deps/prefix
logs=$build/logs
mkdir -p "$deps" "$logs"

# Runs a step with its output in logs/NAME.log, printed only when the step fails.
step() {
  local name=$1; shift
  if ! "$@" >"$logs/$name.log" 2>&1; then
    echo "build-windows: $name failed:" >&2
    tail -n 80 "$logs/$name.log" >&2
    exit 1
  fi
}

install_packages() {
  local wanted=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 nsis googletest xvfb xauth)
  local missing=()
  for package in "${wanted[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Debian has no MinGW libpng: its source comes from Debian's own archive, through apt with a
# private deb-src entry (the system's sources stay untouched), and is checked against this pin.
libpng_version=1.6.39
libpng_tarball=libpng1.6_${libpng_version}.orig.tar.gz
libpng_sha256=a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441

fetch_libpng() {
  local tarball=$deps/$libpng_tarball
  if [ ! -f "$tarball" ]; then
    local apt=$deps/apt
    rm -rf "$apt" && mkdir -p "$apt/lists/partial" "$apt/parts" "$apt/download"
    local uri
    uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    cat >"$apt/parts/debian-src.sources" <<EOF
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    local options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/parts"
                   -o "Dir::State::Lists=$apt/lists")
    apt-get "${options[@]}" update -q
    (cd "$apt/download" && apt-get "${options[@]}" source --download-only libpng1.6)
    mv "$apt/download/$libpng_tarball" "$tarball"
    rm -rf "$apt"
  fi
  echo "$libpng_sha256  $tarball" | sha256sum --check --quiet
}

# Static libpng and GoogleTest for the target, installed into deps/prefix, once.
toolchain=$root/cmake/mingw-w64-x86_64.cmake
cross_options=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_INSTALL_PREFIX="$prefix" -DSHAPEWRIGHT_WINDOWS_DEPS="$prefix")

build_libpng() {
  [ -f "$prefix/lib/libpng.a" ] && return 0
  local source=$deps/libpng-$libpng_version
  rm -rf "$source" "$deps/libpng-build"
  tar -xzf "$deps/$libpng_tarball" -C "$deps"
  cmake -S "$source" -B "$deps/libpng-build" "${cross_options[@]}" -DPNG_SHARED=OFF \
    -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON
  nice cmake --build "$deps/libpng-build" --parallel "$(nproc)"
  cmake --install "$deps/libpng-build"
  cp "$source/LICENSE" "$prefix/LICENSE.libpng"
  rm -rf "$source" "$deps/libpng-build"
}

build_googletest() {
  [ -f "$prefix/lib/libgtest.a" ] && return 0
  rm -rf "$deps/googletest-build"
  cmake -S /usr/src/googletest -B "$deps/googletest-build" "${cross_options[@]}" \
    -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF
  nice cmake --build "$deps/googletest-build" --parallel "$(nproc)"
  cmake --install "$deps/googletest-build"
  rm -rf "$deps/googletest-build"
}

export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

configure_and_build() {
  cmake -S "$root" -B "$build" "${cross_options[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX=/ -DSHAPEWRIGHT_BUILD_GUI=OFF -DSHAPEWRIGHT_WERROR=ON
  nice cmake --build "$build" --parallel "$(nproc)"
}

# Wine's server is kept running while the tests run: a test whose program starts just as an
# idle server shuts down fails before it runs.
run_tests() {
  local status=0
  /usr/lib/wine/wineserver -p
  "$wine" wineboot --init
  ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?
  /usr/lib/wine/wineserver -k || true
  return "$status"
}

make_packages() {
  (cd "$build" && cpack -G ZIP && cpack -G NSIS)
}

# The installer installs without a question into the folder given and its uninstaller removes
# every file it put there.
check_installer() {
  local setup target
  setup=$(ls "$build"/shapewright-*-setup.exe)
  target=$WINEPREFIX/drive_c/sw-install-check
  rm -rf "$target"
  "$wine" "$setup" /S '/D=C:\sw-install-check'
  for file in shapewright-cli.exe ace2tga.exe texconv.dll FFEDIT/ffeditc_unicode.exe \
              Uninstall.exe; do
    [ -f "$target/$file" ] || { echo "not installed: $file"; return 1; }
  done
  "$wine" "$target/shapewright-cli.exe" --version
  # The uninstaller copies itself elsewhere and returns at once: wait for the Wine session.
  "$wine" "$target/Uninstall.exe" /S
  /usr/lib/wine/wineserver -w
  if [ -e "$target" ] && [ -n "$(find "$target" -type f)" ]; then
    echo "left behind by the uninstaller:"; find "$target" -type f
    return 1
  fi
}

step install-packages install_packages
step fetch-libpng fetch_libpng
step libpng build_libpng
step googletest build_googletest
step build configure_and_build
step tests run_tests
step packages make_packages
step installer check_installer
/usr/lib/wine/wineserver -k || true
