#!/usr/bin/env bash
# texconv.sh [BUILD_DIR]: builds bench_texconv (optimised) and prints megapixels per second of
# ACE to TGA conversion beside plain file copies. Scratch files go to a temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_texconv --parallel 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/bin/bench_texconv" "$scratch"
