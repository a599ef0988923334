// The collections the batch tests convert, and what they compare.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tests/cli/cli_run.h"
#include "tests/ffedit/shape_encoder.h"

namespace batch_test {

using namespace cli_test;

inline std::string CompressedShape(const std::string& blocks_text) {
  ffedit_test::Bytes file =
      ffedit_test::WrapCompressedShape(ffedit_test::EncodeShapeBlocks(blocks_text));
  return std::string(file.begin(), file.end());
}

inline std::string Description(const std::string& shape, const std::string& extra = "") {
  return ShapeText("Wagon ( x\nWagonShape ( " + shape + " )\nSize ( 3m 4m 14.5m )\n" + extra +
                   ")\n");
}

inline std::string ExampleTexture(const std::string& name = "loco_bogie.ace") {
  return test::ReadFile(std::string(SW_EXAMPLES) + "/" + name);
}

// A wagon set/name.wag on set/shape.s (moved by x) with its texture car.ace.
inline void WriteWagon(const TempFolder& folder, const std::string& set, const std::string& name,
                       const std::string& x, const std::string& texture = ExampleTexture()) {
  folder.Write(set + "/" + name + ".wag", Description(name + ".s"));
  folder.Write(set + "/" + name + ".s", ShapeWithTexture("car.ace", x));
  folder.Write(set + "/car.ace", texture);
}

// Two sets: a loaded and an empty car on one shape with its texture; a nested engine on a
// compressed shape; a wagon whose texture is missing; a wagon that cannot be read.
[[nodiscard]] inline std::unique_ptr<test::UnreadableFile> MakeCollection(
    const TempFolder& folder) {
  folder.Write("TS/SetA/CAR_LD.WAG", Description("car.s", "Mass ( 30t )\n"));
  folder.Write("TS/SetA/car_empty.wag", Description("Car.s", "Mass ( 20t )\n"));
  folder.Write("TS/SetA/Car.S", ShapeWithTexture("car.ace"));
  folder.Write("TS/SetA/car.ace", ExampleTexture());
  folder.Write("TS/SetB/Nested/LOCO.Eng",
               Description("loco.s", "MaxPower ( 1500kW )\nMaxVelocity ( 60mph )\n"));
  folder.Write("TS/SetB/Nested/loco.s", CompressedShape(ffedit_test::ReadTestData("full.txt")));
  folder.Write("TS/SetB/box.wag", Description("box.s"));
  folder.Write("TS/SetB/box.s", ShapeWithTexture("lost.ace"));
  return std::make_unique<test::UnreadableFile>(folder.File("TS/SetB/gone.wag"));
}

// Every file below root with its bytes.
inline std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[std::filesystem::relative(entry.path(), root).generic_string()] =
          test::ReadFile(entry.path().string());
  }
  return files;
}

}  // namespace batch_test
