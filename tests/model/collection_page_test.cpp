// The collection page as text: one card per vehicle, everything escaped, nothing from outside.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "preview/collection_page.h"
#include "preview/preview_file.h"
#include "tests/model/model_test_support.h"

namespace {

using preview::VehicleCard;

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<VehicleCard> Cards() {
  VehicleCard loco;
  loco.name = "loco";
  loco.source = "Loco & Tender/Loco.eng";
  loco.converted = true;
  loco.status = "converted";
  loco.picture = "loco & tender/loco.png";
  loco.model_file = "loco.stk";
  loco.length_mm = 16500;
  loco.weight = "61";
  loco.power = "900";
  loco.textures = {"loco_body.tga", "loco_cab.tga"};
  loco.missing_textures = {"loco_cab.tga"};
  loco.warnings = {"component <x>: 1 triangle without area"};
  VehicleCard broken;
  broken.name = "wagon\"><script>alert(1)</script>";
  broken.source = "wagon.wag";
  broken.status = "no WagonShape entry names the shape";
  return {loco, broken};
}

TEST(CollectionPage, OneCardPerVehicleWithItsFacts) {
  std::string page = preview::MakeCollectionPage("Collection", Cards());
  EXPECT_EQ(Count(page, "data-search="), 2u);
  EXPECT_EQ(Count(page, "<div class=\"card failed\""), 1u);
  EXPECT_NE(page.find("<img src=\"loco%20%26%20tender/loco.png\""), std::string::npos) << page;
  EXPECT_NE(page.find("<dt>Length</dt><dd>16.50 m</dd>"), std::string::npos);
  EXPECT_NE(page.find("<dt>Weight</dt><dd>61</dd>"), std::string::npos);
  EXPECT_EQ(page.find("<dt>TE</dt>"), std::string::npos);  // not given: no row
  EXPECT_NE(page.find("<span class=\"missing\" title=\"missing\">loco_cab.tga</span>"),
            std::string::npos);
  EXPECT_NE(page.find("<li>component &lt;x&gt;: 1 triangle without area</li>"), std::string::npos);
}

TEST(CollectionPage, EscapesEverythingFromTheVehicles) {
  std::string page = preview::MakeCollectionPage("a <b> & \"c\"", Cards());
  EXPECT_EQ(Count(page, "<script>"), 1u);  // the page's own filter script only
  EXPECT_NE(page.find("<h1>a &lt;b&gt; &amp; &quot;c&quot;</h1>"), std::string::npos);
  EXPECT_NE(page.find("wagon&quot;&gt;&lt;script&gt;"), std::string::npos);
}

TEST(CollectionPage, NeedsNothingFromOutside) {
  std::string page = preview::MakeCollectionPage("Collection", Cards());
  for (const char* outside : {"http:", "https:", "=\"//", "@import", "url(", "<link"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
}

}  // namespace

namespace {

TEST(CollectionPage, CardsReadTheirModelFileBack) {
  std::string folder = ::testing::TempDir() + "collection_card_test";
  std::filesystem::create_directories(folder + "/vehicles");
  std::ofstream(folder + "/vehicles/loco.stk", std::ios::binary)
      << ReadTestData("hierarchy-steam.stk");
  std::ofstream(folder + "/vehicles/bogie.tga", std::ios::binary) << "present";
  std::ofstream(folder + "/vehicles/loco.png", std::ios::binary) << "picture";
  preview::VehicleCard card =
      preview::MakeVehicleCard("Loco.eng", folder + "/vehicles/loco.stk", "", folder);
  EXPECT_TRUE(card.converted);
  EXPECT_EQ(card.name, "hierarchy");
  EXPECT_EQ(card.status, "converted");
  EXPECT_EQ(card.model_file, "vehicles/loco.stk");
  EXPECT_EQ(card.picture, "vehicles/loco.png");
  EXPECT_EQ(card.length_mm, 14500);
  EXPECT_EQ(card.weight, "61");
  EXPECT_EQ(card.max_speed, "72");
  EXPECT_EQ(card.textures.size(), 3u);
  EXPECT_EQ(card.missing_textures, (std::vector<std::string>{"coach_body.tga", "glass.tga"}));
  EXPECT_EQ(card.warnings.size(), 3u);  // two missing textures, the length

  preview::VehicleCard failed = preview::MakeVehicleCard("Wagon.wag", "", "cannot read", folder);
  EXPECT_FALSE(failed.converted);
  EXPECT_EQ(failed.status, "cannot read");
  EXPECT_EQ(failed.name, "Wagon");
  std::filesystem::remove_all(folder);
}

}  // namespace
