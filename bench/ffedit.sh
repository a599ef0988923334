#!/usr/bin/env bash
# ffedit.sh [BUILD_DIR]: builds bench_ffedit and ffeditc_unicode (optimised) and times, over the
# compressed and binary shapes of the shared corpus: zlib inflate alone, the tool's whole work
# in memory (inflate, read, write text), and the tool run as a program file to file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
corpus=${CORPUS:-$root/../shared/corpus}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_ffedit ffeditc_unicode --parallel 2 >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
compressed=(); binary=()
while IFS=$'\t' read -r _ _ path kind _; do
  case $kind in
    shape-compressed) compressed+=("$corpus/$path") ;;
    shape-binary) binary+=("$corpus/$path") ;;
  esac
done < "$corpus/MANIFEST.tsv"
echo "compressed shapes: ${#compressed[@]}, binary shapes: ${#binary[@]}"
echo "-- compressed shapes, in memory"
inflate=$("$build/bin/bench_ffedit" inflate "${compressed[@]}")
decompress=$("$build/bin/bench_ffedit" decompress "${compressed[@]}")
echo "$inflate"; echo "$decompress"
awk -v a="$inflate" -v b="$decompress" 'BEGIN {
  split(a, x, "best pass "); split(b, y, "best pass ");
  printf "decompression / inflate: %.2f (goal: at most 3)\n", (y[2] + 0) / (x[2] + 0) }'
echo "-- binary shapes, in memory"
"$build/bin/bench_ffedit" decompress "${binary[@]}"
echo "-- the tool as a program, file to file, every compressed and binary shape"
start=$(date +%s.%N)
for f in "${compressed[@]}" "${binary[@]}"; do
  "$build/bin/FFEDIT/ffeditc_unicode" "$f" -o "$scratch/out.s"
done
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v n=$(( ${#compressed[@]} + ${#binary[@]} )) \
  'BEGIN { printf "%d runs in %.2f s, %.2f ms per shape\n", n, e - s, 1000 * (e - s) / n }'
