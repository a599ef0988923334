#include <charconv>
#include <cmath>
#include <string>
#include <unordered_map>

#include "base/vehicle_data.h"
#include "model/model_file.h"

namespace model {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
}

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

// A decimal number at the front of text, which moves past it. Finite values only.
bool TakeNumber(std::string_view& text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') return false;
  auto [stop, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (ec != std::errc() || !std::isfinite(value)) return false;
  text.remove_prefix(static_cast<size_t>(stop - first));
  return true;
}

bool TakeIndex(std::string_view& text, uint32_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  auto [stop, ec] = std::from_chars(first, last, value);
  if (ec != std::errc()) return false;
  text.remove_prefix(static_cast<size_t>(stop - first));
  return true;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// "a/b/c" with each number within limit.
bool TakeTriple(std::string_view& text, double limit, double out[3]) {
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !TakeChar(text, '/')) return false;
    if (!TakeNumber(text, out[i]) || std::fabs(out[i]) > limit) return false;
  }
  return true;
}

enum class State { kOutside, kComponent, kTriangles, kVertices, kSteam };

class Reader {
 public:
  Reader(ModelFile& model, std::vector<Diagnostic>& diagnostics, const ReadLimits& limits)
      : model_(model), diagnostics_(diagnostics), limits_(limits) {}

  void ReadAll(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      ++line_;
      std::string_view line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.size() > limits_.max_line_length) {
        Report(Severity::kError,
               "line longer than " + std::to_string(limits_.max_line_length) + " characters");
      } else {
        ReadLine(line);
      }
      at = end + 1;
    }
    model_.line_count = line_;
    Finish(text);
  }

 private:
  void Report(Severity severity, std::string message, int64_t line = -1) {
    if (diagnostics_.size() < limits_.max_diagnostics) {
      diagnostics_.push_back({line < 0 ? line_ : line, severity, std::move(message)});
    } else {
      ++suppressed_;
      if (severity == Severity::kError) suppressed_error_ = true;
    }
  }

  Component* Current() {
    return current_ < 0 ? nullptr : &model_.components[static_cast<size_t>(current_)];
  }

  void ReadLine(std::string_view raw) {
    std::string_view line = Trim(raw);
    if (state_ == State::kTriangles && line != "</IndexedTriangleList>") {
      if (!line.empty()) ReadTriangle(line);
      return;
    }
    if (state_ == State::kVertices && line != "</VertexBuffer>") {
      if (!line.empty()) ReadVertex(line);
      return;
    }
    if (line.empty()) return;
    if (StartsWith(line, "##")) {
      ReadComment(line.substr(2));
      return;
    }
    in_texture_list_ = false;
    if (state_ == State::kSteam) {
      if (line == "</STEAM>") {
        state_ = State::kComponent;
      } else {
        ReadParameter(line, true);
      }
      return;
    }
    if (line == "[end]") {
      seen_block_ = true;
      current_ = -1;
      state_ = State::kOutside;
      return;
    }
    if (StartsWith(line, "Name") && (line.size() == 4 || IsBlank(line[4]))) {
      StartComponent(Trim(line.substr(4)));
      return;
    }
    Component* component = Current();
    if (component == nullptr) {
      Report(Severity::kError, "\"" + std::string(line.substr(0, 40)) +
                                   "\" outside a component (no Name line before it)");
      return;
    }
    if (line == "Millimetric") {
      component->millimetric = true;
    } else if (line == "Component") {
      component->is_component = true;
    } else if (StartsWith(line, "Skin") && (line.size() == 4 || IsBlank(line[4]))) {
      ReadSkin(*component, Trim(line.substr(4)));
    } else if (line == "<IndexedTriangleList>") {
      if (!component->triangles.empty()) {
        Report(Severity::kError, "second IndexedTriangleList in component " + component->name);
      }
      state_ = State::kTriangles;
    } else if (line == "<VertexBuffer>") {
      if (!component->vertices.empty() || component->vertex_buffer_line != 0) {
        Report(Severity::kError, "second VertexBuffer in component " + component->name);
      }
      component->vertex_buffer_line = line_;
      state_ = State::kVertices;
    } else if (line == "</IndexedTriangleList>" || line == "</VertexBuffer>") {
      state_ = State::kComponent;
    } else if (StartsWith(line, "INCLUDE") && (line.size() == 7 || IsBlank(line[7]))) {
      ReadInclude(*component, line.substr(7));
    } else if (StartsWith(line, "Length") && (line.size() == 6 || IsBlank(line[6]))) {
      ReadLength(line.substr(6));
    } else if (line == "<STEAM>") {
      state_ = State::kSteam;
    } else {
      ReadParameter(line, false);
    }
  }

  void ReadComment(std::string_view text) {
    if (!seen_block_) {
      model_.header.emplace_back(Trim(text));
      return;
    }
    std::string_view trimmed = Trim(text);
    if (trimmed == "Textures used") {
      in_texture_list_ = true;
      return;
    }
    if (in_texture_list_ && !text.empty() && text.front() == '\t') {
      model_.textures.emplace_back(trimmed);
    }
  }

  void StartComponent(std::string_view name) {
    seen_block_ = true;
    if (current_ >= 0) {
      Report(Severity::kWarning,
             "Name line inside component " + Current()->name + " (no [end] before it)");
    }
    if (name.empty()) {
      Report(Severity::kError, "Name line without a name");
    }
    auto [found, inserted] = names_.emplace(std::string(name), model_.components.size());
    if (!inserted) {
      Report(Severity::kError, "component " + std::string(name) + " already named at line " +
                                   std::to_string(model_.components[found->second].line));
    }
    Component component;
    component.name = std::string(name);
    component.line = line_;
    model_.components.push_back(std::move(component));
    current_ = static_cast<int64_t>(model_.components.size() - 1);
    state_ = State::kComponent;
  }

  void ReadSkin(Component& component, std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
      Report(Severity::kError, "Skin line without a quoted texture name");
      return;
    }
    if (!component.skin.empty()) Report(Severity::kError, "second Skin line in " + component.name);
    component.skin = std::string(text.substr(1, text.size() - 2));
    component.skin_line = line_;
  }

  void ReadTriangle(std::string_view text) {
    Component& component = *Current();
    Triangle triangle;
    triangle.line = line_;
    for (int i = 0; i < 3; ++i) {
      if ((i > 0 && !TakeChar(text, ',')) || !TakeIndex(text, triangle.index[i])) {
        Report(Severity::kError, "triangle line is not three vertex indexes a,b,c");
        return;
      }
    }
    if (!Trim(text).empty()) {
      Report(Severity::kError, "text after the triangle's three indexes");
      return;
    }
    component.triangles.push_back(triangle);
  }

  void ReadVertex(std::string_view text) {
    Component& component = *Current();
    Vertex vertex;
    vertex.line = line_;
    double position[3], normal[3];
    if (!TakeTriple(text, limits_.max_coordinate, position)) {
      Report(Severity::kError, "vertex position is not three numbers x/y/z within " +
                                   std::to_string(static_cast<int64_t>(limits_.max_coordinate)) +
                                   " mm");
      return;
    }
    SkipBlanks(text);
    if (!TakeTriple(text, limits_.max_coordinate, normal)) {
      Report(Severity::kError, "vertex normal is not three numbers x/y/z");
      return;
    }
    SkipBlanks(text);
    double u = 0, v = 0;
    if (!TakeNumber(text, u) || !TakeChar(text, ',') || !TakeNumber(text, v) ||
        std::fabs(u) > 1e30 || std::fabs(v) > 1e30) {
      Report(Severity::kError, "vertex texture coordinate is not two numbers u,v");
      return;
    }
    // Shapes carry such values from their own source; the texture just repeats.
    if (std::fabs(u) > 1e6 || std::fabs(v) > 1e6) {
      Report(Severity::kWarning, "vertex texture coordinate beyond a million repeats (kept)");
    }
    if (!Trim(text).empty()) {
      Report(Severity::kError, "text after the vertex's texture coordinate");
      return;
    }
    for (int i = 0; i < 3; ++i) {
      vertex.position[i] = static_cast<float>(position[i]);
      vertex.normal[i] = static_cast<float>(normal[i]);
    }
    vertex.uv[0] = static_cast<float>(u);
    vertex.uv[1] = static_cast<float>(v);
    component.vertices.push_back(vertex);
  }

  void ReadInclude(Component& component, std::string_view text) {
    Include include;
    include.line = line_;
    SkipBlanks(text);
    if (!TakeTriple(text, limits_.max_coordinate, include.offset)) {
      Report(Severity::kError, "INCLUDE without three numbers x/y/z within " +
                                   std::to_string(static_cast<int64_t>(limits_.max_coordinate)) +
                                   " mm");
      return;
    }
    size_t comment = text.find("##");
    if (comment != std::string_view::npos) {
      include.comment = std::string(Trim(text.substr(comment + 2)));
      text = text.substr(0, comment);
    }
    if (text.empty() || !IsBlank(text.front())) {
      Report(Severity::kError, "INCLUDE without a component name after its numbers");
      return;
    }
    include.target = std::string(Trim(text));
    if (include.target.empty()) {
      Report(Severity::kError, "INCLUDE without a component name after its numbers");
      return;
    }
    component.includes.push_back(std::move(include));
  }

  void ReadLength(std::string_view text) {
    SkipBlanks(text);
    double length = 0;
    if (!TakeNumber(text, length) || !Trim(text).empty() || length < 0 ||
        length > limits_.max_coordinate) {
      Report(Severity::kError, "Length is not a number of millimetres");
      return;
    }
    if (model_.has_length) Report(Severity::kError, "second Length line");
    model_.length = length;
    model_.has_length = true;
  }

  void ReadParameter(std::string_view line, bool steam) {
    size_t gap = 0;
    while (gap < line.size() && !IsBlank(line[gap])) ++gap;
    std::string_view key = line.substr(0, gap);
    std::string_view value = Trim(line.substr(gap));
    bool known = steam || FindVehicleKey(key) != nullptr;
    if (!known || value.empty()) {
      Report(Severity::kWarning, "unknown line \"" + std::string(line.substr(0, 40)) + "\"");
      return;
    }
    model_.parameters.push_back({std::string(key), std::string(value), steam});
  }

  void Finish(std::string_view text) {
    if (!text.empty() && text.back() != '\n') {
      Report(Severity::kWarning, "the file ends inside a line (cut short?)");
    }
    if (state_ == State::kTriangles) {
      Report(Severity::kError, "the file ends inside an IndexedTriangleList");
    } else if (state_ == State::kVertices) {
      Report(Severity::kError, "the file ends inside a VertexBuffer");
    } else if (state_ == State::kSteam) {
      Report(Severity::kError, "the file ends inside a STEAM block");
    }
    for (size_t i = 0; i < model_.components.size(); ++i) {
      if (model_.components[i].is_component) continue;
      if (model_.assembly < 0) {
        model_.assembly = static_cast<int64_t>(i);
      } else {
        Report(Severity::kError,
               "block " + model_.components[i].name +
                   " has no Component line, but the assembly is already " +
                   model_.components[static_cast<size_t>(model_.assembly)].name,
               model_.components[i].line);
      }
    }
    if (model_.assembly < 0)
      Report(Severity::kError, "no assembly (a Name block without a Component line)", 0);
    if (suppressed_ > 0) {
      diagnostics_.push_back({0, suppressed_error_ ? Severity::kError : Severity::kWarning,
                              std::to_string(suppressed_) + " further problems not listed"});
    }
  }

  ModelFile& model_;
  std::vector<Diagnostic>& diagnostics_;
  const ReadLimits& limits_;
  std::unordered_map<std::string, size_t> names_;
  int64_t line_ = 0;
  int64_t current_ = -1;
  State state_ = State::kOutside;
  bool seen_block_ = false;
  bool in_texture_list_ = false;
  size_t suppressed_ = 0;
  bool suppressed_error_ = false;
};

}  // namespace

void ReadModelFile(std::string_view text, ModelFile& model, std::vector<Diagnostic>& diagnostics,
                   const ReadLimits& limits) {
  model = ModelFile();
  Reader reader(model, diagnostics, limits);
  reader.ReadAll(text);
}

bool HasErrors(const std::vector<Diagnostic>& diagnostics) {
  for (const Diagnostic& d : diagnostics) {
    if (d.severity == Severity::kError) return true;
  }
  return false;
}

}  // namespace model
