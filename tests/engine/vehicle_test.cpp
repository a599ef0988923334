// Vehicle parameters and the steam block from ENG/WAG files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/test_support.h"

namespace {

struct VehicleCase {
  std::string eng;      // below the first line, which holds the byte-order mark's character
  std::string written;  // the vehicle lines between the Length line and the hierarchy
  std::string name = "loco.eng";
  float length = 0;
  bool two_foot = false;
};

std::string ConvertVehicle(const VehicleCase& k) {
  ConvertRequest request;
  request.shape = EmptyShape();
  request.eng = "SIMISA@@@@@@@@@@JINX0D0t______\n\n" + k.eng;
  request.eng_name = k.name;
  request.length = k.length;
  request.two_foot = k.two_foot;
  Converted c = Convert(request);
  EXPECT_TRUE(c.ok) << k.eng;
  size_t at = c.model.find("\n\n", c.model.find("Length ")) + 2;
  // The vehicle lines end with an empty line, and the hierarchy of one root is another.
  return c.model.substr(at, c.model.size() - at - 2);
}

std::string InSteamBlock(const std::string& lines) {
  return "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n" + lines + "\t</STEAM>\n";
}

TEST(WriteVehicleParameters, LinesAsTheUnitsAndKeywordsSay) {
  const VehicleCase cases[] = {
      {"MaxForce ( 200kN )\n", "\tTE\t200\n"},
      {"MaxVelocity ( mph )\n", "\tMax\t0\n"},
      {"Mass ( \"98.00t\" )\n", "\tWeight\t98\n"},
      {"Mass ( 264000lb )\n", "\tWeight\t119\n"},
      {"Mass ( 1e3kg )\n", "\tWeight\t0\n"},  // the whole number is 1
      {"Mass ( 20t-uk )\n", "\tWeight\t20\n"},
      {"Mass ( 10t-us )\n", "\tWeight\t9\n"},
      {"MaxPower ( 1500HP )\n", "\tPower\t1118\n"},
      {"MaxPower ( 2500w )\n", "\tPower\t2\n"},
      {"MaxPower ( 2147483647mw )\n", "\tPower\t-2147483648\n"},
      {"MaxPower ( 2682.6kW ) Comment ( 4135 HP x 87% Eff. )\n", "\tPower\t2682\n"},
      {"MaxPower ( 3000ps )\n", "\tPower\t3000\n"},   // unknown unit
      {"MaxPower ( 1500 hp )\n", "\tPower\t1500\n"},  // detached unit
      {"MaxForce ( 271kN ) Comment ( 61000lbf )\n", "\tTE\t271\n"},
      {"MaxForce ( 45000N )\n", "\tTE\t45\n"},
      {"MaxForce ( \"45000lbf\" )\n", "\tTE\t180\n"},
      {"MaxForce ( 200kn# )\n", "\tTE\t200\n"},
      {"MaxVelocity ( 100kmph )\n", "\tMax\t100\n"},
      {"MaxVelocity ( 100KM/H ) # 60mph\n", "\tMax\t100\n"},
      {"MaxVelocity ( 10m/s )\n", "\tMax\t36\n"},
      {"x\nMass ( 7 )", "\tWeight\t7\n"},  // the last line has no line end
      {"Comment (\nMass ( 5t )\n)\nSkip ( Mass ( 7t ) (\n) )\nMass ( 6t ) comment ( 9t )\n",
       "\tWeight\t6\n"},
      {"Mass ( 20t )\n", "\tMax 0\n\tWeight\t20\n", "loco.wag"},
      {"Mass ( 20t )\n", "\tMax 0\n\tWeight\t20\n", "loco.WAG"},  // paths keep their case
      {"", "\tMax 0\n", "loco.wag"},
      // Steam keywords drop a quote but keep their units.
      {"MaxBoilerPressure ( \"200psi\" )\nCylinderStroke ( \"660mm\" )\nWheelRadius ( \"36in\" )\n",
       InSteamBlock("\t\tPressure\t1378800\n\t\tCylStroke\t660000\n\t\tDriverDia\t1829\n")},
      {"CylinderStroke ( 10in )\nCylinderDiameter ( 0.66 )\n",
       InSteamBlock("\t\tCylStroke\t254\n\t\tCylDia\t0\n")},
      {"WheelRadius ( 36in )\nCylinderStroke ( 26in )\nCylinderDiameter ( 10in )\n"
       "NumCylinders ( 3 )\n",
       InSteamBlock(
           "\t\tDriverDia\t914\n\t\tCylStroke\t330\n\t\tCylDia\t127\n\t\tNumCylinder\t3\n"),
       "loco.eng", 0, true},
      {"BoilerVolume ( 3ft^3 )\n", InSteamBlock("\t\tBoilerVolume\t1\n")},
      // A steam block needs a Type line naming steam after its start, or a steam keyword.
      {"Type ( Steam )\n", InSteamBlock("")},
      {"Name ( steam engine )\n", ""},
      {"WheelRadius ( 0.5 )\n", ""},
      {"WheelRadius ( 0.5 )\nWheelRadius ( 1 )\nType ( Steam )\n",
       InSteamBlock("\t\tDriverDia\t1000\n\t\tDriverDia\t2000\n")},
      // Positions: the second line after the keyword; x and y pass through float, z does not.
      {"SafetyValvesFX (\n\tStream (\n\t0.06249999999 4 0.06249999999\n",
       InSteamBlock("\t\tsafetyvalve\t63/62/4000\n")},
      {"StackFX (\n", InSteamBlock("\t\tChimney\t0/1000/0\n"), "loco.eng", 2},
  };
  for (const VehicleCase& k : cases) EXPECT_EQ(ConvertVehicle(k), k.written) << k.eng;
}

TEST(WriteVehicleParameters, MissingFileEndsTheRunAfterTheLengthLine) {
  TempFolder folder;
  ConversionOptions options = OptionsForShape(folder, EmptyShape());
  options.EngPath = folder.path() + "/missing.eng";
  RecordingLog log;
  EXPECT_FALSE(RunConversion(options, log));
  ASSERT_EQ(log.failures.size(), 1u);
  EXPECT_EQ(log.failures[0].file, options.EngPath);
  EXPECT_EQ(log.failures[0].reason, "No such file or directory");
  EXPECT_EQ(log.lines.back(), "Reading ENG/WAG file");
  std::string model = WithoutCarriageReturns(test::ReadFile(folder.path() + "/loco.stk"));
  EXPECT_EQ(model.substr(model.size() - 10), "Length 0\n\n");
}

}  // namespace
