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
#filter { font-size: 1em; padding: 0.3em; width: 20em; }
#count { margin-left: 1em; }
.cards { display: flex; flex-wrap: wrap; gap: 1em; margin-top: 1em; }
.card { background: #fff; border: 1px solid #ccc; border-radius: 4px; padding: 0.6em; width: 660px; }
.card img { width: 640px; height: 240px; display: block; }
.card h2 { font-size: 1.1em; margin: 0.3em 0; }
.card.failed { border-color: #b00; }
.status.failed { color: #b00; font-weight: bold; }
.card dl { display: grid; grid-template-columns: 8em 1fr; margin: 0.3em 0; }
.card dt { color: #666; }
.card dd { margin: 0; overflow-wrap: anywhere; }
.warnings { color: #8a5a00; margin: 0.3em 0 0 1.2em; padding: 0; }
.missing { color: #b00; }
.card[hidden] { display: none; }
</style>
)";

const char kScript[] = R"(<script>
(function () {
  var box = document.getElementById('filter');
  var count = document.getElementById('count');
  var cards = Array.prototype.slice.call(document.querySelectorAll('.card'));
  function apply() {
    var words = box.value.toLowerCase().split(/\s+/).filter(function (w) { return w; });
    var shown = 0;
    cards.forEach(function (card) {
      var text = card.getAttribute('data-search');
      var match = words.every(function (w) { return text.indexOf(w) >= 0; });
      card.hidden = !match;
      if (match) shown++;
    });
    count.textContent = shown + ' of ' + cards.length + ' vehicles';
  }
  var query = /[?&]filter=([^&]*)/.exec(window.location.search);
  if (query) box.value = decodeURIComponent(query[1].replace(/\+/g, ' '));
  box.addEventListener('input', apply);
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

void AppendCard(std::string& out, const VehicleCard& card) {
  std::string search = card.name + " " + card.source + " " + card.status;
  for (const std::string& t : card.textures) search += " " + t;
  for (const std::string& w : card.warnings) search += " " + w;
  out += "<div class=\"card";
  if (!card.converted) out += " failed";
  out += "\" data-search=\"" + EscapeHtml(ToLowerAscii(search)) + "\">\n";
  if (!card.picture.empty()) {
    out += "<img src=\"" + EscapeHtml(PathAsUrl(card.picture)) + "\" alt=\"" +
           EscapeHtml(card.name) + "\">\n";
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
  for (const VehicleKey& key : kVehicleKeys) AppendRow(out, key.key, card.vehicle.*key.value);
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

std::string EscapeHtml(const std::string& text) {
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

std::string MakeCollectionPage(const std::string& title, const std::vector<VehicleCard>& cards) {
  std::string out = kHead;
  out += "<title>" + EscapeHtml(title) + "</title>\n</head>\n<body>\n";
  out += "<h1>" + EscapeHtml(title) + "</h1>\n";
  out +=
      "<input id=\"filter\" type=\"search\" placeholder=\"Filter by name, source, texture, "
      "warning\" aria-label=\"Filter\"><span id=\"count\">" +
      std::to_string(cards.size()) + " vehicles</span>\n<div class=\"cards\">\n";
  for (const VehicleCard& card : cards) AppendCard(out, card);
  out += "</div>\n";
  out += kScript;
  out += "</body>\n</html>\n";
  return out;
}

std::string CollectionPagePath(const std::string& output_dir) {
  return JoinPath(output_dir, "index.html");
}
