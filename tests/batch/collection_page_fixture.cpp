// collection_page_fixture DIR: writes DIR/index.html with four cards (out of name and status
// order) and their pictures, for the browser check in scripts/check-collection-page.sh.
#include <cstdio>

#include "batch/collection_page.h"
#include "preview/png.h"
#include "tests/common/common.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: collection_page_fixture DIR\n", stderr);
    return 2;
  }
  std::string folder = argv[1];
  std::vector<VehicleCard> cards(4);
  const char* names[4] = {"coach b", "wagon", "class37", "class5"};
  for (size_t i = 0; i < 4; ++i) {
    VehicleCard& card = cards[i];
    card.name = names[i];
    card.source = card.name + ".eng";
    card.converted = i != 1;
    card.status = card.converted ? "converted" : "cannot read the shape";
    if (!card.converted) continue;
    card.picture = card.name + ".png";
    card.length_mm = 18732.0 + double(i);
    card.textures = {"body.tga"};
    preview::Picture picture;
    picture.width = 64;
    picture.height = 24;
    picture.pixels.assign(64 * 24 * 4, uint8_t(80 + 40 * i));
    test::WriteFile(folder + "/" + card.picture, preview::EncodePng(picture));
  }
  cards[0].warnings = {"texture body.tga is missing beside the model file"};
  cards[2].vehicle = {"61", "1200", "150", "120"};
  test::WriteFile(folder + "/run report #1.csv", "source\r\n");
  test::WriteFile(folder + "/index.html",
                  MakeCollectionPage("Fixture collection", "run report #1.csv", cards));
  return 0;
}
