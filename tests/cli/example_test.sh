#!/usr/bin/env bash
# example_test.sh SOURCE_DIR CLI [EMULATOR...]: converts the bundled example engine and checks
# the model file and the textures byte for byte against the Linux build's output, kept as
# SHA-256 sums in tests/data/example-output.sha256; the Windows build runs it under Wine.
# After a change that alters the output on purpose, rewrite the sums from a Linux build:
#   SW_WRITE_SUMS=1 bash tests/cli/example_test.sh . "$PWD/build/bin/shapewright-cli"
set -euo pipefail
source=$(cd "$1" && pwd); shift
sums=$source/tests/data/example-output.sha256
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source"/examples/steam-loco/* "$work/"
(cd "$work" && "$@" -q -o out --eng Loco.eng --length 16.5 Loco.s)
if [ -n "${SW_WRITE_SUMS:-}" ]; then
  (cd "$work/out" && sha256sum loco.stk *.tga) >"$sums"
  exit 0
fi
(cd "$work/out" && sha256sum --check --quiet "$sums")
[ "$(cd "$work/out" && ls | wc -l)" -eq "$(wc -l <"$sums")" ] || {
  echo "FAIL: the output holds other files than the sums name:"; ls "$work/out"; exit 1; }
