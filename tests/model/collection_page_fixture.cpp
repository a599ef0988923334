// collection_page_fixture DIR: writes DIR/index.html with three cards and their pictures, for
// the browser check in scripts/check-collection-page.sh.
#include <cstdio>
#include <fstream>

#include "preview/collection_page.h"
#include "preview/png.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: collection_page_fixture DIR\n", stderr);
    return 2;
  }
  std::string folder = argv[1];
  std::vector<preview::VehicleCard> cards(3);
  const char* names[3] = {"class37", "coach b", "wagon"};
  for (int i = 0; i < 3; ++i) {
    preview::VehicleCard& card = cards[size_t(i)];
    card.name = names[i];
    card.source = std::string(names[i]) + ".eng";
    card.converted = i != 2;
    card.status = card.converted ? "converted" : "cannot read the shape";
    if (card.converted) {
      card.picture = std::string(names[i]) + ".png";
      preview::Picture picture;
      picture.width = 64;
      picture.height = 24;
      picture.pixels.assign(64 * 24 * 4, uint8_t(80 + 60 * i));
      std::ofstream(folder + "/" + card.picture, std::ios::binary) << preview::EncodePng(picture);
      card.length_mm = 18732 + i;
      card.textures = {"body.tga"};
    }
  }
  cards[1].warnings = {"texture body.tga is missing beside the model file"};
  std::ofstream(folder + "/index.html", std::ios::binary)
      << preview::MakeCollectionPage("Fixture collection", cards);
  return 0;
}
