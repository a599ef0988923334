#!/usr/bin/env bash
# vehicles.sh CORPUS [BUILD_DIR]: the cost of real vehicles, part by part. Builds Release
# (default build-bench beside the sources) and converts every vehicle below CORPUS (a folder
# of MSTS content, read where it lies: --read-only-sources, the output in a temporary folder)
# with a report, first at -j 1 and -j $(nproc) for the wall time (medians), then once at -j 1 under perf, whose samples are split by what was running:
#   decompression  the shape tool (its own process) and starting it
#   source         reading the ENG/WAG file and finding the shape
#   conversion     the shape text to the model file, textures apart
#   textures       .ace to .tga through the texture library
#   staging        the vehicle's working folder: making it, removing it
#   publishing     moving the finished files into the output folder
#   report         the CSV report
#   other          start-up, planning the collection, scheduling, printing
# and printed as a share and in milliseconds of CPU per vehicle, so that the next step can
# be chosen from figures. SHAPES=1 takes the shapes that no ENG/WAG file names too (--shapes);
# REPEAT rounds for the wall time (default 3); KEEP=1 keeps the temporary folder. Needs perf (Debian package linux-perf) and the right to use it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:?usage: vehicles.sh CORPUS [BUILD_DIR]}
corpus=$(cd "$corpus" && pwd)
build=${2:-$root/build-bench}
repeat=${REPEAT:-3}
shapes=()
[ "${SHAPES:-0}" = 1 ] && shapes=(--shapes)
command -v perf >/dev/null || { echo "vehicles.sh: perf is missing (Debian package linux-perf)" >&2; exit 2; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHAPEWRIGHT_WERROR=OFF \
  -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target shapewright-cli texconv ffeditc_unicode >/dev/null
cli=$build/bin/shapewright-cli

scratch=$(mktemp -d)
[ "${KEEP:-0}" = 1 ] && echo "vehicles.sh: keeping $scratch" >&2 || trap 'rm -rf "$scratch"' EXIT

# convert JOBS [COMMAND PREFIX...]: one run over the corpus; prints its wall time in seconds.
convert() {
  local jobs=$1; shift
  rm -rf "$scratch/out"
  local start end
  start=$(date +%s%N)
  "$@" "$cli" -q -j "$jobs" "${shapes[@]}" --read-only-sources --report "$scratch/report.csv" \
    -o "$scratch/out" "$corpus" >"$scratch/stdout.txt" 2>"$scratch/stderr.txt" || true
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))e-6"
}

convert 1 >/dev/null  # unmeasured: the corpus into the page cache
summary=$(tail -n 1 "$scratch/stdout.txt")
vehicles=$(sed -n 's/^converted [0-9]* of \([0-9]*\) vehicles\{0,1\},.*/\1/p' <<<"$summary")
[ -n "$vehicles" ] && [ "$vehicles" -gt 0 ] || { echo "vehicles.sh: no vehicles below $corpus" >&2; exit 1; }
cores=$(nproc)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for ((n = 0; n < repeat; ++n)); do
  echo "1 $(convert 1)" >>"$scratch/walls.txt"
  echo "$cores $(convert "$cores")" >>"$scratch/walls.txt"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

perf record -q -e cpu-clock -F 2000 --call-graph dwarf,32768 -o "$scratch/perf.data" -- \
  "$cli" -q -j 1 "${shapes[@]}" --read-only-sources --report "$scratch/report.csv" -o "$scratch/out.perf" \
  "$corpus" >/dev/null 2>&1 || true
perf script -i "$scratch/perf.data" -F comm,ip,sym,dso 2>/dev/null >"$scratch/samples.txt"

echo "corpus    $corpus"
echo "vehicles  $summary"
echo "load      $load_before -> $load_after (1, 5, 15 min, before -> after)"
sort -k1,1n -k2,2g "$scratch/walls.txt" | awk -v vehicles="$vehicles" -v repeat="$repeat" '
{ n[$1]++; s[$1, n[$1]] = $2 + 0; if (!($1 in seen)) { seen[$1] = 1; order[++k] = $1 } }
END {
  for (i = 1; i <= k; i++) {
    j = order[i]; m = n[j];
    t = m % 2 ? s[j, (m + 1) / 2] : (s[j, m / 2] + s[j, m / 2 + 1]) / 2;
    wall[j] = t;
    printf "-j %-5d  %.2f s, %.1f ms a vehicle, %.1f vehicles/s (median of %d)\n", j, t,
           1000 * t / vehicles, vehicles / t, repeat;
  }
  if (k > 1) printf "speed-up  %.2f at -j %d over -j 1\n", wall[order[1]] / wall[order[k]], order[k];
}'
# Each sample: a header line naming the process, then its stack from the innermost frame out.
# The innermost frame that names a part decides; a sample of the shape tool is decompression.
awk -v vehicles="$vehicles" '
function part_of(frame) {
  if (frame ~ /libtexconv|AceToTga/) return "textures";
  if (frame ~ /DecompressShape|SharedDecompressions/) return "decompression";
  if (frame ~ /Publisher::Publish/) return "publishing";
  if (frame ~ /FormatReport|WriteWholeFile/) return "report";
  if (frame ~ /RunConversion/) return "conversion";
  if (frame ~ /PrepareChosenSource/) return "source";
  if (frame ~ /CreateFolders|RemoveFolder|MakeWorkingFolder|RemoveWorkingFolder/) return "staging";
  return "";
}
function finish() {
  if (!in_sample) return;
  if (part == "") part = "other";
  count[part]++; total++; in_sample = 0;
}
/^\t/ { if (part == "") part = part_of($0); next }
/^ *[^ \t]/ { finish(); in_sample = 1; part = ($1 ~ /^ffeditc/) ? "decompression" : ""; next }
/^$/ { finish() }
END {
  finish();
  if (total == 0) { print "perf gave no samples (perf_event_paranoid?)"; exit }
  printf "CPU under perf at -j 1: %d samples at 2000 a second, %.2f s\n", total, total / 2000;
  printf "%-14s %7s %14s\n", "part", "share", "ms a vehicle";
  n = split("decompression source conversion textures staging publishing report other", names, " ");
  for (i = 1; i <= n; i++)
    printf "%-14s %6.1f%% %14.2f\n", names[i], 100 * count[names[i]] / total,
           1000 * count[names[i]] / 2000 / vehicles;
}' "$scratch/samples.txt"
