// The vehicle's physical data from its ENG/WAG description file, written into the assembly.
#include <cerrno>
#include <cstring>

#include "convert/numbers.h"
#include "convert/run.h"
#include "platform/files.h"

namespace {

struct EngReader {
  ByteSource file;
  CurrentLine line;
  std::string scratch;
};

// The text from the character after the first "(" to the end, trimmed.
void TakeValueText(CurrentLine& line) {
  size_t open = LineView(line).find('(');
  if (open != std::string_view::npos) line.begin += open + 1;
  TrimLine(line);
}

// A unit counts only when it occurs after the value text's first character.
bool HasUnit(const CurrentLine& line, std::string_view unit) {
  size_t at = LineView(line).find(unit);
  return at != std::string_view::npos && at > 0;
}

void ReadEngLine(Run& run, EngReader& eng, bool& end_of_file) {
  ReadShapeLine(eng.file, eng.line.text, end_of_file);
  eng.line.begin = 0;
  eng.line.end = eng.line.text.size();
  if (eng.file.read_error != 0) {
    throw RunAborted{{run.options.EngPath, std::strerror(eng.file.read_error)}};
  }
}

void Produce(Run& run, std::string& steam_lines, bool to_steam, const std::string& text) {
  if (to_steam) {
    steam_lines += text;
  } else {
    WriteText(run.model, text);
  }
  run.log.AppendLog(text);
}

std::string IntLine(const char* label, int64_t value) {
  std::string text = label;
  AppendInt(text, value);
  text += '\n';
  return text;
}

// "safetyvalvesfx" and "stackfx": the second of the next two lines holds x, y and z.
std::string PositionLine(Run& run, EngReader& eng, bool& end_of_file, const char* label) {
  bool first_end = false;
  ReadEngLine(run, eng, first_end);
  bool second_end = false;
  ReadEngLine(run, eng, second_end);
  end_of_file = first_end || second_end;
  CurrentLine& line = eng.line;
  TrimLine(line);
  float x = RoundToFloat(ReadLeadingDouble(LineView(line)));
  SkipPast(line, ' ');
  float y = RoundToFloat(ReadLeadingDouble(LineView(line)));
  SkipPast(line, ' ');
  double z = ReadLeadingDouble(LineView(line));
  double s = run.UnitScale;
  std::string text = label;
  AppendWholeTriple(text, static_cast<double>(x) * s,
                    (static_cast<double>(run.options.Length) * 0.5 + z) * s,
                    static_cast<double>(y) * s);
  text += '\n';
  return text;
}

int32_t CylinderSize(const Run& run, const CurrentLine& line) {
  int32_t n = ReadLeadingInt(LineView(line));
  int32_t size = HasUnit(line, "in") ? TruncateToInt32(n * 25.4) : LowBits32(int64_t{n} * 1000);
  if (run.options.TwoFootScale) size /= 2;
  return size;
}

}  // namespace

void WriteVehicleParameters(Run& run) {
  run.log.AppendLog("Reading ENG/WAG file");
  const std::string& path = run.options.EngPath;
  EngReader eng;
  if (!OpenFileSource(eng.file, platform::FindPathIgnoringCase(path))) {
    throw RunAborted{{path, std::strerror(errno)}};
  }
  struct CloseOnExit {
    ByteSource& file;
    ~CloseOnExit() { CloseSource(file); }
  } closer{eng.file};

  if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".wag") == 0)
    WriteText(run.model, "\tMax 0\n");
  bool is_steam = false;
  std::string steam_lines;
  CurrentLine& line = eng.line;
  bool end_of_file = false;
  while (!end_of_file) {
    ReadEngLine(run, eng, end_of_file);
    NormaliseLine(line);
    auto matches = [&](std::string_view keyword) { return LineStartsWith(line, keyword); };
    if (matches("mass")) {
      TakeValueText(line);
      Produce(run, steam_lines, false, IntLine("\tWeight\t", ReadLeadingInt(LineView(line))));
    }
    if (matches("maxpower")) {
      TakeValueText(line);
      Produce(run, steam_lines, false, IntLine("\tPower\t", ReadLeadingInt(LineView(line))));
    }
    if (matches("maxforce")) {
      TakeValueText(line);
      int32_t n = ReadLeadingInt(LineView(line));
      if (HasUnit(line, "lbf")) n = TruncateToInt32(n * 0.004);
      Produce(run, steam_lines, false, IntLine("\tTE\t", n));
    }
    if (matches("maxvelocity")) {
      TakeValueText(line);
      int32_t n = ReadLeadingInt(LineView(line));
      if (HasUnit(line, "mph")) n = TruncateToInt32(n * 1.61);
      Produce(run, steam_lines, false, IntLine("\tMax\t", n));
    }
    if (matches("type")) {
      size_t at = LineView(line).find("steam");
      if (at != std::string_view::npos && at > 0) {
        run.log.AppendLog("Steam");
        is_steam = true;
      }
    }
    if (matches("boilervolume")) {
      TakeValueText(line);
      if (LineView(line).starts_with('"')) {
        line.begin += 1;
        TrimLine(line);
      }
      int32_t n = ReadLeadingInt(LineView(line));
      if (HasUnit(line, "ft")) n = TruncateToInt32(n * 0.028);
      if (n < 1) n = 1;
      Produce(run, steam_lines, true, IntLine("\t\tBoilerVolume\t", n));
      is_steam = true;
    }
    if (matches("maxboilerpressure")) {
      TakeValueText(line);
      int32_t n = ReadLeadingInt(LineView(line));
      if (HasUnit(line, "psi")) n = LowBits32(int64_t{n} * 6894);
      Produce(run, steam_lines, true, IntLine("\t\tPressure\t", n));
      is_steam = true;
    }
    if (matches("safetyvalvesfx")) {
      Produce(run, steam_lines, true, PositionLine(run, eng, end_of_file, "\t\tsafetyvalve\t"));
      is_steam = true;
    }
    if (matches("stackfx")) {
      Produce(run, steam_lines, true, PositionLine(run, eng, end_of_file, "\t\tChimney\t"));
      is_steam = true;
    }
    if (matches("wheelradius")) {
      TakeValueText(line);
      double r = RoundToFloat(ReadLeadingDouble(LineView(line)));
      if (HasUnit(line, "in")) r = r * 0.0254;
      std::string text = "\t\tDriverDia\t";
      AppendWhole(text, r * static_cast<double>(run.UnitScale) * 2);
      text += '\n';
      Produce(run, steam_lines, true, text);
    }
    if (matches("numcylinders")) {
      TakeValueText(line);
      Produce(run, steam_lines, true, IntLine("\t\tNumCylinder\t", ReadLeadingInt(LineView(line))));
      is_steam = true;
    }
    if (matches("cylinderstroke")) {
      TakeValueText(line);
      Produce(run, steam_lines, true, IntLine("\t\tCylStroke\t", CylinderSize(run, line)));
      is_steam = true;
    }
    if (matches("cylinderdiameter")) {
      TakeValueText(line);
      Produce(run, steam_lines, true, IntLine("\t\tCylDia\t", CylinderSize(run, line)));
      is_steam = true;
    }
  }
  if (is_steam) {
    WriteText(run.model, "\t<STEAM>\n\t\tMinCOff\t30\n\t\tMaxCOff\t80\n");
    WriteText(run.model, steam_lines);
    WriteText(run.model, "\t</STEAM>\n");
  }
  WriteText(run.model, "\n");
}
