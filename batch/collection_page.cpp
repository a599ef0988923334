#include "batch/collection_page.h"

#include "base/paths.h"
#include "base/text.h"
#include "preview/preview.h"

namespace {

// Inline style and script only: the page must work opened from a folder, offline.
const char kHead[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<style>
body { font-family: sans-serif; margin: 1em; background: #eeeee8; color: #28282c; }
h1 { font-size: 1.4em; }
.bar { display: flex; flex-wrap: wrap; align-items: center; gap: 0.5em 1em; }
#filter { font-size: 1em; padding: 0.3em; width: 20em; max-width: 100%; }
.bar select { font-size: 1em; padding: 0.2em; }
#report { margin-left: auto; }
.cards { display: grid; grid-template-columns: repeat(auto-fill, minmax(min(100%, 480px), 1fr));
  gap: 1em; margin-top: 1em; align-items: start; }
.card { background: #fff; border: 1px solid #ccc; border-radius: 4px; padding: 0.6em; min-width: 0; }
.card img { width: 100%; height: auto; display: block; }
.card h2 { font-size: 1.1em; margin: 0.3em 0; }
.card.failed { border-color: #b00; }
.card[data-status~="warnings"] { border-color: #c90; }
.status.failed { color: #b00; font-weight: bold; }
.card dl { display: grid; grid-template-columns: 8em 1fr; margin: 0.3em 0; }
.card dt { color: #666; }
.card dd { margin: 0; overflow-wrap: anywhere; }
.warnings { color: #8a5a00; margin: 0.3em 0 0 1.2em; padding: 0; }
.missing { color: #b00; }
.card[hidden] { display: none; }
</style>
)";

// Filters by words and status, sorts by moving the cards; the address may preset each choice
// (?filter=, ?status=, ?sort=).
const char kScript[] = R"(<script>
(function () {
  var box = document.getElementById('filter');
  var status = document.getElementById('status');
  var sort = document.getElementById('sort');
  var count = document.getElementById('count');
  var list = document.querySelector('.cards');
  var cards = Array.prototype.slice.call(list.querySelectorAll('.card'));
  var entries = cards.map(function (card, index) {
    var words = card.getAttribute('data-status').split(' ');
    return {
      card: card,
      index: index,
      words: words,
      name: card.querySelector('.name').textContent,
      rank: words.indexOf('failed') >= 0 ? 0 : words.indexOf('warnings') >= 0 ? 1 : 2
    };
  });
  function apply() {
    var words = box.value.toLowerCase().split(/\s+/).filter(function (w) { return w; });
    var wanted = status.value;
    var shown = 0;
    entries.forEach(function (e) {
      var text = e.card.getAttribute('data-search');
      var match = words.every(function (w) { return text.indexOf(w) >= 0; }) &&
          (wanted === 'all' || e.words.indexOf(wanted) >= 0);
      e.card.hidden = !match;
      if (match) shown++;
    });
    count.textContent = shown + ' of ' + cards.length + (cards.length == 1 ? ' vehicle' : ' vehicles');
  }
  // Ties keep the source order, so every sort is stable whatever the browser's.
  function order() {
    var by = sort.value;
    entries.slice().sort(function (a, b) {
      var d = 0;
      if (by === 'name') d = a.name.localeCompare(b.name, undefined, { numeric: true });
      if (by === 'status') d = a.rank - b.rank;
      return d || a.index - b.index;
    }).forEach(function (e) { list.appendChild(e.card); });
  }
  function param(key) {
    var found = new RegExp('[?&]' + key + '=([^&]*)').exec(window.location.search);
    if (!found) return null;
    try {
      return decodeURIComponent(found[1].replace(/\+/g, ' '));
    } catch (e) {
      return null;  // a malformed escape: as if not given
    }
  }
  // A choice from the address counts only when the list offers it.
  function choose(select, value) {
    if (value === null) return;
    select.value = value;
    if (select.selectedIndex < 0) select.selectedIndex = 0;
  }
  var filter = param('filter');
  if (filter !== null) box.value = filter;
  choose(status, param('status'));
  choose(sort, param('sort'));
  box.addEventListener('input', apply);
  status.addEventListener('change', apply);
  sort.addEventListener('change', order);
  order();
  apply();
})();
</script>
)";

void AppendRow(std::string& out, std::string_view label, const std::string& value) {
  if (value.empty()) return;
  out += "<dt>";
  out += label;
  out += "</dt><dd>" + EscapeHtml(value) + "</dd>\n";
}

// A relative path as an attribute: every byte outside the safe set percent-encoded, so that
// spaces, "#", "?" and quotes in file names still name the file.
std::string PathAsUrl(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url;
  for (unsigned char c : path) {
    bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == '/' || c == '.' || c == '-' || c == '_' || c == '~';
    if (safe) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

// The card's status words, which the status choice matches: "failed", or "converted" and also
// "warnings" when the model file's check found something.
const char* StatusWords(const VehicleCard& card) {
  if (!card.converted) return "failed";
  return card.warnings.empty() ? "converted" : "converted warnings";
}

// The status choice, each entry with its number of vehicles, and the sort choice.
void AppendChoices(std::string& out, const std::vector<VehicleCard>& cards) {
  size_t failed = 0, warned = 0;
  for (const VehicleCard& card : cards) {
    failed += card.converted ? 0 : 1;
    warned += card.converted && !card.warnings.empty() ? 1 : 0;
  }
  struct Choice {
    const char* word;
    const char* label;
    size_t count;
  };
  const Choice statuses[] = {
      {"all", "all", cards.size()},
      {"converted", "converted", cards.size() - failed},
      {"warnings", "with warnings", warned},
      {"failed", "failed", failed},
  };
  out += "<label>Status <select id=\"status\">";
  for (const Choice& c : statuses) {
    out += "<option value=\"" + std::string(c.word) + "\">" + c.label + " (" +
           std::to_string(c.count) + ")</option>";
  }
  out +=
      "</select></label>\n<label>Sort <select id=\"sort\"><option value=\"source\">source "
      "order</option><option value=\"name\">name</option><option value=\"status\">status, "
      "failed first</option></select></label>\n";
}

void AppendCard(std::string& out, const VehicleCard& card) {
  std::string search = card.name + " " + card.source + " " + card.status;
  for (const std::string& t : card.textures) search += " " + t;
  for (const std::string& w : card.warnings) search += " " + w;
  out += "<div class=\"card";
  if (!card.converted) out += " failed";
  out += "\" data-status=\"" + std::string(StatusWords(card)) + "\" data-search=\"" +
         EscapeHtml(ToLowerAscii(search)) + "\">\n";
  if (!card.picture.empty()) {
    // The picture's size lets the browser keep its proportions while it scales it to the card.
    out += "<img src=\"" + EscapeHtml(PathAsUrl(card.picture)) + "\" alt=\"" +
           EscapeHtml(card.name) + "\" width=\"" + std::to_string(preview::kPreviewWidth) +
           "\" height=\"" + std::to_string(preview::kPreviewHeight) + "\">\n";
  }
  out += "<h2 class=\"name\">" + EscapeHtml(card.name) + "</h2>\n<dl>\n";
  AppendRow(out, "Source", card.source);
  out += "<dt>Status</dt><dd class=\"status";
  if (!card.converted) out += " failed";
  out += "\">" + EscapeHtml(card.status) + "</dd>\n";
  if (!card.model_file.empty()) {
    out += "<dt>Model</dt><dd><a href=\"" + EscapeHtml(PathAsUrl(card.model_file)) + "\">" +
           EscapeHtml(card.model_file) + "</a></dd>\n";
  }
  if (card.length_mm > 0) AppendRow(out, "Length", preview::FormatMetres(card.length_mm));
  for (const VehicleKey& key : kVehicleKeys) {
    const std::string& value = card.vehicle.*key.value;
    AppendRow(out, key.key, value.empty() ? value : value + " " + std::string(key.unit));
  }
  if (!card.textures.empty()) {
    out += "<dt>Textures</dt><dd class=\"textures\">";
    for (size_t i = 0; i < card.textures.size(); ++i) {
      bool missing = false;
      for (const std::string& m : card.missing_textures) missing = missing || m == card.textures[i];
      if (i > 0) out += ", ";
      out += missing ? "<span class=\"missing\" title=\"missing\">" : "<span>";
      out += EscapeHtml(card.textures[i]) + "</span>";
    }
    out += "</dd>\n";
  }
  out += "</dl>\n";
  if (!card.warnings.empty()) {
    out += "<ul class=\"warnings\">\n";
    for (const std::string& w : card.warnings) out += "<li>" + EscapeHtml(w) + "</li>\n";
    out += "</ul>\n";
  }
  out += "</div>\n";
}

}  // namespace

std::string EscapeHtml(const std::string& raw) {
  // The page declares UTF-8: names in any other encoding are read as Latin-1.
  std::string text = ToValidUtf8(raw);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string MakeCollectionPage(const std::string& title, const std::string& report,
                               const std::vector<VehicleCard>& cards) {
  std::string out = kHead;
  out += "<title>" + EscapeHtml(title) + "</title>\n</head>\n<body>\n";
  out += "<h1>" + EscapeHtml(title) + "</h1>\n";
  out +=
      "<div class=\"bar\">\n<input id=\"filter\" type=\"search\" placeholder=\"Filter by name, "
      "source, texture, warning\" aria-label=\"Filter\">\n";
  AppendChoices(out, cards);
  out += "<span id=\"count\">" + Plural(cards.size(), "vehicle") + "</span>\n";
  if (!report.empty()) {
    out += "<a id=\"report\" href=\"" + EscapeHtml(PathAsUrl(report)) +
           "\">CSV report: " + EscapeHtml(report) + "</a>\n";
  }
  out += "</div>\n<div class=\"cards\">\n";
  for (const VehicleCard& card : cards) AppendCard(out, card);
  out += "</div>\n";
  out += kScript;
  out += "</body>\n</html>\n";
  return out;
}

std::string CollectionPagePath(const std::string& output_dir) {
  return JoinPath(output_dir, "index.html");
}
