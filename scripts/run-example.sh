#!/usr/bin/env bash
# Installs what is needed, builds, and converts the bundled example steam engine into
# out/example/, printing the conversion log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
mkdir -p out/example
build/bin/shapewright-cli --output-dir out/example --eng examples/steam-loco/Loco.eng \
  --length 16.5 examples/steam-loco/Loco.s
echo
echo "model file: out/example/loco.stk"
ls -l out/example
