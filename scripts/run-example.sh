#!/usr/bin/env bash
# Installs what is needed, builds the command line with its texture library and shape tool,
# and converts the bundled example steam engine into out/example/, printing the conversion log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build-example -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build build-example --parallel "$(nproc)" --target shapewright-cli texconv ffeditc_unicode >/dev/null
mkdir -p out/example
build-example/bin/shapewright-cli -v --output-dir out/example --eng examples/steam-loco/Loco.eng \
  --length 16.5 examples/steam-loco/Loco.s
echo
echo "model file: out/example/loco.stk"
ls -l out/example
