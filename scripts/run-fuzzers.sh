#!/usr/bin/env bash
# run-fuzzers.sh BUILD_DIR SECONDS: runs every fuzz_NAME of the build for SECONDS, starting
# from the seeds in fuzz/NAME/seeds; new inputs go to a scratch folder, never the tree. A fuzzer
# over a small, fast reader may run shorter: fuzz/NAME/max_seconds caps its time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd); seconds=$2
shopt -s nullglob
ran=0
for f in "$build"/bin/fuzz_*; do
  name=${f##*/fuzz_}
  scratch=$(mktemp -d)
  seeds=("$root/fuzz/$name/seeds")
  [ -d "${seeds[0]}" ] || seeds=()
  dict=()
  [ -f "$root/fuzz/$name/$name.dict" ] && dict=(-dict="$root/fuzz/$name/$name.dict")
  run_seconds=$seconds
  if [ -f "$root/fuzz/$name/max_seconds" ]; then
    cap=$(cat "$root/fuzz/$name/max_seconds")
    [ "$cap" -lt "$run_seconds" ] && run_seconds=$cap
  fi
  echo "-- fuzz_$name"
  (cd "$scratch" && "$f" -max_total_time="$run_seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "${dict[@]}" "$scratch" "${seeds[@]}" 2>&1 | tail -n 12)
  rm -rf "$scratch"
  ran=$((ran + 1))
done
echo "fuzzers run: $ran"
