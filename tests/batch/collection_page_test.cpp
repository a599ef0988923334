// The collection page as text: one card per vehicle, everything escaped, nothing from outside.
// Cards made from model files on disk are in the command-line tests.
#include <gtest/gtest.h>

#include "base/paths.h"
#include "batch/collection_page.h"
#include "preview/preview_file.h"
#include "tests/common/common.h"

namespace {

TEST(CollectionPage, ShowsEachVehicleEscapedAndNeedsNothingFromOutside) {
  VehicleCard loco, broken;
  loco.name = "loco";
  loco.source = "Loco & Tender/Loco.eng";
  loco.converted = true;
  loco.status = "converted";
  loco.picture = "loco & tender/loco.png";
  loco.length_mm = 16500;
  loco.vehicle = {"61", "1500", "", "120"};
  loco.textures = {"loco_body.tga", "loco_cab.tga"};
  loco.missing_textures = {"loco_cab.tga"};
  loco.warnings = {"component <x>: 1 triangle without area"};
  broken.name = "wagon\"><script>alert(1)</script>";
  broken.status = "no WagonShape entry names the shape";
  std::string page = MakeCollectionPage("a <b> & \"c\"", "../r #1.csv", {loco, broken});
  const std::pair<const char*, size_t> parts[] = {
      {"data-search=", 2},
      {"<div class=\"card failed\" data-status=\"failed\"", 1},
      {"data-status=\"converted warnings\"", 1},
      {"<option value=\"warnings\">with warnings (1)</option>", 1},
      {"<img src=\"loco%20%26%20tender/loco.png\"", 1},
      {"<dt>Length</dt><dd>16.50 m</dd>", 1},
      {"<dt>Weight</dt><dd>61 t</dd>", 1},
      {"<dt>Power</dt><dd>1500 kW</dd>", 1},
      {"<dt>Max</dt><dd>120 km/h</dd>", 1},
      {"<dt>TE</dt>", 0},  // not given: no row
      {"<span class=\"missing\" title=\"missing\">loco_cab.tga</span>", 1},
      {"<li>component &lt;x&gt;: 1 triangle without area</li>", 1},
      {"<h1>a &lt;b&gt; &amp; &quot;c&quot;</h1>", 1},
      {"<h2 class=\"name\">wagon&quot;&gt;&lt;script&gt;", 1},
      {"<script>", 1},  // the page's own filter script only
      {"<a id=\"report\" href=\"../r%20%231.csv\">CSV report: ../r #1.csv</a>", 1},
  };
  for (const auto& [part, count] : parts) EXPECT_EQ(test::Count(page, part), count) << part;
  for (const char* outside : {"http:", "https:", "=\"//", "@import", "url(", "<link"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  EXPECT_EQ(MakeCollectionPage("t", "", {}).find("id=\"report\""), std::string::npos);
  // The page is UTF-8: other bytes are read as Latin-1, well-formed sequences kept.
  EXPECT_EQ(EscapeHtml("\xFF\xFE caf\xC3\xA9 caf\xE9 \xED\xA0\x80<"),
            "\xC3\xBF\xC3\xBE caf\xC3\xA9 caf\xC3\xA9 \xC3\xAD\xC2\xA0\xC2\x80&lt;");
}

TEST(RelativePath, ClimbsOutOfTheFolderByTheTextOfBothPaths) {
  const char* cases[][3] = {
      {"/w/out", "/w/out/sub/r.csv", "sub/r.csv"}, {"/w/out/", "/w/r.csv", "../r.csv"},
      {"/w/./out", "/w/x/../out/r.csv", "r.csv"},  {"/w/out", "/w/outer/r.csv", "../outer/r.csv"},
      {"/w/out/deep", "/r.csv", "../../../r.csv"}, {"/", "/r.csv", "r.csv"},
  };
  for (const auto& [from, path, relative] : cases) {
    EXPECT_EQ(RelativePath(from, path), relative) << from << " " << path;
  }
}

TEST(TexturePathBeside, StaysInTheModelsFolder) {
  for (const char* outside : {"../x.tga", "/etc/x.tga"})
    EXPECT_EQ(preview::TexturePathBeside("set/m.stk", outside), "") << outside;
  EXPECT_EQ(preview::TexturePathBeside("set/m.stk", "sub\\x.tga"), "set/sub/x.tga");
  EXPECT_EQ(preview::TexturePathBeside("set/m.stk", "caf\xE9.tga"), "set/caf\xC3\xA9.tga");
}

}  // namespace
