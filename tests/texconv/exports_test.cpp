// The shared library as the shape converter uses it: loaded at run time, exports by name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "tests/texconv/support.h"

namespace {

using namespace texconv_test;
using test::TempFolder;
using test::WriteFile;
using ConvertFunction = int (*)(const char*, const char*);

class TexconvLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(TEXCONV_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }
  ConvertFunction Export(const char* name) {
    return reinterpret_cast<ConvertFunction>(dlsym(handle_, name));
  }
  void* handle_ = nullptr;
};

TEST_F(TexconvLibrary, AceToTgaConvertsAndReturnsOne) {
  ConvertFunction ace_to_tga = Export("_AceToTga");
  ASSERT_NE(ace_to_tga, nullptr);
  TempFolder folder;
  WriteFile(folder.File("w.ace"), WorkedExampleAce());
  EXPECT_EQ(ace_to_tga(folder.File("w.ace").c_str(), folder.File("w.tga").c_str()), 1);
  EXPECT_EQ(test::ReadBytes(folder.File("w.tga")), WorkedExampleTga());
}

TEST_F(TexconvLibrary, AceToTgaReturnsZeroAndWritesNothingOnFailure) {
  ConvertFunction ace_to_tga = Export("_AceToTga");
  ASSERT_NE(ace_to_tga, nullptr);
  TempFolder folder;
  Bytes bad = WorkedExampleAce();
  bad[0x24] = 9;  // channel count
  WriteFile(folder.File("bad.ace"), bad);
  EXPECT_EQ(ace_to_tga(folder.File("bad.ace").c_str(), folder.File("bad.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(folder.File("missing.ace").c_str(), folder.File("m.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(nullptr, folder.File("n.tga").c_str()), 0);
  EXPECT_EQ(ace_to_tga(folder.File("bad.ace").c_str(), nullptr), 0);
  EXPECT_EQ(folder.List(), std::vector<std::string>{"bad.ace"});
}

TEST_F(TexconvLibrary, CheckAceTellsConvertibleFiles) {
  ConvertFunction check_ace = Export("_CheckAce");
  ASSERT_NE(check_ace, nullptr);
  TempFolder folder;
  WriteFile(folder.File("good.ace"), WorkedExampleAce());
  Bytes dxt3 = WorkedExampleAce();
  dxt3[0x14] = 0x10;  // raw data flag
  dxt3[0x20] = 0x14;  // DXT3
  WriteFile(folder.File("dxt3.ace"), dxt3);
  EXPECT_EQ(check_ace(folder.File("good.ace").c_str(), nullptr), 1);
  EXPECT_EQ(check_ace(folder.File("dxt3.ace").c_str(), "ignored"), 0);
  EXPECT_EQ(check_ace(folder.File("none.ace").c_str(), nullptr), 0);
  EXPECT_EQ(check_ace(nullptr, nullptr), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"dxt3.ace", "good.ace"}));
}

TEST_F(TexconvLibrary, ExportsNothingButTheCEntryPoints) {
  EXPECT_EQ(dlsym(handle_, "_AceToBmp"), nullptr);
  EXPECT_EQ(dlsym(handle_, "_AceDecompress"), nullptr);
  // The core's functions stay hidden (Itanium names of texconv::DecodeAceData and EncodeTga).
  EXPECT_EQ(dlsym(handle_,
                  "_ZN7texconv13DecodeAceDataESt4spanIKhLm18446744073709551615EERNS_"
                  "9RgbaImageERNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"),
            nullptr);
  EXPECT_EQ(dlsym(handle_, "_ZN7texconv9EncodeTgaERKNS_9RgbaImageE"), nullptr);
}

}  // namespace
