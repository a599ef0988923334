// Vehicle parameters and the steam block from ENG/WAG files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/test_support.h"

namespace {

// The assembly's text between its Length line and the first INCLUDE (there are none here).
std::string VehicleLines(const std::string& eng, const std::string& eng_name = "loco.eng",
                         float length = 0, bool two_foot = false, Converted* out = nullptr) {
  ShapeParts parts;
  parts.sub_objects = "sub_objects ( 0 )\n";
  ConvertRequest request;
  request.shape = BuildShape(parts);
  request.eng = eng;
  request.eng_name = eng_name;
  request.length = length;
  request.two_foot = two_foot;
  Converted c = Convert(request);
  EXPECT_TRUE(c.ok);
  size_t at = c.model.find("Length ");
  at = c.model.find("\n\n", at) + 2;
  std::string rest = c.model.substr(at);
  if (out != nullptr) *out = c;
  return rest.substr(0, rest.size() - std::string("\n\n").size() + 1);
}

// An ENG file whose first line is the byte-order mark's character.
std::string Eng(const std::string& lines) { return "SIMISA@@@@@@@@@@JINX0D0t______\n\n" + lines; }

TEST(WriteVehicleParameters, ConvertsUnitsAsTheTableSays) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"MaxForce ( 45000lbf )", "\tTE\t180\n"},   {"MaxForce ( 200kN )", "\tTE\t200\n"},
      {"MaxVelocity ( 60mph )", "\tMax\t96\n"},   {"Mass ( 92.5t )", "\tWeight\t92\n"},
      {"MaxPower ( 1200kW )", "\tPower\t1200\n"}, {"MaxVelocity ( mph )", "\tMax\t0\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VehicleLines(Eng(std::string(c.line) + "\n")), std::string(c.written) + "\n")
        << c.line;
}

TEST(WriteVehicleParameters, QuotedValuesAndGluedUnits) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"Mass ( \"98.00t\" )", "\tWeight\t98\n"},
      {"Mass ( 92.163t )", "\tWeight\t92\n"},
      {"Mass ( 264000lb )", "\tWeight\t119\n"},
      {"Mass ( 264000LB )", "\tWeight\t119\n"},
      {"Mass ( 1e3kg )", "\tWeight\t0\n"},  // the whole number is 1
      {"Mass ( 20t-uk )", "\tWeight\t20\n"},
      {"Mass ( 10t-us )", "\tWeight\t9\n"},
      {"MaxPower ( 1500hp )", "\tPower\t1118\n"},
      {"MaxPower ( 1500HP )", "\tPower\t1118\n"},
      {"MaxPower ( 2500w )", "\tPower\t2\n"},
      {"MaxPower ( 3mw )", "\tPower\t3000\n"},
      {"MaxPower ( 2147483647mw )", "\tPower\t-2147483648\n"},
      {"MaxPower ( 2682.6kW ) Comment ( 4135 HP x 87% Eff. )", "\tPower\t2682\n"},
      {"MaxPower ( 3000ps )", "\tPower\t3000\n"},   // unknown unit
      {"MaxPower ( 1500 hp )", "\tPower\t1500\n"},  // detached unit
      {"MaxForce ( 271kN ) Comment ( 61000lbf )", "\tTE\t271\n"},
      {"MaxForce ( 45000N )", "\tTE\t45\n"},
      {"MaxForce ( \"45000lbf\" )", "\tTE\t180\n"},
      {"MaxForce ( 200kn# )", "\tTE\t200\n"},
      {"MaxVelocity ( 100kmph )", "\tMax\t100\n"},
      {"MaxVelocity ( 100KM/H ) # 60mph", "\tMax\t100\n"},
      {"MaxVelocity ( 10m/s )", "\tMax\t36\n"},
      {"MaxVelocity ( 60mph )", "\tMax\t96\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VehicleLines(Eng(std::string(c.line) + "\n")), std::string(c.written) + "\n")
        << c.line;
}

TEST(WriteVehicleParameters, SteamKeywordsDropAQuoteButKeepTheirUnits) {
  EXPECT_EQ(VehicleLines(Eng("MaxBoilerPressure ( \"200psi\" )\nCylinderStroke ( \"660mm\" )\n"
                             "WheelRadius ( \"36in\" )\n")),
            "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t\tPressure\t1378800\n"
            "\t\tCylStroke\t660000\n\t\tDriverDia\t1829\n\t</STEAM>\n\n");
}

TEST(WriteVehicleParameters, CommentedOutValuesAreNotWritten) {
  EXPECT_EQ(VehicleLines(Eng("Comment (\nMass ( 5t )\n)\nSkip ( Mass ( 7t ) (\n) )\n"
                             "Mass ( 6t ) comment ( 9t )\n")),
            "\tWeight\t6\n\n");
}

TEST(WriteVehicleParameters, IncludedLinesStandInPlaceOfTheIncludeLine) {
  TempFolder folder;
  ConversionOptions options = OptionsForShape(folder, EmptyShape());
  std::filesystem::create_directory(folder.path() + "/OpenRails");
  test::WriteFile(folder.path() + "/LOCO.ENG",
                  ShapeText("\nMass ( \"66.2t\" )\nStackFX (\nStream ("));
  options.EngPath = folder.path() + "/openrails/loco.eng";
  test::WriteFile(
      folder.path() + "/OpenRails/Loco.eng",
      ShapeText("\ninclude ( \"..\\\\[[SameName]]\" )\n0 4.5 6\ninclude ( gone.inc )\n"));
  RecordingLog log;
  ASSERT_TRUE(RunConversion(options, log));
  EXPECT_NE(WithoutCarriageReturns(test::ReadFile(folder.path() + "/loco.stk"))
                .find("Length 0\n\n\tWeight\t66\n\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n"
                      "\t\tChimney\t0/6000/4500\n\t</STEAM>\n\n"),
            std::string::npos);
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "Cannot read include file gone.inc"),
            log.lines.end());
}

TEST(WriteVehicleParameters, SteamBlockCollectsItsLinesInFileOrder) {
  std::string eng =
      Eng("Engine ( loco\n"
          "\tBoilerVolume ( \"220*(ft^3)\" )\n"
          "\tMaxBoilerPressure ( 200psi )\n"
          "\tWheelRadius ( 36in )\n"
          "\tCylinderStroke ( 26in )\n"
          "\tCylinderDiameter ( 0.66 )\n"
          "\tNumCylinders ( 2 )\n"
          "\tMass ( 90t )\n"
          "\tSafetyValvesFX (\n\t\tStream (\n\t\t0.25 4 1\n"
          "\tStackFX (\n\t\tStream (\n\t\t0 4.5 6.0625\n"
          ")\n");
  Converted c;
  EXPECT_EQ(VehicleLines(eng, "loco.eng", 20, false, &c),
            "\tWeight\t90\n\t<STEAM>"
            "\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t\tBoilerVolume\t6\n\t\tPressure\t1378800\n"
            "\t\tDriverDia\t1829\n\t\tCylStroke\t660\n\t\tCylDia\t0\n\t\tNumCylinder\t2\n"
            "\t\tsafetyvalve\t250/11000/4000\n\t\tChimney\t0/16063/4500\n\t</STEAM>\n\n");
  std::vector<std::string> logged;
  bool in = false;
  for (const std::string& line : c.log.lines) {
    if (line == "Outputing matrix heirarchy") break;
    if (in) logged.push_back(line);
    if (line == "Reading ENG/WAG file") in = true;
  }
  EXPECT_EQ(logged,
            (std::vector<std::string>{
                "\t\tBoilerVolume\t6\n", "\t\tPressure\t1378800\n", "\t\tDriverDia\t1829\n",
                "\t\tCylStroke\t660\n", "\t\tCylDia\t0\n", "\t\tNumCylinder\t2\n", "\tWeight\t90\n",
                "\t\tsafetyvalve\t250/11000/4000\n", "\t\tChimney\t0/16063/4500\n"}));
}

TEST(WriteVehicleParameters, TwoFootHalvesLengthsAndCylinders) {
  std::string eng =
      Eng("WheelRadius ( 36in )\nCylinderStroke ( 26in )\nCylinderDiameter ( 10in )\nNumCylinders "
          "( 3 )\n");
  EXPECT_EQ(VehicleLines(eng, "loco.eng", 0, true),
            "\t<STEAM>"
            "\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t\tDriverDia\t914\n\t\tCylStroke\t330\n\t\tCylDia"
            "\t127\n"
            "\t\tNumCylinder\t3\n\t</STEAM>\n\n");
  EXPECT_NE(VehicleLines(Eng("CylinderStroke ( 10in )\n")).find("\t\tCylStroke\t254\n"),
            std::string::npos);
}

TEST(WriteVehicleParameters, BoilerVolumeIsAtLeastOne) {
  EXPECT_NE(VehicleLines(Eng("BoilerVolume ( 3ft^3 )\n")).find("\t\tBoilerVolume\t1\n"),
            std::string::npos);
  EXPECT_NE(VehicleLines(Eng("BoilerVolume ( 0 )\n")).find("\t\tBoilerVolume\t1\n"),
            std::string::npos);
}

TEST(WriteVehicleParameters, SteamNeedsAStartingTypeLineOrASteamKeyword) {
  Converted c;
  EXPECT_EQ(VehicleLines(Eng("Type ( Steam )\n"), "loco.eng", 0, false, &c),
            "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t</STEAM>\n\n");
  EXPECT_NE(std::find(c.log.lines.begin(), c.log.lines.end(), "Steam"), c.log.lines.end());
  EXPECT_EQ(VehicleLines(Eng("Name ( steam engine )\n")), "\n");
  EXPECT_EQ(VehicleLines(Eng("WheelRadius ( 0.5 )\n")),
            "\n");  // no steam block without a steam keyword
  EXPECT_EQ(
      VehicleLines(Eng("WheelRadius ( 0.5 )\nWheelRadius ( 1 )\nType ( Steam )\n")),
      "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t\tDriverDia\t1000\n\t\tDriverDia\t2000\n\t</"
      "STEAM>\n\n");
}

TEST(WriteVehicleParameters, WagonFilesStartWithMaxZero) {
  EXPECT_EQ(VehicleLines(Eng("Mass ( 20t )\n"), "loco.wag"), "\tMax 0\n\tWeight\t20\n\n");
  EXPECT_EQ(VehicleLines(Eng("Mass ( 20t )\n"), "loco.WAG"), "\tWeight\t20\n\n");
  EXPECT_EQ(VehicleLines(Eng(""), "loco.wag"), "\tMax 0\n\n");  // no matching line
}

TEST(WriteVehicleParameters, LastLineWithoutLineEndIsRead) {
  TempFolder folder;
  ConversionOptions options = OptionsForShape(folder, EmptyShape());
  options.EngPath = folder.path() + "/loco.eng";
  std::string eng = ShapeText("x\nMass ( 7 )");
  test::WriteFile(options.EngPath, eng);
  RecordingLog log;
  ASSERT_TRUE(RunConversion(options, log));
  EXPECT_NE(WithoutCarriageReturns(test::ReadFile(folder.path() + "/loco.stk"))
                .find("Length 0\n\n\tWeight\t7\n\n"),
            std::string::npos);
}

TEST(WriteVehicleParameters, PositionAtTheEndOfTheFileReadsZeros) {
  EXPECT_EQ(VehicleLines(Eng("StackFX (\n"), "loco.eng", 2),
            "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n\t\tChimney\t0/1000/0\n\t</STEAM>\n\n");
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
