#include "convert/vehicle.h"

#include <cstring>
#include <span>

#include "base/text.h"
#include "base/vehicle_data.h"
#include "convert/eng_file.h"
#include "convert/numbers.h"
#include "convert/run.h"

namespace {

// A conversion of a whole number from the file: in double precision cut toward zero, or (whole)
// in 64-bit integers keeping the low 32 bits.
struct Factor {
  double value = 1;
  bool whole = true;
};

int32_t Convert(Factor factor, int32_t n) {
  if (factor.whole) return LowBits32(int64_t{n} * static_cast<int64_t>(factor.value));
  return TruncateToInt32(n * factor.value);
}

constexpr GluedUnit kMassUnits[] = {
    {"t", 1}, {"kg", 0.001}, {"lb", 0.00045359237}, {"t-uk", 1.0160469088}, {"t-us", 0.90718474}};
constexpr GluedUnit kPowerUnits[] = {{"w", 0.001}, {"kw", 1}, {"mw", 1000}, {"hp", 0.745699872}};
constexpr GluedUnit kForceUnits[] = {{"n", 0.001}, {"kn", 1}};
constexpr GluedUnit kSpeedUnits[] = {
    {"km/h", 1}, {"kph", 1}, {"kmh", 1}, {"kmph", 1}, {"m/s", 3.6}};

enum class Rule { kPlain, kType, kBoilerVolume, kPosition, kWheelRadius };

struct KeywordRule {
  std::string_view keyword;
  Rule rule;
  std::string_view label;      // the produced line's key (after a tab, two in the steam block)
  bool to_steam;               // the line goes to the steam block rather than the model file
  bool sets_steam;             // the keyword makes the vehicle a steam engine
  std::string_view unit = {};  // found anywhere after the value's first character
  Factor with_unit = {};
  Factor without_unit = {};
  std::span<const GluedUnit> glued_units = {};  // win over unit
  bool halved_at_two_foot = false;
};

// The key of a vehicle line, from the table the model-file reader shares.
constexpr std::string_view Key(std::string VehicleData::*value) {
  for (const VehicleKey& k : kVehicleKeys) {
    if (k.value == value) return k.key;
  }
  return {};
}

// In the order the keywords are tested; a matching keyword leaves its value text as the line
// that the later tests of the same pass look at.
// clang-format off
constexpr KeywordRule kKeywordRules[] = {
    {"mass",              Rule::kPlain,        Key(&VehicleData::weight),          false, false, {}, {}, {}, kMassUnits},
    {"maxpower",          Rule::kPlain,        Key(&VehicleData::power),           false, false, {}, {}, {}, kPowerUnits},
    {"maxforce",          Rule::kPlain,        Key(&VehicleData::tractive_effort), false, false, "lbf", {0.004, false}, {}, kForceUnits},
    {"maxvelocity",       Rule::kPlain,        Key(&VehicleData::max_speed),       false, false, "mph", {1.61, false}, {}, kSpeedUnits},
    {"type",              Rule::kType,         "Steam",                            false, false},
    {"boilervolume",      Rule::kBoilerVolume, "BoilerVolume",                     true,  true,  "ft", {0.028, false}},
    {"maxboilerpressure", Rule::kPlain,        "Pressure",                         true,  true,  "psi", {6894}},
    {"safetyvalvesfx",    Rule::kPosition,     "safetyvalve",                      true,  true},
    {"stackfx",           Rule::kPosition,     "Chimney",                          true,  true},
    {"wheelradius",       Rule::kWheelRadius,  "DriverDia",                        true,  false, "in", {0.0254, false}},
    {"numcylinders",      Rule::kPlain,        "NumCylinder",                      true,  true},
    {"cylinderstroke",    Rule::kPlain,        "CylStroke",                        true,  true,  "in", {25.4, false}, {1000}, {}, true},
    {"cylinderdiameter",  Rule::kPlain,        "CylDia",                           true,  true,  "in", {25.4, false}, {1000}, {}, true},
};
// clang-format on

struct VehicleReading {
  VehicleReading(Run& r, EngFileOpener& files) : run(r), eng(files, r.log) {}
  Run& run;
  EngFile eng;
  CurrentLine line;
  bool end_of_file = false;
  bool is_steam = false;
  bool any_keyword = false;  // a line of the file matched a keyword
  std::string steam_lines;
};

void ReadEngLine(VehicleReading& r, CurrentLine& line) {
  r.eng.ReadLine(line);
  if (r.eng.ReadError() != 0) {
    throw RunAborted{{r.run.options.EngPath, std::strerror(r.eng.ReadError())}};
  }
}

// One leading double quote dropped, as in Mass ( "98.00t" ).
void DropLeadingQuote(CurrentLine& line) {
  if (LineView(line).starts_with('"')) {
    line.begin += 1;
    TrimLine(line);
  }
}

// The text from the character after the first "(" to the end, trimmed, without a leading quote.
void TakeValueText(CurrentLine& line) {
  size_t open = LineView(line).find('(');
  if (open != std::string_view::npos) line.begin += open + 1;
  TrimLine(line);
  DropLeadingQuote(line);
}

// A unit counts only when it occurs after the value text's first character.
bool HasUnit(const CurrentLine& line, std::string_view unit) {
  size_t at = LineView(line).find(unit);
  return at != std::string_view::npos && at > 0;
}

void Produce(VehicleReading& r, const KeywordRule& rule, const std::string& text) {
  if (rule.to_steam) {
    r.steam_lines += text;
  } else {
    WriteText(r.run.model, text);
  }
  r.run.log.AppendLog(text);
  if (rule.sets_steam) r.is_steam = true;
}

// The produced line up to its value: "\tWeight\t", "\t\tPressure\t".
std::string LineHead(const KeywordRule& rule) {
  std::string head = rule.to_steam ? "\t\t" : "\t";
  head += rule.label;
  head += '\t';
  return head;
}

std::string IntLine(const KeywordRule& rule, int64_t value) {
  std::string text = LineHead(rule);
  AppendInt(text, value);
  text += '\n';
  return text;
}

int32_t PlainValue(const VehicleReading& r, const KeywordRule& rule) {
  std::string_view value = LineView(r.line);
  int32_t n = ReadLeadingInt(value);
  int32_t result;
  if (const GluedUnit* glued = FindGluedUnit(value, rule.glued_units)) {
    result = TruncateToInt32(n * glued->factor);
  } else if (!rule.unit.empty() && HasUnit(r.line, rule.unit)) {
    result = Convert(rule.with_unit, n);
  } else {
    result = Convert(rule.without_unit, n);
  }
  if (rule.halved_at_two_foot && r.run.options.TwoFootScale) result /= 2;
  return result;
}

// "safetyvalvesfx" and "stackfx": the second of the next two lines holds x, y and z.
std::string PositionLine(VehicleReading& r, const KeywordRule& rule) {
  ReadEngLine(r, r.line);
  bool first_end = r.line.end_of_file;
  ReadEngLine(r, r.line);
  r.end_of_file = first_end || r.line.end_of_file;
  CurrentLine& line = r.line;
  TrimLine(line);
  DropLeadingQuote(line);
  float x = RoundToFloat(ReadLeadingDouble(LineView(line)));
  SkipPast(line, ' ');
  float y = RoundToFloat(ReadLeadingDouble(LineView(line)));
  SkipPast(line, ' ');
  double z = ReadLeadingDouble(LineView(line));
  double s = r.run.UnitScale;
  std::string text = LineHead(rule);
  AppendWholeTriple(text, static_cast<double>(x) * s,
                    (static_cast<double>(r.run.options.Length) * 0.5 + z) * s,
                    static_cast<double>(y) * s);
  text += '\n';
  return text;
}

void ApplyRule(VehicleReading& r, const KeywordRule& rule) {
  CurrentLine& line = r.line;
  if (rule.rule == Rule::kType) {
    size_t at = LineView(line).find("steam");
    if (at != std::string_view::npos && at > 0) {
      r.run.log.AppendLog(std::string(rule.label));
      r.is_steam = true;
    }
    return;
  }
  if (rule.rule == Rule::kPosition) {
    Produce(r, rule, PositionLine(r, rule));
    return;
  }
  TakeValueText(line);
  if (rule.rule == Rule::kWheelRadius) {
    double radius = RoundToFloat(ReadLeadingDouble(LineView(line)));
    if (HasUnit(line, rule.unit)) radius = radius * rule.with_unit.value;
    std::string text = LineHead(rule);
    AppendWhole(text, radius * static_cast<double>(r.run.UnitScale) * 2);
    text += '\n';
    Produce(r, rule, text);
  } else if (rule.rule == Rule::kBoilerVolume) {
    int32_t n = ReadLeadingInt(LineView(line));
    if (HasUnit(line, rule.unit)) n = Convert(rule.with_unit, n);
    Produce(r, rule, IntLine(rule, n < 1 ? 1 : n));
  } else {
    int32_t value = PlainValue(r, rule);
    Produce(r, rule, IntLine(rule, value));
    if (const VehicleKey* key = FindVehicleKey(rule.label); key != nullptr && !rule.to_steam) {
      std::string& written = r.run.written.vehicle.*key->value;
      written.clear();
      AppendInt(written, value);
    }
  }
}

}  // namespace

void WriteVehicleParameters(Run& run) {
  run.log.AppendLog("Reading ENG/WAG file");
  const std::string& path = run.options.EngPath;
  DiskEngFiles disk;
  VehicleReading r(run, disk);
  std::string reason;
  if (!r.eng.Open(path, reason)) throw RunAborted{{path, reason}};
  // The path keeps the letter case the user gave it; a wagon is told by its extension alone.
  if (EndsWith(ToLowerAscii(path), ".wag")) {
    // A wagon has no speed of its own.
    std::string line = "\t" + std::string(Key(&VehicleData::max_speed)) + " 0\n";
    WriteText(run.model, line);
    run.written.vehicle.max_speed = "0";
  }
  while (!r.end_of_file) {
    ReadEngLine(r, r.line);
    r.end_of_file = r.line.end_of_file;
    for (const KeywordRule& rule : kKeywordRules) {
      if (!LineStartsWith(r.line, rule.keyword)) continue;
      r.any_keyword = true;
      ApplyRule(r, rule);
    }
  }
  // A file that gave nothing is named when something about its text may be why.
  if (std::string trouble = r.eng.Trouble(); !r.any_keyword && !trouble.empty()) {
    run.log.ReportWarning({path, "no vehicle data read: " + trouble});
  }
  if (r.is_steam) {
    WriteText(run.model, "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n");
    WriteText(run.model, r.steam_lines);
    WriteText(run.model, "\t</STEAM>\n");
  }
  WriteText(run.model, "\n");
}
