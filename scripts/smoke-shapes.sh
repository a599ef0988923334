#!/usr/bin/env bash
# smoke-shapes.sh [BUILD_DIR]: converts every text shape of the real-content corpus with the
# sanitizer build's shapewright-cli (default build-smoke beside the sources, configured with
# SHAPEWRIGHT_SANITIZE=ON and built when needed), each with its ENG/WAG file when the corpus
# has one for it: the file whose WagonShape entry names the shape, else the ENG/WAG file of
# the same folder and base name. Output goes to a temporary folder. Each run has a time limit,
# so that a hang counts as a failure.
#
# Prints one line per shape and the counts: finished (closing line reached), ended with a
# clear error (by error), crashed or reported by a sanitizer, timed out, warnings. The exit
# status is 1 when any run crashed, timed out or ended without the closing line or an error.
# Environment: CORPUS (default ../shared/corpus from the project root), TIMEOUT seconds per file (default 60),
# KEEP=1 keeps the temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-smoke}
corpus=${CORPUS:-$root/../shared/corpus}
limit=${TIMEOUT:-60}
manifest=$corpus/MANIFEST.tsv
[ -f "$manifest" ] || { echo "smoke-shapes.sh: no $manifest" >&2; exit 2; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DSHAPEWRIGHT_WERROR=ON -DSHAPEWRIGHT_SANITIZE=ON \
    -DSHAPEWRIGHT_BUILD_TESTS=OFF >/dev/null
fi
grep -q '^SHAPEWRIGHT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" ||
  { echo "smoke-shapes.sh: $build is not a SHAPEWRIGHT_SANITIZE=ON build" >&2; exit 2; }
targets=(shapewright-cli)
# The texture library and the shape tool too when the build has them, so that textures are
# converted and a shape the program does not take for text is decompressed, as in use.
available=$(cmake --build "$build" --target help)
for target in texconv ffeditc_unicode; do
  grep "^$target:" >/dev/null <<<"$available" && targets+=("$target")
done
cmake --build "$build" --parallel 2 --target "${targets[@]}" >/dev/null
cli=$build/bin/shapewright-cli

scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $scratch"; else trap 'rm -rf "$scratch"' EXIT; fi

lower() { tr '[:upper:]' '[:lower:]'; }

# The manifest's paths of one kind, one a line.
paths_of_kind() { awk -F'\t' -v kind="$1" 'NR > 1 && $4 == kind { print $3 }' "$manifest"; }

# The description files: "folder/shape name" (lower case) TAB path, from WagonShape entries and
# from base names. A WagonShape match is listed first and so wins.
: >"$scratch/by_wagonshape.tsv"
: >"$scratch/by_basename.tsv"
while IFS= read -r eng; do
  folder=$(dirname "$eng")
  named=$(iconv -f UTF-16 -t UTF-8 "$corpus/$eng" 2>/dev/null | tr -d '\r' |
          sed -n 's/^[[:space:]]*[Ww][Aa][Gg][Oo][Nn][Ss][Hh][Aa][Pp][Ee][[:space:]]*([[:space:]]*"\{0,1\}\([^")]*[^") ]\)"\{0,1\}[[:space:]]*).*/\1/p' |
          head -n 1 || true)
  if [ -n "$named" ]; then
    printf '%s\t%s\n' "$(printf '%s/%s' "$folder" "$named" | lower)" "$eng" >>"$scratch/by_wagonshape.tsv"
  fi
  base=${eng%.*}
  printf '%s\t%s\n' "$(printf '%s.s' "$base" | lower)" "$eng" >>"$scratch/by_basename.tsv"
done < <(paths_of_kind eng; paths_of_kind wag)
sort -s -t $'\t' -k1,1 "$scratch/by_wagonshape.tsv" >"$scratch/eng_index.tsv"
sort -s -t $'\t' -k1,1 "$scratch/by_basename.tsv" >>"$scratch/eng_index.tsv"

# The program may write beside its source (the "_ASC.s" twin of a shape it decompresses), so
# each shape is converted from a folder of links to the files of its own corpus folder.
mirror_folder() {
  local from=$corpus/$(dirname "$1") to=$2
  mkdir -p "$to"
  find "$from" -maxdepth 1 -type f -exec ln -s -t "$to" {} +
}

# The ENG/WAG file for a shape path, empty when there is none.
description_for() {
  local key
  key=$(printf '%s' "$1" | lower)
  awk -F'\t' -v key="$key" '$1 == key { print $2; exit }' "$scratch/eng_index.tsv"
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

finished=0 errors=0 crashed=0 hung=0 unclear=0 warnings=0 with_eng=0 total=0 converted=0
: >"$scratch/errors.txt"
: >"$scratch/warnings.txt"
n=0
while IFS= read -r shape; do
  n=$((n + 1))
  total=$((total + 1))
  eng=$(description_for "$shape")
  source=$scratch/src/$n
  mirror_folder "$shape" "$source"
  args=(--output-dir "$scratch/out/$n")
  if [ -n "$eng" ]; then
    # The description file from its own folder's links (usually the shape's folder).
    [ "$(dirname "$eng")" = "$(dirname "$shape")" ] || mirror_folder "$eng" "$source/eng"
    if [ "$(dirname "$eng")" = "$(dirname "$shape")" ]; then
      args+=(--eng "$source/${eng##*/}")
    else
      args+=(--eng "$source/eng/${eng##*/}")
    fi
    with_eng=$((with_eng + 1))
  fi
  status=0
  timeout --kill-after=5 "$limit" "$cli" -v -j 1 "${args[@]}" "$source/${shape##*/}" >"$scratch/log.txt" 2>"$scratch/err.txt" ||
    status=$?
  count=$(grep -c ': warning: ' "$scratch/err.txt" || true)
  warnings=$((warnings + count))
  # What was expected, without the file and line, for the summary of warning kinds.
  sed -n 's/^.*:[0-9]*: warning: expected //p' "$scratch/err.txt" | sed 's/[0-9][0-9]*/N/g' >>"$scratch/warnings.txt"
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: .*Sanitizer' "$scratch/err.txt"; then
    outcome=CRASH
    crashed=$((crashed + 1))
  elif [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    outcome=TIMEOUT
    hung=$((hung + 1))
  elif [ "$status" -gt 128 ]; then
    outcome="CRASH(signal $((status - 128)))"
    crashed=$((crashed + 1))
  elif [ "$status" -eq 0 ] && tail -n 3 "$scratch/log.txt" | grep -q '^\*\*\*\*\* FINISHED \*\*\*\*\*'; then
    outcome=finished
    finished=$((finished + 1))
  elif [ "$status" -eq 1 ] && grep -q ': error: ' "$scratch/err.txt"; then
    # "FILE: error: REASON": the reason names the error.
    reason=$(grep ': error: ' "$scratch/err.txt" | head -n 1 | sed 's/.*: //')
    outcome="error: $reason"
    errors=$((errors + 1))
    printf '%s\n' "$reason" >>"$scratch/errors.txt"
  else
    outcome="UNCLEAR(status $status)"
    unclear=$((unclear + 1))
  fi
  textures=$(find "$scratch/out/$n" -name '*.tga' 2>/dev/null | wc -l)
  converted=$((converted + textures))
  printf '%-34s %5d warnings %3d textures  %s%s\n' "$outcome" "$count" "$textures" "$shape" "${eng:+  [with ${eng##*/}]}"
done < <(paths_of_kind shape-text)

echo
echo "text shapes: $total ($with_eng with an ENG/WAG file)"
echo "finished:    $finished"
echo "clear error: $errors"
sort "$scratch/errors.txt" | uniq -c | sed 's/^/             /'
echo "crashed or sanitizer report: $crashed"
echo "timed out (${limit} s): $hung"
echo "other endings: $unclear"
echo "textures converted: $converted"
echo "warnings:    $warnings"
sort "$scratch/warnings.txt" | uniq -c | sort -rn | head -n 8 | sed 's/^/             /'
[ "$crashed" -eq 0 ] && [ "$hung" -eq 0 ] && [ "$unclear" -eq 0 ]
