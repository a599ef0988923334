#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the fuzzers need. Idempotent:
# apt-get runs only when something is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev zlib1g-dev libdeflate-dev libpng-dev
  clang-14 libclang-rt-14-dev clang-format-14 clang-format
  qt6-base-dev
  locales
  # The Debian package and its checks: CPack's dependency scan, the package checker, and the
  # validators of the desktop entry, the AppStream record and the file types.
  dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# A decimal-comma locale, so that the tests can prove the output does not depend on it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    $SUDO locale-gen >/dev/null || true
  fi
fi
