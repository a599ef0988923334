#!/usr/bin/env bash
# batch.sh [BUILD_DIR]: the batch benchmark. Builds Release (default build-bench beside the
# sources), generates a collection in a temporary folder, then converts the whole collection
# with shapewright-cli at -j 1 and at -j $(nproc) and prints vehicles per second, the speed-up
# and the peak memory of each run (/usr/bin/time -v).
#
# The collection: SETS folders (default 260, so 520 vehicles), each with a loaded and an empty
# WAG file on one shape of realistic size (POINTS points, default 6000, in SUB_OBJECTS
# sub-objects, default 6); every third shape is stored compressed, so its text twin is made
# during the run; the twelve textures that every shape names are shared by all sets.
#
# Goals: a speed-up of at least 1.8 on 2 cores and no slower than -j 1 on 1 core; peak memory
# bounded by the jobs, not by the collection. Environment: SETS, POINTS, SUB_OBJECTS; KEEP=1
# keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
sets=${SETS:-260}
points=${POINTS:-6000}
sub_objects=${SUB_OBJECTS:-6}
timer=/usr/bin/time
[ -x "$timer" ] || { echo "batch.sh: $timer is missing (Debian package 'time')" >&2; exit 2; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHAPEWRIGHT_WERROR=OFF \
  -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target shapewright-cli texconv ffeditc_unicode \
  sw_bench_make_shape sw_bench_compress_shape >/dev/null
cli=$build/bin/shapewright-cli
make_shape=$build/bench/conversion/sw_bench_make_shape
compress=$build/bench/batch/sw_bench_compress_shape

scratch=$(mktemp -d)
[ "${KEEP:-0}" = 1 ] && echo "batch.sh: keeping $scratch" >&2 || trap 'rm -rf "$scratch"' EXIT

# A handful of distinct shapes, sized around POINTS, then one copy per set.
collection=$scratch/TRAINSET
mkdir -p "$scratch/shapes" "$scratch/textures" "$collection"
for n in 0 1 2 3 4 5; do
  "$make_shape" "$scratch/shapes/$n.s" --points $((points + n * points / 5)) \
    --sub-objects "$sub_objects" >/dev/null
done
textures=("$root"/examples/steam-loco/*.ace)
t=0
for part in body roof cab bogie wheel rods interior glass underframe buffers lamps details; do
  cp "${textures[$((t % ${#textures[@]}))]}" "$scratch/textures/bench_$part.ace"
  t=$((t + 1))
done
for s in $(seq 1 "$sets"); do
  set_dir=$collection/set$s
  mkdir -p "$set_dir"
  shape=car$s.s
  if [ $((s % 3)) -eq 0 ]; then
    "$compress" "$scratch/shapes/$((s % 6)).s" "$set_dir/$shape"
  else
    cp "$scratch/shapes/$((s % 6)).s" "$set_dir/$shape"
  fi
  ln "$scratch"/textures/*.ace "$set_dir/"
  for load in ld mt; do
    printf '\xff\xfe' >"$set_dir/car${s}_$load.wag"
    printf 'Wagon ( car%s_%s\r\n\tWagonShape ( %s )\r\n\tSize ( 3m 4m 17.5m )\r\n\tMass ( %st )\r\n)\r\n' \
      "$s" "$load" "$shape" "$([ $load = ld ] && echo 80 || echo 25)" |
      iconv -f UTF-8 -t UTF-16LE >>"$set_dir/car${s}_$load.wag"
  done
done
vehicles=$((sets * 2))
echo "collection=$vehicles vehicles, $sets shapes ($((sets / 3)) compressed), $(du -sh "$collection" | cut -f1)"

# One run: the twins of the compressed shapes are removed first, so every run makes them.
run() {
  local jobs=$1 label=$2
  find "$collection" -name '*_ASC.s' -delete
  rm -rf "$scratch/out"
  sync  # the generator's writing back does not fall into the measured run
  local start end
  start=$(date +%s.%N)
  "$timer" -v -o "$scratch/time.$label" "$cli" -q -j "$jobs" -o "$scratch/out" "$collection" \
    >"$scratch/stdout.$label" 2>"$scratch/stderr.$label" || true
  end=$(date +%s.%N)
  local seconds rss
  seconds=$(echo "$end - $start" | bc -l)
  rss=$(awk -F: '/Maximum resident/ {gsub(/ /, "", $2); print $2}' "$scratch/time.$label")
  local cpu
  cpu=$(awk -F: '/Percent of CPU/ {gsub(/ /, "", $2); print $2}' "$scratch/time.$label")
  printf '%s: %s, %.2f s, %.1f vehicles/s, %s CPU, peak %d MB\n' "$label" \
    "$(tail -n 1 "$scratch/stdout.$label")" "$seconds" "$(echo "$vehicles / $seconds" | bc -l)" \
    "$cpu" $((rss / 1024))
  eval "seconds_$label=$seconds"
}
cores=$(nproc)
run 1 j1
run "$cores" "j$cores"
eval "parallel=\$seconds_j$cores"
printf 'speed-up at -j %d over -j 1: %.2f\n' "$cores" "$(echo "$seconds_j1 / $parallel" | bc -l)"
