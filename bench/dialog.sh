#!/usr/bin/env bash
# dialog.sh [BUILD_DIR]: the dialog benchmark. Generates a shape of 5,000 primitives or more
# (one primitive per sub-object, so about three log lines per primitive: the most log for
# the work), then in one run times its conversion through the real main dialog (the Convert
# click, the dialog shown on the offscreen platform, or on Xvfb with PLATFORM=xcb), through
# the engine alone in the same process, and through shapewright-cli.
#
# Goal: the dialog within 1.1 times the CLI, under 10% of its time in the log. Wall and CPU
# time are both given; on a busy machine the CPU figures are the steadier ones.
# Environment: REPEAT (default 5, the fastest counts), POINTS and SUB_OBJECTS size the shape
# (default 1000000 and 5000), PLATFORM (offscreen or xcb), KEEP=1 keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-ui}
repeat=${REPEAT:-5}
points=${POINTS:-1000000}
sub_objects=${SUB_OBJECTS:-5000}
platform=${PLATFORM:-offscreen}

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --parallel 2 --target shapewright-cli sw_bench_dialog sw_bench_make_shape >/dev/null

scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ "${KEEP:-0}" = 1 ]; then echo "kept $scratch"; else rm -rf "$scratch"; fi
}
trap cleanup EXIT

shape=$scratch/bench.s
"$build/bench/conversion/sw_bench_make_shape" "$shape" --points "$points" --sub-objects "$sub_objects" \
  >"$scratch/counts.txt"
primitives=$(awk -F= '$1 == "primitives_per_sub_object" { p = $2 } $1 == "sub_objects" { s = $2 }
  END { print p * s }' "$scratch/counts.txt")
mkdir -p "$scratch/cli" "$scratch/dialog"

if [ "$platform" = xcb ]; then
  command -v Xvfb >/dev/null || { echo "dialog.sh: PLATFORM=xcb needs Xvfb (Debian package xvfb)" >&2; exit 2; }
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  sleep 1
fi

# The CLI: wall and CPU time of the whole process, its log lines (-v, as the dialog shows them)
# to a file, fastest of REPEAT.
[ -x /usr/bin/time ] || { echo "dialog.sh: /usr/bin/time is missing (Debian package 'time')" >&2; exit 2; }
best_cli="" best_cli_cpu=""
for ((n = 0; n < repeat; ++n)); do
  /usr/bin/time -f '%e %U %S' -o "$scratch/time.txt" \
    "$build/bin/shapewright-cli" -v --output-dir "$scratch/cli" --length 20 "$shape" >"$scratch/cli.log"
  read -r wall user sys <"$scratch/time.txt"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
  if [ -z "$best_cli" ] || awk -v a="$wall" -v b="$best_cli" 'BEGIN { exit !(a < b) }'; then best_cli=$wall; fi
  if [ -z "$best_cli_cpu" ] || awk -v a="$cpu" -v b="$best_cli_cpu" 'BEGIN { exit !(a < b) }'; then best_cli_cpu=$cpu; fi
done
tail -n 2 "$scratch/cli.log" | grep -q '\*\*\*\*\* FINISHED \*\*\*\*\*' || { echo "dialog.sh: the CLI did not finish" >&2; exit 1; }

QT_QPA_PLATFORM=$platform "$build/bin/sw_bench_dialog" "$shape" "$scratch/dialog/" --repeat "$repeat" \
  >"$scratch/dialog.txt" 2>"$scratch/dialog.err" || { cat "$scratch/dialog.err" >&2; exit 1; }
while IFS='=' read -r name value; do printf -v "d_$name" '%s' "$value"; done <"$scratch/dialog.txt"
cmp -s "$scratch/cli/bench.stk" "$scratch/dialog/bench.stk" || { echo "dialog.sh: the model files differ" >&2; exit 1; }

awk -v cli="$best_cli" -v cli_cpu="$best_cli_cpu" -v dialog="$d_dialog_s" -v dialog_cpu="$d_dialog_cpu_s" \
    -v engine="$d_engine_s" -v engine_cpu="$d_engine_cpu_s" -v lines="$d_log_lines" \
    -v share="$d_log_share" -v cpu_share="$d_log_cpu_share" -v prims="$primitives" -v platform="$d_platform" -v bytes="$(stat -c %s "$shape")" \
    -v repeat="$repeat" '
BEGIN {
  printf "shape text          %.1f MB, %d primitives, %d log lines (fastest of %d)\n", bytes / 1048576, prims, lines, repeat;
  printf "                    wall s   CPU s\n";
  printf "shapewright-cli     %6.3f   %6.3f  (whole process)\n", cli, cli_cpu;
  printf "dialog              %6.3f   %6.3f  (the Convert click, %s platform)\n", dialog, dialog_cpu, platform;
  printf "engine alone        %6.3f   %6.3f  (same process, log lines dropped)\n", engine, engine_cpu;
  ratio = cli > 0 ? dialog / cli : 0;
  cpu_ratio = cli_cpu > 0 ? dialog_cpu / cli_cpu : 0;
  printf "ratio               dialog wall %.3fx, CPU %.3fx the CLI (goal: within 1.1x)  %s\n", ratio, cpu_ratio,
         ratio <= 1.1 ? "met" : (cpu_ratio <= 1.1 ? "met in CPU time" : "MISSED");
  printf "log share           wall %.1f%%, CPU %.1f%% of the dialog time (goal: under 10%%)  %s\n", share * 100,
         cpu_share * 100, share < 0.1 ? "met" : (cpu_share < 0.1 ? "met in CPU time" : "MISSED");
}'
