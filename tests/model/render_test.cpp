// The renderer: small hand-made models drawn small and compared pixel for pixel with committed
// pictures (SW_UPDATE_GOLDEN=1 rewrites them; look at them before committing), the PNG writer,
// and the TGA reader under the textures.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "model/tga_reader.h"
#include "preview/png.h"
#include "preview/preview.h"
#include "preview/preview_file.h"
#include "tests/model/model_test_support.h"

namespace {

using preview::Picture;

// quad.tga: four quadrants, red top left, green top right, blue bottom left, yellow bottom
// right; mask.tga: the same with the bottom right quadrant cut out; clear.tga: black, alpha 0.
bool LoadTexture(const std::string& name, Picture& p) {
  const uint8_t colours[4][4] = {
      {220, 30, 30, 255}, {30, 200, 30, 255}, {30, 30, 220, 255}, {230, 220, 20, 255}};
  p.width = p.height = 4;
  p.has_alpha = name != "quad.tga";
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) {
      for (uint8_t c : colours[(y / 2) * 2 + x / 2])
        p.pixels.push_back(name == "clear.tga" ? 0 : c);
      if (name == "mask.tga" && x >= 2 && y >= 2) p.pixels.back() = 0;
    }
  }
  return name == "quad.tga" || name == "mask.tga" || name == "clear.tga";
}

// A quad in the plane x = -1000 facing the left side, 4 m along and 2 m high, u running to
// the front (+y) as a side seen from the left reads, v down.
std::string QuadComponent(const char* skin) {
  return std::string("[end]\nName quad\nMillimetric\nComponent\nSkin \"") + skin +
         "\"\n<IndexedTriangleList>\n\t0,1,2\n\t0,2,3\n</IndexedTriangleList>\n<VertexBuffer>\n"
         "\t-1000/2000/2000\t-1000/0/0\t0.000000,0.000000\n"
         "\t-1000/-2000/2000\t-1000/0/0\t1.000000,0.000000\n"
         "\t-1000/-2000/0\t-1000/0/0\t1.000000,1.000000\n"
         "\t-1000/2000/0\t-1000/0/0\t0.000000,1.000000\n</VertexBuffer>\n";
}

// A 2 m cube standing on z = 0, faces -x, +x, -y, +y, -z, +z, each with the whole mask
// texture and its normal pointing out.
std::string CubeComponent() {
  const char* uvs[4] = {"1.000000,1.000000", "0.000000,1.000000", "0.000000,0.000000",
                        "1.000000,0.000000"};
  std::string triangles, vertices;
  for (int f = 0; f < 6; ++f) {
    int axis = f / 2, first = axis == 0 ? 1 : 0, second = axis == 2 ? 1 : 2;
    std::string b[4];
    for (int k = 0; k < 4; ++k) b[k] = std::to_string(f * 4 + k);
    triangles +=
        "\t" + b[0] + "," + b[1] + "," + b[2] + "\n\t" + b[0] + "," + b[2] + "," + b[3] + "\n";
    for (int v = 0; v < 4; ++v) {
      int high[3], normal[3] = {0, 0, 0};  // high: the coordinate at the top of its range
      high[axis] = f % 2;
      high[first] = v == 1 || v == 2;
      high[second] = v >= 2;
      normal[axis] = f % 2 ? 1000 : -1000;
      for (int k = 0; k < 3; ++k)
        vertices += (k ? "/" : "\t") + std::to_string(2000 * high[k] - (k < 2 ? 1000 : 0));
      for (int k = 0; k < 3; ++k) vertices += (k ? "/" : "\t") + std::to_string(normal[k]);
      vertices += std::string("\t") + uvs[v] + "\n";
    }
  }
  return "[end]\nName cube\nMillimetric\nComponent\nSkin \"mask.tga\"\n<IndexedTriangleList>\n" +
         triangles + "</IndexedTriangleList>\n<VertexBuffer>\n" + vertices + "</VertexBuffer>\n";
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
  d.scene = preview::BuildScene(d.model, d.placements, LoadTexture);
}

// The component name placed by a 4 m assembly, drawn into a white picture.
Picture DrawPlaced(const std::string& name, const std::string& component, const preview::View& view,
                   uint32_t width, uint32_t height) {
  Drawn d;
  Load(d, "Name scene\nMillimetric\nLength 4000\n\tINCLUDE 0/2000/0\t " + name + "\n" + component);
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(size_t(width) * height * 4, 255);
  preview::DrawView(d.scene, view, p, 0, 0, width, height);
  return p;
}

// Compares picture with tests/data/preview/NAME.png, or writes it there when asked to.
void ExpectPicture(const Picture& picture, const std::string& name) {
  std::string path = std::string(SW_TEST_DATA) + "/preview/" + name + ".png";
  if (getenv("SW_UPDATE_GOLDEN") != nullptr) test::WriteFile(path, preview::EncodePng(picture));
  Picture expected;
  std::string reason;
  ASSERT_TRUE(preview::DecodePng(test::ReadFile(path), expected, reason)) << name << ": " << reason;
  ASSERT_EQ(expected.width, picture.width) << name;
  ASSERT_EQ(expected.height, picture.height) << name;
  EXPECT_TRUE(expected.pixels == picture.pixels) << name;
}

TEST(Render, DrawsATexturedQuadFacingTheSideView) {
  Picture picture = DrawPlaced("quad", QuadComponent("quad.tga"), preview::SideView(), 40, 24);
  ExpectPicture(picture, "quad");
  // Seen from the left the front is on the left: u = 0 (red, top left of the texture) there.
  const uint8_t* top_left = &picture.pixels[(5 * 40 + 6) * 4];
  EXPECT_GT(top_left[0], 120);
  EXPECT_LT(top_left[1], 60);
}

// Proves the picture comparison can fail: one coordinate flipped must show.
TEST(Render, OneFlippedTextureCoordinateChangesThePicture) {
  std::string quad = QuadComponent("quad.tga");
  quad.replace(quad.find("0.000000,0.000000"), 17, "1.000000,1.000000");
  Picture flipped = DrawPlaced("quad", quad, preview::SideView(), 40, 24);
  Picture expected;
  std::string reason;
  ASSERT_TRUE(preview::DecodePng(test::ReadFile(std::string(SW_TEST_DATA) + "/preview/quad.png"),
                                 expected, reason))
      << reason;
  EXPECT_FALSE(expected.pixels == flipped.pixels);
}

// Alpha that would leave nothing at all is no cut-out: the face is drawn.
TEST(Render, DrawsATextureWhoseAlphaHidesEverythingAsOpaque) {
  Picture picture = DrawPlaced("quad", QuadComponent("clear.tga"), preview::SideView(), 40, 24);
  EXPECT_LT(picture.pixels[(12 * 40 + 20) * 4], 100);
}

TEST(Render, DrawsACubeWithAMaskTextureSeenThroughItsHoles) {
  ExpectPicture(DrawPlaced("cube", CubeComponent(), preview::ThreeQuarterView(), 48, 40), "cube");
}

// The whole preview, and its PNG read back gives the same pixels.
TEST(Render, DrawsTwoComponentsPlacedByIncludeWithCaptionAndScaleBar) {
  Drawn d;
  Load(d,
       "Name two\nMillimetric\nLength 9000\n\tINCLUDE 0/2000/0\t quad\n"
       "\tINCLUDE 0/6000/500\t box\n" +
           QuadComponent("quad.tga") + CubeComponent() +
           "[end]\nName box\nComponent\nMillimetric\n\tINCLUDE 0/0/0\t cube\n");
  Picture picture = preview::RenderPreview(d.scene, "two", 9000, 200, 64);
  ExpectPicture(picture, "two");
  Picture decoded;
  std::string reason;
  ASSERT_TRUE(preview::DecodePng(preview::EncodePng(picture), decoded, reason)) << reason;
  EXPECT_TRUE(decoded.pixels == picture.pixels);
}

// A 2 x 2 TGA: red, green / blue, white (top row first), the white half transparent, stored
// as the texture converter writes it: 32 bits, bottom row first.
const uint8_t kRgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};

std::string MakeTga() {
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = tga[14] = 2;
  tga[16] = 32;
  tga[17] = 8;
  for (int i : {2, 3, 0, 1}) {
    tga += {char(kRgba[i * 4 + 2]), char(kRgba[i * 4 + 1]), char(kRgba[i * 4]),
            char(kRgba[i * 4 + 3])};
  }
  return tga;
}

// A scene past its triangle budget leaves out whole placements from the first that would not
// fit; a view past its pixel budget stops drawing. Either says so.
TEST(Render, DrawingStopsAtItsBudgetsAndSaysSo) {
  Drawn d;
  Load(d,
       "Name scene\nMillimetric\n\tINCLUDE 0/0/0\t quad\n\tINCLUDE 0/9/0\t quad\n"
       "\tINCLUDE 0/0/0\t quad\n" +
           QuadComponent("quad.tga"));
  preview::Scene scene = preview::BuildScene(d.model, d.placements, LoadTexture, 5);
  EXPECT_EQ(scene.parts.size(), 2u);
  EXPECT_EQ(scene.box_max[1], 2009);
  EXPECT_EQ(preview::PartialPictureNote(scene, false),
            "drawn in part: 4 of 6 placed triangles, the most a picture draws");
  Picture blank;
  blank.width = blank.height = 32;
  blank.pixels.assign(32 * 32 * 4, 255);
  Picture whole = blank, part = blank;
  EXPECT_FALSE(preview::DrawView(d.scene, preview::SideView(), whole, 0, 0, 32, 32).pixels_ran_out);
  EXPECT_EQ(preview::PartialPictureNote(d.scene, false), "");
  // Each triangle's box holds about 32 x 16 pixels: the first is drawn, the next ones are not.
  EXPECT_TRUE(
      preview::DrawView(d.scene, preview::SideView(), part, 0, 0, 32, 32, 700).pixels_ran_out);
  EXPECT_NE(part.pixels, blank.pixels);
  EXPECT_NE(part.pixels, whole.pixels);
  // The picture beside the model file is drawn all the same, and its warning says why not whole.
  test::TempFolder folder;
  std::string reason, file = folder.Write("scene.stk", "Name scene\nMillimetric\n");
  std::unique_ptr<preview::LoadedModel> loaded = preview::LoadModelFile(file, reason);
  loaded->scene = std::move(scene);
  ASSERT_TRUE(preview::WritePreviewBeside(*loaded, reason)) << reason;
  EXPECT_EQ(loaded->diagnostics.back().message,
            "the picture is drawn in part: 4 of 6 placed triangles, the most a picture draws");
}

TEST(Tga, DecodesEveryStoredForm) {
  std::string bottom_up = MakeTga();
  std::string top_down = bottom_up.substr(0, 18);  // top row first, 24 bits: no alpha
  top_down[16] = 24;
  top_down[17] = 0x20;
  for (int i : {0, 1, 2, 3}) {
    top_down += {char(kRgba[i * 4 + 2]), char(kRgba[i * 4 + 1]), char(kRgba[i * 4])};
  }
  // Run-length coded: a raw packet of three (bottom row, then red), then a run of one (green).
  std::string rle = bottom_up.substr(0, 18) + char(2) + bottom_up.substr(18, 12) + char(0x80) +
                    bottom_up.substr(30, 4);
  rle[2] = 10;
  for (const auto& [bytes, has_alpha] :
       {std::pair{bottom_up, true}, std::pair{top_down, false}, std::pair{rle, true}}) {
    model::RgbaPicture picture;
    std::string reason;
    ASSERT_TRUE(model::DecodeTga(bytes, picture, reason)) << reason;
    std::vector<uint8_t> expected(std::begin(kRgba), std::end(kRgba));
    if (!has_alpha) expected[15] = 255;
    EXPECT_EQ(picture.pixels, expected) << has_alpha;
    EXPECT_EQ(picture.has_alpha, has_alpha);
  }
}

TEST(Tga, RefusesWhatItCannotDecode) {
  std::string good = MakeTga();
  std::string colour_mapped = good, huge = good, rle_overrun = good.substr(0, 18);
  colour_mapped[1] = 1;
  huge[12] = huge[13] = huge[14] = huge[15] = char(255);
  rle_overrun[2] = 10;
  rle_overrun += char(0x85) + std::string("abcd");  // a run of six in a picture of four
  const std::pair<std::string, const char*> cases[] = {
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
  // Every cut of a good file is refused (its header or its pixels cut short), never read beyond.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    model::RgbaPicture picture;
    std::string reason;
    EXPECT_FALSE(model::DecodeTga(good.substr(0, cut), picture, reason)) << cut;
  }
}

}  // namespace
