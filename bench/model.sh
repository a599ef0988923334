#!/usr/bin/env bash
# model.sh [BUILD_DIR] [FILE.stk...]: the preview and checker benchmark. Builds Release
# (default build-bench beside the sources), then measures
#   - loading and rendering the 1280x480 preview of a generated 200,000-triangle model and of
#     every FILE.stk given (e.g. the largest vehicle of a corpus conversion);
#   - the checker on the model file of the conversion benchmark's generated shape (about 250 MB
#     of shape text; its model file is of the same order), against that conversion's own time.
#   - --check --preview of a hostile model placing 20,000 triangles 2^20 times: drawing is
#     bounded by the input, whatever the file places.
# Goals: a real vehicle's preview under 0.2 s on one core; the check within 2x the conversion;
# the hostile model under 10 s.
# Environment: POINTS and SUB_OBJECTS size the generated shape (default 1000000 and 200);
# TRIANGLES the generated model (default 200000); KEEP=1 keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
shift || true
timer=/usr/bin/time
[ -x "$timer" ] || { echo "model.sh: $timer is missing (Debian package 'time')" >&2; exit 2; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHAPEWRIGHT_WERROR=OFF \
  -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target shapewright-cli sw_bench_model sw_bench_make_shape >/dev/null

scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $scratch"; else trap 'rm -rf "$scratch"' EXIT; fi
bench=$build/bench/model/sw_bench_model
cli=$build/bin/shapewright-cli

"$bench" generate "${TRIANGLES:-200000}" "$scratch/generated.stk"
echo "== preview, 1280x480, one core"
"$bench" render "$scratch/generated.stk" "$@"

echo "== a hostile model: 20,000 triangles placed 2^20 times (goal: --check --preview under 10 s)"
"$bench" generate-deep "$scratch/deep.stk"
"$timer" -q -f '%e %M' -o "$scratch/deep.txt" timeout 600 "$cli" --check --preview "$scratch/deep.stk" \
  >"$scratch/deep-out.txt" 2>&1 || true
read -r dw dm <"$scratch/deep.txt"
grep 'drawn in part' "$scratch/deep-out.txt" || echo "no warning of a partial picture"
awk -v dw="$dw" -v dm="$dm" 'BEGIN {
  printf "deep model  %6.2f s wall, peak %7.1f MB  %s\n", dw, dm / 1024, dw < 10 ? "met" : "MISSED";
}'

echo "== checker against the conversion"
"$build/bench/conversion/sw_bench_make_shape" "$scratch/bench.s" --points "${POINTS:-1000000}" \
  --sub-objects "${SUB_OBJECTS:-200}" >/dev/null
"$timer" -f '%e %U %S %M' -o "$scratch/convert.txt" "$cli" -o "$scratch/out" "$scratch/bench.s" \
  >/dev/null 2>&1 || true
"$timer" -f '%e %U %S %M' -o "$scratch/check.txt" "$cli" --check "$scratch/out/bench.stk" \
  >"$scratch/check-out.txt" 2>&1 || true
shape_mb=$(($(stat -c %s "$scratch/bench.s") / 1048576))
model_mb=$(($(stat -c %s "$scratch/out/bench.stk") / 1048576))
read -r cw cu cs cm <"$scratch/convert.txt"
read -r kw ku ks km <"$scratch/check.txt"
echo "shape text ${shape_mb} MB, model file ${model_mb} MB: $(tail -n 1 "$scratch/check-out.txt")"
awk -v cw="$cw" -v cu="$cu" -v cm="$cm" -v kw="$kw" -v ku="$ku" -v km="$km" 'BEGIN {
  printf "conversion  %6.2f s wall, %6.2f s user, peak %7.1f MB\n", cw, cu, cm / 1024;
  printf "check       %6.2f s wall, %6.2f s user, peak %7.1f MB\n", kw, ku, km / 1024;
  printf "ratio       %.2fx the conversion (goal: within 2x)  %s\n", kw / cw, kw <= 2 * cw ? "met" : "MISSED";
}'
