#!/usr/bin/env bash
# smoke-check.sh [BUILD_DIR]: converts every rolling-stock set of the real-content corpus from
# its ENG/WAG file (as smoke-vehicles.sh does), then every shape of the corpus on its own (text,
# compressed or binary, without a length), and runs shapewright-cli --check over each model file
# made, with --preview when PREVIEW=1. Each conversion runs from a temporary folder of links, so
# the corpus is never written. Prints a line per model file, the counts of models with errors
# and with warnings, and every distinct finding (numbers and names masked) with how often.
# Needs shapewright-cli, texconv and ffeditc_unicode built. Exit status 1 when a model has
# errors or a check crashed.
# Environment: CORPUS (default ../shared/corpus from the project root), KEEP=DIR keeps the output there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
corpus=${CORPUS:-$root/../shared/corpus}
cli=$build/bin/shapewright-cli
[ -x "$cli" ] || { echo "smoke-check.sh: build $build first" >&2; exit 2; }
scratch=${KEEP:-$(mktemp -d)}
[ -n "${KEEP:-}" ] || trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"
preview=()
[ "${PREVIEW:-0}" = 1 ] && preview=(--preview)

models=0 with_errors=0 with_warnings=0 broken=0
: >"$scratch/findings.txt"

# check_models WORK LABEL: checks every model file in WORK/out.
check_models() {
  local work=$1 label=$2 stk status summary
  for stk in "$work/out"/*.stk; do
    [ -f "$stk" ] || continue
    models=$((models + 1))
    status=0
    timeout 60 "$cli" --check "${preview[@]}" "$stk" >"$work/check.txt" 2>&1 || status=$?
    sed -n 's/^[^:]*:[0-9]*: \(error\|warning\): /\1: /p' "$work/check.txt" |
      sed 's/component [^ :]*/component X/; s/texture [^ ]* is/texture X is/; s/[0-9][0-9]*/N/g' \
        >>"$scratch/findings.txt"
    summary=$(tail -n 1 "$work/check.txt")
    if [ "$status" -gt 1 ]; then
      broken=$((broken + 1)); echo "BROKEN  $label: exit $status"
    elif [ "$status" -eq 1 ]; then
      with_errors=$((with_errors + 1)); echo "errors  $label: $summary"
    elif grep -q 'warning:' "$work/check.txt"; then
      with_warnings=$((with_warnings + 1)); echo "warn    $label: $summary"
    else
      echo "ok      $label"
    fi
  done
}

# convert_and_check N PATH: converts PATH of the corpus in a folder of links, then checks.
convert_and_check() {
  local work=$scratch/$1
  mkdir -p "$work/in" "$work/out"
  find "$corpus/$(dirname "$2")" -maxdepth 1 -type f -exec ln -sf -t "$work/in" {} +
  (cd "$work/in" && timeout 120 "$cli" -o "$work/out" "$(basename "$2")" >/dev/null 2>&1) || true
  check_models "$work" "$2"
}

vehicles=0
while IFS= read -r eng; do
  vehicles=$((vehicles + 1))
  convert_and_check "vehicle$vehicles" "$eng"
done < <(awk -F'\t' 'NR > 1 && ($4 == "eng" || $4 == "wag") { print $3 }' "$corpus/MANIFEST.tsv")
shapes=0
while IFS= read -r shape; do
  shapes=$((shapes + 1))
  convert_and_check "shape$shapes" "$shape"
done < <(awk -F'\t' 'NR > 1 && $4 ~ /^shape-/ { print $3 }' "$corpus/MANIFEST.tsv")

echo "vehicles: $vehicles, shapes: $shapes, model files: $models, with errors: $with_errors," \
  "with warnings only: $with_warnings, crashed: $broken"
sort "$scratch/findings.txt" | uniq -c | sort -rn | head -n 30
[ "$broken" -eq 0 ] && [ "$with_errors" -eq 0 ]
