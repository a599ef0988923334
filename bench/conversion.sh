#!/usr/bin/env bash
# conversion.sh [BUILD_DIR]: the conversion benchmark. Builds Release (default build-bench beside
# the sources), generates a large shape text (about 250 MB of UTF-16) in a temporary folder,
# then measures, in rounds that run each command once in turn (so that a load on the machine
# falls on all of them alike), shapewright-cli converting it, iconv decoding the same file,
# and what the machine needs at the least: reading the file (cat) and writing as many bytes
# as the model file has (dd). It prints the medians, their ratios to iconv, and the peak
# memory of the conversion beside the size of the shape tables the file announces.
#
# Goals: the conversion within 1.5 times iconv's time; its peak memory at most 20 MB
# (nothing reads the model file back after writing it). The physical limit's ratio says how
# far below that a conversion could go at all.
# Environment: REPEAT rounds (default 5); POINTS and SUB_OBJECTS size the shape (default
# 1000000 and 200); BASE_CLI, another shapewright-cli measured in the same rounds (an
# earlier build, for a before and after); KEEP=1 keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
repeat=${REPEAT:-5}
points=${POINTS:-1000000}
sub_objects=${SUB_OBJECTS:-200}
base_cli=${BASE_CLI:-}

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

# One measured run of NAME: "NAME wall user system peak_kb" appended to the samples; the
# command's output goes to out. The wall time is taken around the timer, in nanoseconds.
measure() {
  local name=$1 out=$2; shift 2
  local start end
  start=$(date +%s%N)
  "$timer" -f '%U %S %M' -o "$scratch/time.txt" "$@" >"$out" 2>"$scratch/stderr.txt" || true
  end=$(date +%s%N)
  echo "$name $(((end - start) / 1000)) $(cat "$scratch/time.txt")" >>"$scratch/samples.txt"
}

cli=$build/bin/shapewright-cli
convert() {
  local name=$1 program=$2
  rm -rf "$scratch/out"
  measure "$name" "$scratch/log.txt" "$program" -j 1 -q --output-dir "$scratch/out" "$shape"
  if ! grep -q '^converted 1 of 1 vehicle, 0 failed' "$scratch/log.txt"; then
    echo "conversion.sh: $name did not finish the conversion:" >&2
    cat "$scratch/stderr.txt" >&2
    exit 1
  fi
}
"$timer" -f '%M' -o "$scratch/base_kb.txt" "$cli" --version >/dev/null
base_kb=$(cat "$scratch/base_kb.txt")
convert cli "$cli"  # once unmeasured: the file in the page cache, the model's size known
sed -i '/^cli /d' "$scratch/samples.txt"
warnings=$(sed -n 's/.* failed, \([0-9]*\) warnings\{0,1\},.*/\1/p' "$scratch/log.txt")
model_bytes=$(stat -c %s "$scratch/out/bench.stk")
cp "$scratch/out/bench.stk" "$scratch/model.stk"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for ((n = 0; n < repeat; ++n)); do
  convert cli "$cli"
  measure iconv /dev/null iconv -f UTF-16LE -t UTF-8 "$shape"
  if [ -n "$base_cli" ]; then
    convert base "$base_cli"
    cmp -s "$scratch/out/bench.stk" "$scratch/model.stk" || echo "conversion.sh: BASE_CLI wrote another model file" >&2
  fi
  measure read /dev/null cat "$shape"
  measure write /dev/null dd if=/dev/zero of="$scratch/dd.out" bs=1M count="$model_bytes" \
    iflag=count_bytes
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The tables the file announces, at the engine's entry sizes: points and normals 12 bytes,
# uv_points 8, a matrix 12 floats with its name, parent and includes (about 128), an image
# name (32), a vtx_state 4, a prim_state 8; plus the largest sub-object's vertex table
# (16 bytes a vertex) and its vertex buffer order (4 bytes a vertex).
tables=$((count_points * 12 + count_uv_points * 8 + count_normals * 12 + count_matrices * 128 +
  count_images * 32 + count_vtx_states * 4 + count_prim_states * 8 + count_vertices_per_sub_object * 20))

sort -k1,1 -k2,2n "$scratch/samples.txt" | awk -v bytes="$bytes" -v tables="$tables" -v base="$base_kb" \
    -v model="$model_bytes" -v warnings="$warnings" -v repeat="$repeat" \
    -v load="$load_before -> $load_after" '
{ n[$1]++; wall[$1, n[$1]] = $2 / 1e6; user[$1, n[$1]] = $3; sys[$1, n[$1]] = $4;
  if ($5 > peak[$1]) peak[$1] = $5 }
function median(a, name,   k, m, v, i, j, t) {
  m = n[name];
  for (i = 1; i <= m; i++) v[i] = a[name, i];
  for (i = 2; i <= m; i++) { t = v[i]; for (j = i - 1; j >= 1 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
  return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2;
}
function line(label, name) {
  printf "%-20s %6.3f   %6.2f   %5.2f   %8.1f\n", label, median(wall, name), median(user, name),
         median(sys, name), peak[name] / 1024;
}
END {
  mb = 1048576;
  printf "shape text          %.1f MB (UTF-16), model file %.1f MB, %d warnings\n", bytes / mb, model / mb, warnings;
  printf "load average        %s (1, 5, 15 min, before -> after)\n", load;
  printf "                     wall s   user s   sys s   peak RSS MB   (medians of %d rounds)\n", repeat;
  line("shapewright-cli", "cli");
  if (n["base"]) line("BASE_CLI", "base");
  line("iconv", "iconv");
  line("cat (read)", "read");
  line("dd (write)", "write");
  ic = median(wall, "iconv");
  ratio = median(wall, "cli") / ic;
  printf "time ratio          %.2fx iconv (goal: at most 1.5x)  %s\n", ratio, (ratio <= 1.5 ? "met" : "MISSED");
  if (n["base"]) printf "BASE_CLI            %.2fx iconv; shapewright-cli %.2fx as fast\n",
                        median(wall, "base") / ic, median(wall, "base") / median(wall, "cli");
  printf "physical limit      %.2fx iconv (reading the file and writing the model'"'"'s bytes)\n",
         (median(wall, "read") + median(wall, "write")) / ic;
  peak_bytes = peak["cli"] * 1024; own = base * 1024;
  printf "memory              peak %.1f MB = program %.1f MB + %.1f MB; tables %.1f MB; excess %.1f MB\n",
         peak_bytes / mb, own / mb, (peak_bytes - own) / mb, tables / mb, (peak_bytes - own - tables) / mb;
  printf "peak memory         %.1f MB (goal: at most 20 MB)  %s\n", peak_bytes / mb,
         (peak_bytes <= 20 * mb ? "met" : "MISSED");
  printf "throughput          conversion %.0f MB/s, iconv %.0f MB/s (wall)\n",
         bytes / mb / median(wall, "cli"), bytes / mb / ic;
}'
