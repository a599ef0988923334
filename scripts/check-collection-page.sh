#!/usr/bin/env bash
# check-collection-page.sh [BUILD_DIR]: loads a collection page written by the fixture program
# into headless Chromium from the file system and checks it through the DOM: four cards, the
# failed one marked, pictures loaded, values with their units, the link to the report, the
# filter box, the status choice and the sort each showing and ordering what they should, and at
# least two cards a row on a wide window (one on a narrow one). Also takes a screenshot at
# 1400x900 (kept with KEEP=1). Needs Debian's chromium.
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
[ "$(grep -o 'data-search=' <<<"$dom" | wc -l)" -eq 4 ] || fail "expected four cards"
[ "$(grep -o '<div class="card failed"' <<<"$dom" | wc -l)" -eq 1 ] || fail "expected one failed card"
grep -q '<span id="count">4 of 4 vehicles</span>' <<<"$dom" || fail "the script did not count the cards"
grep -q '<img src="coach%20b.png"' <<<"$dom" || fail "picture path not encoded"

# The filter box, prefilled from the address: only the matching card stays visible.
dom=$(run_browser --dump-dom "file://$scratch/index.html?filter=missing")
[ "$(grep -o '<div class="card[^>]*hidden' <<<"$dom" | wc -l)" -eq 3 ] || fail "filter hid the wrong cards"
grep -q '<span id="count">1 of 4 vehicles</span>' <<<"$dom" || fail "filter count"

# The page is driven from a script added to a copy of it, which writes what it saw into the DOM
# as lines "WHAT: VALUE"; the page's own script has run by then.
probe_script=$(
  cat <<'EOF'
<script>
(function () {
  var lines = [];
  var list = document.querySelector('.cards');
  var box = document.getElementById('filter');
  function cards() { return Array.prototype.slice.call(list.querySelectorAll('.card')); }
  function name(card) { return card.querySelector('.name').textContent; }
  function shown() {
    return cards().filter(function (c) { return !c.hidden; }).map(name).join(',') + ' (' +
        document.getElementById('count').textContent + ')';
  }
  function pick(id, value) {
    var select = document.getElementById(id);
    select.value = value;
    select.dispatchEvent(new Event('change'));
  }
  var tops = cards().map(function (c) { return c.offsetTop; });
  lines.push('first row: ' + tops.filter(function (t) { return t === tops[0]; }).length);
  lines.push('widest card fits: ' + cards().every(function (c) {
    return c.getBoundingClientRect().right <= document.documentElement.clientWidth;
  }));
  lines.push('address: ' + cards().map(name).join(',') + ' ' + shown());
  ['name', 'status', 'source'].forEach(function (by) {
    pick('sort', by);
    lines.push('sort ' + by + ': ' + cards().map(name).join(','));
  });
  ['failed', 'warnings', 'converted', 'all'].forEach(function (status) {
    pick('status', status);
    lines.push('status ' + status + ': ' + shown());
  });
  pick('status', 'converted');
  box.value = 'class';
  box.dispatchEvent(new Event('input'));
  lines.push('converted and "class": ' + shown());
  var report = document.getElementById('report');
  lines.push('report: ' + (report ? decodeURIComponent(report.href) : 'none'));
  var class37 = cards().filter(function (c) { return name(c) === 'class37'; })[0];
  lines.push('class37: ' + Array.prototype.map.call(class37.querySelectorAll('dt'), function (dt) {
    return dt.textContent + ' ' + dt.nextElementSibling.textContent;
  }).join(', '));
  var pre = document.createElement('pre');
  pre.id = 'probe';
  pre.textContent = lines.join('\n');
  document.body.appendChild(pre);
})();
</script>
EOF
)
# A script after the page's end is parsed into its body, after the page's own.
{ cat "$scratch/index.html"; printf '%s\n' "$probe_script"; } >"$scratch/probe.html"

# probe SIZE [QUERY]: the probe's lines for the copy loaded at window size SIZE.
probe() {
  run_browser --window-size="$1" --dump-dom "file://$scratch/probe.html${2:-}" |
    sed -n '/<pre id="probe">/,/<\/pre>/p' | sed 's/<[^>]*>//g; s/&quot;/"/g; s/&amp;/\&/g'
}
# expect LINES WANTED WHAT: fails unless LINES hold the line WANTED.
expect() { grep -qxF -- "$2" <<<"$1" || fail "$3: wanted \"$2\" in"$'\n'"$1"; }

wide=$(probe 1400,900)
expect "$wide" "first row: 2" "two cards a row at 1400 px"
expect "$wide" "sort name: class5,class37,coach b,wagon" "sort by name, numbers by value"
expect "$wide" "sort status: wagon,coach b,class37,class5" "sort by status, failed first"
expect "$wide" "sort source: coach b,wagon,class37,class5" "back to source order"
expect "$wide" "status failed: wagon (1 of 4 vehicles)" "status failed"
expect "$wide" "status warnings: coach b (1 of 4 vehicles)" "status with warnings"
expect "$wide" "status converted: coach b,class37,class5 (3 of 4 vehicles)" "status converted"
expect "$wide" "status all: coach b,wagon,class37,class5 (4 of 4 vehicles)" "status all"
expect "$wide" 'converted and "class": class37,class5 (2 of 4 vehicles)' "status with the filter box"
expect "$wide" "class37: Source class37.eng, Status converted, Length 18.73 m, Weight 61 t, Power 1200 kW, TE 150 kN, Max 120 km/h, Textures body.tga" "units"
expect "$wide" "report: file://$scratch/run report #1.csv" "the report link leads to the report"
[ -f "$scratch/run report #1.csv" ] || fail "the fixture wrote no report to link"
expect "$(probe 1280,900)" "first row: 2" "two cards a row at 1280 px"
narrow=$(probe 500,900)
expect "$narrow" "first row: 1" "one card a row at 500 px"
expect "$narrow" "widest card fits: true" "cards as wide as a narrow window"
expect "$(probe 1400,900 '?status=failed&sort=name&filter=a')" \
  "address: class5,class37,coach b,wagon wagon (1 of 4 vehicles)" "status and sort from the address"

run_browser --screenshot="$scratch/page.png" --window-size=1400,900 "file://$scratch/index.html" >/dev/null
[ -s "$scratch/page.png" ] || fail "no screenshot"
echo "collection page: four cards, failed one marked, units, report link, two a row when" \
  "wide, filter, status and sort work, screenshot taken"
