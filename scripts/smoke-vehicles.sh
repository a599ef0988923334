#!/usr/bin/env bash
# smoke-vehicles.sh [BUILD_DIR]: converts every rolling-stock set of the real-content corpus
# from its ENG/WAG file, as a user would: shapewright-cli takes the shape and the length from
# the description file and decompresses the shape when it is not text. Each vehicle runs from
# a temporary folder of links to its corpus folder, below one of links to the parent folder
# (where an include such as "..\\NAME.wag" and its shape lead), so the corpus is never written.
# Prints a line per vehicle with its Weight, Power, TE and Max lines, and the counts:
# decompressed, finished, warnings, failures (with their reasons). Exit status 1 when any run
# crashed or timed out.
# Environment: CORPUS (default ../shared/corpus from the project root), TIMEOUT seconds per vehicle (default 120).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
corpus=${CORPUS:-$root/../shared/corpus}
limit=${TIMEOUT:-120}
cli=$build/bin/shapewright-cli
[ -x "$cli" ] || { echo "smoke-vehicles.sh: build $build first" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

total=0 finished=0 decompressed=0 warnings=0 failed=0 broken=0
while IFS= read -r eng; do
  total=$((total + 1))
  work=$scratch/$total
  folder=$(dirname "$eng")
  mkdir -p "$work/up/in" "$work/out"
  find "$corpus/$folder" -maxdepth 1 -type f -exec ln -s -t "$work/up/in" {} +
  find "$corpus/$(dirname "$folder")" -maxdepth 1 -type f -exec ln -s -t "$work/up" {} +
  status=0
  (cd "$work/up/in" && timeout "$limit" "$cli" -v -j 1 -o "$work/out" "$(basename "$eng")" \
      >"$work/stdout" 2>"$work/stderr") || status=$?
  grep -q '^Checking for decompressed file$' "$work/stdout" && ls "$work/up/in" "$work/up" | grep -q '_ASC\.s$' &&
    decompressed=$((decompressed + 1))
  w=$(grep -c ': warning: ' "$work/stderr" || true)
  warnings=$((warnings + w))
  if grep -q '\*\*\*\*\* FINISHED \*\*\*\*\*' "$work/stdout" && [ "$status" -eq 0 ]; then
    finished=$((finished + 1))
    values=$(grep -h -E '^\s*(Weight|Power|TE|Max)\s' "$work"/out/*.stk | tr -d '\r' |
      tr -s '\t ' ' ' | paste -s -d ',' - || true)
    echo "ok      $eng ($w warnings):${values:- no vehicle lines}"
  elif [ "$status" -eq 1 ]; then
    failed=$((failed + 1))
    echo "failed  $eng: $(grep ': error: ' "$work/stderr" | head -n 1)"
  else
    broken=$((broken + 1))
    echo "BROKEN  $eng: exit $status: $(tail -n 2 "$work/stderr" | tr '\n' ' ')"
  fi
done < <(awk -F'\t' 'NR > 1 && ($4 == "eng" || $4 == "wag") { print $3 }' "$corpus/MANIFEST.tsv")
echo "vehicles: $total, decompressed: $decompressed, finished: $finished, warnings: $warnings, failed: $failed, crashed or timed out: $broken"
[ "$broken" -eq 0 ]
