#!/usr/bin/env bash
# smoke-ffedit.sh [BUILD_DIR]: runs ffeditc_unicode over every compressed and binary shape of the
# shared corpus as the converter starts it (SOURCE /u /o:new_asc.s, in a scratch folder), checks
# the golden shape byte for byte against the text the original tool wrote, and converts each
# result with shapewright-cli beside links to its source folder's files (so its textures are
# found). Prints the counts and every failure with its reason. Not part of CTest.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
corpus=${CORPUS:-$root/../shared/corpus}
tool=$build/bin/FFEDIT/ffeditc_unicode
cli=$build/bin/shapewright-cli
[ -x "$tool" ] || { echo "no tool at $tool (build first)"; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== golden: DK10f_A1tPnt5dLft"
golden_text=$corpus/pgroenbaek__shapeio/tests/data/DK10f_A1tPnt5dLft.s
golden_failures=0
while IFS=$'\t' read -r _ _ path kind _; do
  [[ $kind == shape-compressed && $path == */DK10f_A1tPnt5dLft_compressed.s ]] || continue
  mkdir -p "$scratch/golden" && rm -f "$scratch/golden/new_asc.s"
  (cd "$scratch/golden" && "$tool" "$corpus/$path" /u /o:new_asc.s)
  if cmp -s "$scratch/golden/new_asc.s" "$golden_text"; then
    echo "identical: $path"
  else
    echo "DIFFERENT: $path"; golden_failures=$((golden_failures + 1))
  fi
done < "$corpus/MANIFEST.tsv"

echo "== every compressed and binary shape"
total=0; decompressed=0; finished=0; converted_with_beeps=0; beeps=0
declare -A kinds_ok kinds_total
failures=()
while IFS=$'\t' read -r _ _ path kind _; do
  [[ $kind == shape-compressed || $kind == shape-binary ]] || continue
  total=$((total + 1)); kinds_total[$kind]=$(( ${kinds_total[$kind]:-0} + 1 ))
  run=$scratch/run; rm -rf "$run"; mkdir -p "$run"
  message=$(cd "$run" && "$tool" "$corpus/$path" /u /o:new_asc.s 2>&1)
  status=$?
  if [[ $status -ne 0 || ! -f $run/new_asc.s ]]; then
    failures+=("decompress $path: exit $status: $message"); continue
  fi
  if [[ $(head -c 2 "$run/new_asc.s" | od -An -tx1 | tr -d ' ') != fffe ]]; then
    failures+=("decompress $path: result does not start with FF FE"); continue
  fi
  decompressed=$((decompressed + 1)); kinds_ok[$kind]=$(( ${kinds_ok[$kind]:-0} + 1 ))
  [ -x "$cli" ] || continue
  # The result as the converter leaves it: NAME_ASC.s beside the source's files.
  mirror=$scratch/mirror/$total; mkdir -p "$mirror"
  for f in "$corpus/$(dirname "$path")"/*; do ln -s "$f" "$mirror/"; done
  name=$(basename "$path"); twin=$mirror/${name%.*}_ASC.s
  rm -f "$twin"; mv "$run/new_asc.s" "$twin"
  "$cli" -v -j 1 -o "$scratch/out/$total" "$twin" > "$scratch/cli.out" 2> "$scratch/cli.err"
  status=$?
  n=$(grep -c ': warning: ' "$scratch/cli.err")
  beeps=$((beeps + n)); [ "$n" -gt 0 ] && converted_with_beeps=$((converted_with_beeps + 1))
  if grep -q '^\*\*\*\*\* FINISHED \*\*\*\*\*' "$scratch/cli.out" && [ $status -eq 0 ]; then
    finished=$((finished + 1))
  else
    failures+=("convert $path: exit $status: $(grep -v ': warning: ' "$scratch/cli.err" | head -n 3 | tr '\n' ' ')")
  fi
  rm -rf "$mirror" "$scratch/out/$total"
done < "$corpus/MANIFEST.tsv"

echo "shapes: $total (compressed ${kinds_total[shape-compressed]:-0}, binary ${kinds_total[shape-binary]:-0})"
echo "decompressed: $decompressed (compressed ${kinds_ok[shape-compressed]:-0}, binary ${kinds_ok[shape-binary]:-0})"
if [ -x "$cli" ]; then
  echo "converted to the closing line: $finished; beeps: $beeps in $converted_with_beeps shapes"
else
  echo "conversion skipped: no $cli"
fi
echo "failures: ${#failures[@]}"
for f in "${failures[@]}"; do echo "  $f"; done
[ "$golden_failures" -eq 0 ] && [ ${#failures[@]} -eq 0 ]
