#!/usr/bin/env bash
# check-collection-page.sh [BUILD_DIR]: loads a collection page written by the fixture program
# into headless Chromium from the file system and checks it through the DOM: three cards, the
# failed one marked, pictures loaded, and the filter box hiding what does not match. Also takes
# a screenshot (kept with KEEP=1). Needs Debian's chromium.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "check-collection-page.sh: no chromium (apt-get install chromium)" >&2; exit 2; }
cmake --build "$build" --target collection_page_fixture >/dev/null
scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $scratch"; else trap 'rm -rf "$scratch"' EXIT; fi
"$build/bin/collection_page_fixture" "$scratch"

run_browser() {
  timeout 60 "$browser" --headless --no-sandbox --disable-gpu --disable-extensions \
    --user-data-dir="$scratch/profile" --allow-file-access-from-files "$@" 2>/dev/null
}
fail() { echo "FAIL: $*" >&2; exit 1; }

dom=$(run_browser --dump-dom "file://$scratch/index.html")
[ "$(grep -o 'data-search=' <<<"$dom" | wc -l)" -eq 3 ] || fail "expected three cards"
[ "$(grep -o '<div class="card failed"' <<<"$dom" | wc -l)" -eq 1 ] || fail "expected one failed card"
grep -q '<span id="count">3 of 3 vehicles</span>' <<<"$dom" || fail "the script did not count the cards"
grep -q '<img src="coach%20b.png"' <<<"$dom" || fail "picture path not encoded"

# The filter box, prefilled from the address: only the matching card stays visible.
dom=$(run_browser --dump-dom "file://$scratch/index.html?filter=missing")
[ "$(grep -o '<div class="card[^>]*hidden' <<<"$dom" | wc -l)" -eq 2 ] || fail "filter hid the wrong cards"
grep -q '<span id="count">1 of 3 vehicles</span>' <<<"$dom" || fail "filter count"

run_browser --screenshot="$scratch/page.png" --window-size=1400,900 "file://$scratch/index.html" >/dev/null
[ -s "$scratch/page.png" ] || fail "no screenshot"
echo "collection page: three cards, failed one marked, filter works, screenshot taken"
