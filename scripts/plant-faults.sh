#!/usr/bin/env bash
# plant-faults.sh [LIST.tsv...]: proves that the tests catch the faults they are there for.
# Each fault of the lists (default: every list in tests/faults/) is planted alone in a copy of
# the tree, the copy is built and the whole suite run; the fault is caught when at least one
# test fails. Prints one table row per fault with the tests that failed; exit status 1 when a
# fault was not caught, did not apply or did not build.
#
# A list has one fault per line, four fields separated by tabs: a short name, the file, a Perl
# substitution applied to the whole file (perl -0pe), and what the fault is. Lines starting
# with "#" and empty lines are skipped. The substitution must change the file.
#
# Environment: WORK, the folder for the copy and its build (default build-faults beside the
# sources; kept between runs so that only what a fault touches is rebuilt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${WORK:-$root/build-faults}
if [ $# -eq 0 ]; then set -- "$root"/tests/faults/*.tsv; fi

# The copy holds the files git knows or would add; files gone from the tree go from it too.
mkdir -p "$work/src"
(cd "$root" && git ls-files --cached --others --exclude-standard | sort -u |
  while IFS= read -r f; do if [ -f "$f" ]; then printf '%s\n' "$f"; fi; done) >"$work/files"
(cd "$work/src" && find . -type f -printf '%P\n' | sort) | comm -13 "$work/files" - |
  (cd "$work/src" && xargs -r -d '\n' rm -f)
# A file is copied only when its content changed, and then with a new time stamp: ninja must
# rebuild it even when the edit is older than the objects of the last fault.
while IFS= read -r f; do
  if ! cmp -s "$root/$f" "$work/src/$f"; then
    mkdir -p "$(dirname "$work/src/$f")"
    cp "$root/$f" "$work/src/$f"
  fi
done <"$work/files"
cmake -S "$work/src" -B "$work/build" -G Ninja -DSHAPEWRIGHT_WERROR=OFF >/dev/null
if ! cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1; then
  echo "plant-faults.sh: the unchanged tree does not build, see $work/build.log" >&2
  exit 1
fi
if ! ctest --test-dir "$work/build" --parallel "$(nproc)" --timeout 300 >"$work/ctest.log" 2>&1; then
  echo "plant-faults.sh: tests fail without a fault, see $work/ctest.log" >&2
  exit 1
fi

failed=0
echo "| fault | what | file | caught by |"
echo "|---|---|---|---|"
for list in "$@"; do
  while IFS=$'\t' read -r name file substitution what; do
    case $name in '' | '#'*) continue ;; esac
    target=$work/src/$file
    cp "$target" "$work/original"
    verdict=
    if ! perl -0pi -e "$substitution" "$target" || cmp -s "$target" "$work/original"; then
      verdict="NOT PLANTED: the substitution changes nothing"
    elif ! cmake --build "$work/build" --parallel "$(nproc)" >"$work/fault-build.log" 2>&1; then
      verdict="DOES NOT BUILD"
    else
      caught=$(ctest --test-dir "$work/build" --parallel "$(nproc)" --timeout 300 2>&1 |
        sed -n '/The following tests FAILED/,$p' |
        sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) .*/\1/p' || true)
      if [ -z "$caught" ]; then
        verdict="NOT CAUGHT"
      else
        count=$(wc -l <<<"$caught")
        verdict="$count: $(head -3 <<<"$caught" | paste -sd ' ' -)"
        [ "$count" -gt 3 ] && verdict+=" ..."
      fi
    fi
    # cp gives the restored file a new time stamp, so the next build rebuilds what it touched.
    cp "$work/original" "$target"
    case $verdict in NOT* | DOES*) failed=1 ;; esac
    echo "| $name | $what | $file | $verdict |"
  done <"$list"
done
cmake --build "$work/build" --parallel "$(nproc)" >/dev/null 2>&1 || true
exit "$failed"
