#!/usr/bin/env bash
# check-package.sh DEB [--apt]: checks a built package. lintian finds no error (the warnings
# accepted are listed with their reasons in packaging/lintian-overrides); unpacked into a
# temporary root with dpkg-deb -x, the command line converts the bundled example and the
# dialog starts on the offscreen platform. With --apt the package is also installed for real
# and purged again, only when no shapewright package was installed before.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1")
apt=${2:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== lintian $(basename "$deb")"
lintian --fail-on error --info "$deb"

for field in Package Version Architecture Section Maintainer Description Depends; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field field"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends does not name Qt Widgets"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
example=$root/examples/steam-loco

# Runs the converter and the dialog of a tree whose commands are in usr/bin.
run_programs() {
  local bin=$1 out=$2
  "$bin/shapewright-cli" -o "$out" "$example/Loco.eng" >"$work/log" ||
    { cat "$work/log"; fail "$bin/shapewright-cli failed on the example"; }
  [ -s "$out/loco.stk" ] || fail "$bin/shapewright-cli wrote no loco.stk"
  [ "$(find "$out" -name '*.tga' | wc -l)" -eq 3 ] || fail "$bin/shapewright-cli: not 3 textures"
  QT_QPA_PLATFORM=offscreen "$bin/shapewright" --version | grep -q '^Shapewright convertor ' ||
    fail "$bin/shapewright --version"
  # The dialog itself: still running after two seconds means Qt and its platform started.
  local status=0
  XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen timeout 2 "$bin/shapewright" || status=$?
  [ $status -eq 124 ] || fail "$bin/shapewright ended with status $status"
}

echo "== unpacked with dpkg-deb -x"
dpkg-deb -x "$deb" "$work/root"
run_programs "$work/root/usr/bin" "$work/unpacked"

if [ "$apt" = --apt ]; then
  if dpkg-query -W -f='${Status}' shapewright 2>/dev/null | grep -q "install ok installed"; then
    echo "shapewright is already installed: not installed again"
  else
    echo "== apt-get install, then purge"
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=120 "$deb"
    run_programs /usr/bin "$work/installed"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq -o DPkg::Lock::Timeout=120 shapewright
  fi
fi
echo "package checked: $(basename "$deb")"
