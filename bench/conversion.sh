#!/usr/bin/env bash
# conversion.sh [BUILD_DIR]: the conversion benchmark. Builds Release (default build-bench beside
# the sources), generates a large shape text (about 250 MB of UTF-16) in a temporary folder,
# then measures in one run the wall time, CPU time and peak memory of shapewright-cli
# converting it beside iconv decoding the same file, and compares the peak memory with the
# size of the shape tables the file announces.
#
# Goals: the conversion within 4 times iconv's time; its peak memory within the tables' size
# plus a few MB above the program's own footprint (measured as its peak for --version), and at
# most 20 MB in all: nothing reads the model file back after writing it.
# Environment: REPEAT (default 3) runs of each, the fastest counts; POINTS and SUB_OBJECTS
# size the shape (default 1000000 and 200); KEEP=1 keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
repeat=${REPEAT:-3}
points=${POINTS:-1000000}
sub_objects=${SUB_OBJECTS:-200}

timer=/usr/bin/time
if [ ! -x "$timer" ]; then
  echo "conversion.sh: $timer is missing (Debian package 'time')" >&2
  exit 2
fi
command -v iconv >/dev/null || { echo "conversion.sh: iconv is missing" >&2; exit 2; }

# The benchmark measures, it does not gate warnings: -Werror stays off here.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHAPEWRIGHT_WERROR=OFF \
  -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target shapewright-cli sw_bench_make_shape >/dev/null

scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then
  echo "keeping $scratch"
else
  trap 'rm -rf "$scratch"' EXIT
fi
shape=$scratch/bench.s
"$build/bench/conversion/sw_bench_make_shape" "$shape" --points "$points" --sub-objects "$sub_objects" \
  >"$scratch/counts.txt"
# The counts as shell variables: points=..., uv_points=..., and so on.
while IFS='=' read -r name value; do
  printf -v "count_$name" '%s' "$value"
done <"$scratch/counts.txt"
bytes=$(stat -c %s "$shape")

# One measured run: "wall user system peak_kb" on stdout; the command's own output discarded
# unless a file is given.
measure() {
  local out=$1; shift
  "$timer" -f '%e %U %S %M' -o "$scratch/time.txt" "$@" >"$out" 2>"$scratch/stderr.txt" || true
  cat "$scratch/time.txt"
}

cli=$build/bin/shapewright-cli
read -r _ _ _ base_kb < <(measure /dev/null "$cli" --version)
best_conv="" best_iconv=""
for ((n = 0; n < repeat; ++n)); do
  conv=$(measure "$scratch/log.txt" "$cli" -j 1 -q --output-dir "$scratch/out" "$shape")
  if ! grep -q '^converted 1 of 1 vehicle, 0 failed' "$scratch/log.txt"; then
    echo "conversion.sh: the conversion did not finish:" >&2
    cat "$scratch/stderr.txt" >&2
    exit 1
  fi
  warnings=$(sed -n 's/.* failed, \([0-9]*\) warnings\{0,1\},.*/\1/p' "$scratch/log.txt")
  conv_iconv=$(measure /dev/null iconv -f UTF-16LE -t UTF-8 "$shape")
  if [ -z "$best_conv" ] || awk -v a="$conv" -v b="$best_conv" 'BEGIN { split(a, x, " "); split(b, y, " "); exit !(x[1] < y[1]) }'; then
    best_conv=$conv
  fi
  if [ -z "$best_iconv" ] || awk -v a="$conv_iconv" -v b="$best_iconv" 'BEGIN { split(a, x, " "); split(b, y, " "); exit !(x[1] < y[1]) }'; then
    best_iconv=$conv_iconv
  fi
done
model_bytes=$(stat -c %s "$scratch/out/bench.stk")

# The tables the file announces, at the engine's entry sizes: points and normals 12 bytes,
# uv_points 8, a matrix 12 floats with its name, parent and includes (about 128), an image
# name (32), a vtx_state 4, a prim_state 8; plus the largest sub-object's vertex table
# (16 bytes a vertex) and its vertex buffer order (4 bytes a vertex).
tables=$((count_points * 12 + count_uv_points * 8 + count_normals * 12 + count_matrices * 128 +
  count_images * 32 + count_vtx_states * 4 + count_prim_states * 8 + count_vertices_per_sub_object * 20))

awk -v conv="$best_conv" -v ic="$best_iconv" -v bytes="$bytes" -v tables="$tables" -v base="$base_kb" \
    -v model="$model_bytes" -v warnings="$warnings" -v repeat="$repeat" '
BEGIN {
  split(conv, c, " "); split(ic, i, " ");
  mb = 1048576;
  printf "shape text          %.1f MB (UTF-16), model file %.1f MB, %d warnings\n", bytes / mb, model / mb, warnings;
  printf "                    wall s   user s   sys s   peak RSS MB   (fastest of %d)\n", repeat;
  printf "shapewright-cli     %6.2f   %6.2f   %5.2f   %8.1f\n", c[1], c[2], c[3], c[4] / 1024;
  printf "iconv               %6.2f   %6.2f   %5.2f   %8.1f\n", i[1], i[2], i[3], i[4] / 1024;
  wall_ratio = i[1] > 0 ? c[1] / i[1] : 0;
  cpu_ratio = (i[2] + i[3]) > 0 ? (c[2] + c[3]) / (i[2] + i[3]) : 0;
  printf "time ratio          wall %.2fx, CPU %.2fx iconv (goal: within 4x)  %s\n", wall_ratio, cpu_ratio,
         wall_ratio <= 4 ? "met" : "MISSED";
  peak = c[4] * 1024; own = base * 1024;
  printf "memory              peak %.1f MB = program %.1f MB + %.1f MB; tables %.1f MB; excess %.1f MB  %s\n",
         peak / mb, own / mb, (peak - own) / mb, tables / mb, (peak - own - tables) / mb,
         peak - own - tables <= 4 * mb ? "met" : "MISSED";
  printf "peak memory         %.1f MB (goal: at most 20 MB)  %s\n", peak / mb, peak <= 20 * mb ? "met" : "MISSED";
  printf "throughput          conversion %.0f MB/s, iconv %.0f MB/s (wall)\n", bytes / mb / c[1], bytes / mb / i[1];
}'
