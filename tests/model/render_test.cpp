// The renderer: small hand-made models drawn small and compared pixel for pixel with committed
// pictures (SW_UPDATE_GOLDEN=1 rewrites them; look at them before committing), and the TGA
// and PNG readers under it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <fstream>

#include "model/tga_reader.h"
#include "preview/png.h"
#include "preview/preview.h"
#include "tests/model/model_test_support.h"

namespace {

using preview::Picture;

// A TGA as the texture converter writes it: 32 bits, bottom row first. pixels are RGBA, top
// row first.
std::string MakeTga(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels) {
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = char(width & 255);
  tga[13] = char(width >> 8);
  tga[14] = char(height & 255);
  tga[15] = char(height >> 8);
  tga[16] = 32;
  tga[17] = 8;
  for (uint32_t row = height; row-- > 0;) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = &pixels[(row * width + x) * 4];
      tga += char(p[2]);
      tga += char(p[1]);
      tga += char(p[0]);
      tga += char(p[3]);
    }
  }
  return tga;
}

// Four quadrants, red top left, green top right, blue bottom left, yellow bottom right; with a
// mask, the bottom right quadrant is cut out.
Picture Quadrants(bool masked) {
  Picture p;
  p.width = p.height = 4;
  const uint8_t colours[4][4] = {
      {220, 30, 30, 255}, {30, 200, 30, 255}, {30, 30, 220, 255}, {230, 220, 20, 255}};
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) {
      const uint8_t* c = colours[(y / 2) * 2 + x / 2];
      for (int k = 0; k < 4; ++k) p.pixels.push_back(c[k]);
      if (masked && x >= 2 && y >= 2) p.pixels.back() = 0;
    }
  }
  p.has_alpha = masked;
  return p;
}

// A quad in the plane x = -1000 facing the left side, 4 m along and 2 m high, u running to
// the front (+y) as a side seen from the left reads, v down.
std::string QuadComponent(const std::string& name, const char* skin, const char* uv_flip) {
  std::string uv_front_top = uv_flip != nullptr ? uv_flip : "0.000000,0.000000";
  return "[end]\nName " + name + "\nMillimetric\nComponent\nSkin \"" + skin +
         "\"\n<IndexedTriangleList>\n\t0,1,2\n\t0,2,3\n</IndexedTriangleList>\n<VertexBuffer>\n"
         "\t-1000/2000/2000\t-1000/0/0\t" +
         uv_front_top +
         "\n"
         "\t-1000/-2000/2000\t-1000/0/0\t1.000000,0.000000\n"
         "\t-1000/-2000/0\t-1000/0/0\t1.000000,1.000000\n"
         "\t-1000/2000/0\t-1000/0/0\t0.000000,1.000000\n</VertexBuffer>\n";
}

std::string CubeComponent() {
  // Six faces of a 2 m cube, each with the whole texture; every face's normal points out.
  std::string text =
      "[end]\nName cube\nMillimetric\nComponent\nSkin \"mask.tga\"\n<IndexedTriangleList>\n";
  for (int f = 0; f < 6; ++f) {
    int b = f * 4;
    text += "\t" + std::to_string(b) + "," + std::to_string(b + 1) + "," + std::to_string(b + 2) +
            "\n\t" + std::to_string(b) + "," + std::to_string(b + 2) + "," + std::to_string(b + 3) +
            "\n";
  }
  text += "</IndexedTriangleList>\n<VertexBuffer>\n";
  const char* faces[6][4] = {
      {"-1000/-1000/0", "-1000/1000/0", "-1000/1000/2000", "-1000/-1000/2000"},
      {"1000/-1000/0", "1000/1000/0", "1000/1000/2000", "1000/-1000/2000"},
      {"-1000/-1000/0", "1000/-1000/0", "1000/-1000/2000", "-1000/-1000/2000"},
      {"-1000/1000/0", "1000/1000/0", "1000/1000/2000", "-1000/1000/2000"},
      {"-1000/-1000/0", "1000/-1000/0", "1000/1000/0", "-1000/1000/0"},
      {"-1000/-1000/2000", "1000/-1000/2000", "1000/1000/2000", "-1000/1000/2000"}};
  const char* normals[6] = {"-1000/0/0", "1000/0/0",  "0/-1000/0",
                            "0/1000/0",  "0/0/-1000", "0/0/1000"};
  const char* uvs[4] = {"1.000000,1.000000", "0.000000,1.000000", "0.000000,0.000000",
                        "1.000000,0.000000"};
  for (int f = 0; f < 6; ++f) {
    for (int v = 0; v < 4; ++v) {
      text += std::string("\t") + faces[f][v] + "\t" + normals[f] + "\t" + uvs[v] + "\n";
    }
  }
  return text + "</VertexBuffer>\n";
}

struct Drawn {
  model::ModelFile model;
  std::vector<model::Placement> placements;
  preview::Scene scene;
};

void Load(Drawn& d, const std::string& text) {
  std::vector<model::Diagnostic> diagnostics;
  model::ReadModelFile(text, d.model, diagnostics);
  model::ResolvePlacements(d.model, d.placements, diagnostics);
  ASSERT_EQ(Describe(diagnostics), "");
  d.scene = preview::BuildScene(d.model, d.placements, [](const std::string& name, Picture& p) {
    std::string reason;
    if (name == "quad.tga")
      return model::DecodeTga(MakeTga(4, 4, Quadrants(false).pixels), p, reason);
    if (name == "clear.tga") {
      std::vector<uint8_t> clear(64, 0);  // 4 x 4 black, alpha 0 everywhere
      return model::DecodeTga(MakeTga(4, 4, clear), p, reason);
    }
    if (name == "mask.tga")
      return model::DecodeTga(MakeTga(4, 4, Quadrants(true).pixels), p, reason);
    return false;
  });
}

Picture Blank(uint32_t width, uint32_t height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(size_t(width) * height * 4, 255);
  return p;
}

// Compares picture with tests/data/preview/NAME.png, or writes it there when asked to.
void ExpectPicture(const Picture& picture, const std::string& name) {
  std::string path = std::string(SW_TEST_DATA) + "/preview/" + name + ".png";
  if (getenv("SW_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << preview::EncodePng(picture);
  }
  Picture expected;
  std::string reason;
  ASSERT_TRUE(preview::DecodePng(ReadTestData("preview/" + name + ".png"), expected, reason))
      << name << ": " << reason;
  ASSERT_EQ(expected.width, picture.width) << name;
  ASSERT_EQ(expected.height, picture.height) << name;
  size_t differing = 0;
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    differing += expected.pixels[i] != picture.pixels[i];
  EXPECT_EQ(differing, 0u) << name;
}

const char kAssembly[] = "Name scene\nMillimetric\nLength 4000\n";

TEST(Render, DrawsATexturedQuadFacingTheSideView) {
  Drawn d;
  Load(d, std::string(kAssembly) + "\tINCLUDE 0/2000/0\t quad\n" +
              QuadComponent("quad", "quad.tga", nullptr));
  Picture picture = Blank(40, 24);
  preview::DrawView(d.scene, preview::SideView(), picture, 0, 0, 40, 24);
  ExpectPicture(picture, "quad");
  // Seen from the left the front is on the left: u = 0 (red, top left of the texture) there.
  const uint8_t* top_left = &picture.pixels[(5 * 40 + 6) * 4];
  EXPECT_GT(top_left[0], 120);
  EXPECT_LT(top_left[1], 60);
}

TEST(Render, OneFlippedTextureCoordinateChangesThePicture) {
  Drawn d;
  Load(d, std::string(kAssembly) + "\tINCLUDE 0/2000/0\t quad\n" +
              QuadComponent("quad", "quad.tga", "1.000000,1.000000"));
  Picture picture = Blank(40, 24);
  preview::DrawView(d.scene, preview::SideView(), picture, 0, 0, 40, 24);
  Picture expected;
  std::string reason;
  ASSERT_TRUE(preview::DecodePng(ReadTestData("preview/quad.png"), expected, reason));
  EXPECT_NE(expected.pixels, picture.pixels);
}

// Alpha that would leave nothing at all is no cut-out: the face is drawn.
TEST(Render, DrawsATextureWhoseAlphaHidesEverythingAsOpaque) {
  Drawn d;
  Load(d, std::string(kAssembly) + "\tINCLUDE 0/2000/0\t quad\n" +
              QuadComponent("quad", "clear.tga", nullptr));
  Picture picture = Blank(40, 24);
  preview::DrawView(d.scene, preview::SideView(), picture, 0, 0, 40, 24);
  EXPECT_LT(picture.pixels[(12 * 40 + 20) * 4], 100);
}

TEST(Render, DrawsACubeWithAMaskTextureSeenThroughItsHoles) {
  Drawn d;
  Load(d, std::string(kAssembly) + "\tINCLUDE 0/2000/0\t cube\n" + CubeComponent());
  Picture picture = Blank(48, 40);
  preview::DrawView(d.scene, preview::ThreeQuarterView(), picture, 0, 0, 48, 40);
  ExpectPicture(picture, "cube");
}

TEST(Render, DrawsTwoComponentsPlacedByIncludeWithCaptionAndScaleBar) {
  Drawn d;
  Load(d,
       "Name two\nMillimetric\nLength 9000\n\tINCLUDE 0/2000/0\t quad\n"
       "\tINCLUDE 0/6000/500\t box\n" +
           QuadComponent("quad", "quad.tga", nullptr) + CubeComponent() +
           "[end]\nName box\nComponent\nMillimetric\n\tINCLUDE 0/0/0\t cube\n");
  ASSERT_EQ(d.placements.size(), 4u);
  Picture picture = preview::RenderPreview(d.scene, "two", 9000, 200, 64);
  ExpectPicture(picture, "two");
}

TEST(Render, DrawsTheSamePicturesEveryTime) {
  Drawn d;
  Load(d, std::string(kAssembly) + "\tINCLUDE 0/2000/0\t cube\n" + CubeComponent());
  Picture a = preview::RenderPreview(d.scene, "cube", 4000, 120, 48);
  Picture b = preview::RenderPreview(d.scene, "cube", 4000, 120, 48);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(preview::EncodePng(a), preview::EncodePng(b));
}

TEST(Render, PortableSineMatchesTheLibraryClosely) {
  for (double x : {-7.0, -3.14159, -1.0, 0.0, 0.3, 0.55, 1.5707963, 2.0, 3.0, 10.0}) {
    EXPECT_NEAR(preview::PortableSin(x), std::sin(x), 1e-12) << x;
    EXPECT_NEAR(preview::PortableCos(x), std::cos(x), 1e-12) << x;
  }
}

TEST(Render, FormatsMetresToCentimetres) {
  const std::pair<double, const char*> cases[] = {
      {16500, "16.50 m"}, {27000, "27.00 m"}, {18732, "18.73 m"}, {5, "0.01 m"}, {994, "0.99 m"}};
  for (const auto& [mm, text] : cases) EXPECT_EQ(preview::FormatMetres(mm), text) << mm;
}

TEST(Tga, DecodesEveryStoredForm) {
  // 2 x 2: red, green / blue, white (top row first), with the white half transparent.
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
  std::vector<uint8_t> pixels(std::begin(rgba), std::end(rgba));
  std::string bottom_up = MakeTga(2, 2, pixels);
  // Top row first, 24 bits: no alpha.
  std::string top_down = bottom_up.substr(0, 18);
  top_down[16] = 24;
  top_down[17] = 0x20;
  for (int i : {0, 1, 2, 3}) {
    top_down += char(rgba[i * 4 + 2]);
    top_down += char(rgba[i * 4 + 1]);
    top_down += char(rgba[i * 4]);
  }
  // Run-length coded: one raw packet of three, then a run of one.
  std::string rle = bottom_up.substr(0, 18);
  rle[2] = 10;
  rle += char(2);  // raw, 3 pixels: bottom row (blue, white), then red
  rle += bottom_up.substr(18, 12);
  rle += char(0x80);  // run of 1: green
  rle += bottom_up.substr(30, 4);
  struct Case {
    const char* form;
    std::string bytes;
    bool has_alpha;
  };
  for (const Case& c : {Case{"bottom up 32", bottom_up, true}, Case{"top down 24", top_down, false},
                        Case{"run-length", rle, true}}) {
    model::RgbaPicture picture;
    std::string reason;
    ASSERT_TRUE(model::DecodeTga(c.bytes, picture, reason)) << c.form << ": " << reason;
    ASSERT_EQ(picture.pixels.size(), 16u) << c.form;
    EXPECT_EQ(picture.pixels[0], 255) << c.form;   // red top left
    EXPECT_EQ(picture.pixels[5], 255) << c.form;   // green top right
    EXPECT_EQ(picture.pixels[10], 255) << c.form;  // blue bottom left
    EXPECT_EQ(picture.pixels[15], c.has_alpha ? 128 : 255) << c.form;
    EXPECT_EQ(picture.has_alpha, c.has_alpha) << c.form;
  }
}

TEST(Tga, RefusesWhatItCannotDecode) {
  std::string good = MakeTga(2, 2, std::vector<uint8_t>(16, 200));
  std::string colour_mapped = good, huge = good, rle_overrun = good.substr(0, 18);
  colour_mapped[1] = 1;
  huge[12] = huge[13] = huge[14] = huge[15] = char(255);
  rle_overrun[2] = 10;
  rle_overrun += char(0x85);  // a run of six in a picture of four
  rle_overrun += "abcd";
  const std::pair<std::string, const char*> cases[] = {
      {good.substr(0, 17), "shorter than a TGA header"},
      {good.substr(0, 30), "cut short at pixel"},
      {colour_mapped, "not a true-colour"},
      {huge, "too large"},
      {rle_overrun, "run beyond the last pixel"},
  };
  for (const auto& [bytes, reason_part] : cases) {
    model::RgbaPicture picture;
    std::string reason;
    EXPECT_FALSE(model::DecodeTga(bytes, picture, reason)) << reason_part;
    EXPECT_NE(reason.find(reason_part), std::string::npos) << reason;
  }
  // Every cut of a good file is refused, never read beyond.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    model::RgbaPicture picture;
    std::string reason;
    EXPECT_FALSE(model::DecodeTga(good.substr(0, cut), picture, reason)) << cut;
  }
}

}  // namespace
