// Shared setup of the dialog tests: stand-ins for the desktop services, the settings store and
// the view, and the controller over them. No window system: they run in every build.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/dialog_controller.h"
#include "platform/files.h"
#include "res/dialog_templates.h"
#include "tests/engine/test_support.h"
#include "tests/ffedit/shape_encoder.h"

// Answers the choosers from queues (an empty optional, or no answer left, cancels) and
// records every request.
class StandinServices : public platform::DialogServices {
 public:
  using Answers = std::deque<std::optional<std::string>>;
  bool ChooseSourceFile(const std::string& start, std::string& chosen) override {
    source_starts.push_back(start);
    return Answer(source_answers, chosen);
  }
  bool ChooseFolder(const std::string&, std::string& chosen) override {
    return Answer(folder_answers, chosen);
  }
  void ShowFileError(const std::string& file, const std::string& reason) override {
    file_errors.push_back(file + ": " + reason);
    pane_at_file_error = pane ? pane() : "<no pane>";
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Beep() override { ++beeps; }
  void SetWaitCursor(bool waiting) override { cursor.push_back(waiting); }
  bool CanWriteFolder(const std::string& folder) override {
    return read_only_folders.count(folder) == 0;
  }
  std::string HomeFolder() override { return home; }

  Answers source_answers, folder_answers;
  std::vector<std::string> source_starts;
  std::vector<std::string> file_errors;  // "file: reason"
  std::function<std::string()> pane;     // what the log pane shows on the screen
  std::string pane_at_file_error;        // pane() when the last box opened
  std::vector<std::string> messages;
  int beeps = 0;
  std::vector<bool> cursor;                 // each SetWaitCursor call
  std::set<std::string> read_only_folders;  // every other folder is writable
  std::string home = "/home/tester";

 private:
  static bool Answer(Answers& answers, std::string& chosen) {
    if (answers.empty()) return false;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (answer) chosen = *answer;
    return answer.has_value();
  }
};

// The settings in memory, with every write recorded as "key=value".
class MemorySettings : public platform::SettingsStore {
 public:
  std::string ReadString(const std::string& key, const std::string& fallback) override {
    auto found = values.find(key);
    return found == values.end() ? fallback : found->second;
  }
  void WriteString(const std::string& key, const std::string& value) override {
    values[key] = value;
    writes.push_back(key + "=" + value);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// The controls as plain values; lines given to the log pane show once it is painted.
struct StandinView : DialogView {
  std::string FieldText(int id) override { return fields[id]; }
  void SetFieldText(int id, const std::string& text) override { fields[id] = text; }
  void EnableButton(int id, bool enabled) override { disabled[id] = !enabled; }
  std::string LogPaneText() override { return painted + unpainted; }
  void ReplaceLogPane(const std::string& text) override { painted = text, unpainted.clear(); }
  void AppendLogPane(std::string_view text) override { unpainted.append(text); }
  void PaintLogPane() override { painted += unpainted, unpainted.clear(); }
  void FocusField(int id) override { focus = id; }
  void EnablePreview(bool enabled) override { preview_enabled = enabled; }
  void ShowPreview(const std::string& model_path) override { previews.push_back(model_path); }
  void ShowAbout(const std::string& version_line) override { about_lines.push_back(version_line); }

  std::map<int, std::string> fields;
  std::map<int, bool> disabled;
  std::string painted, unpainted;
  int focus = 0;
  bool preview_enabled = true;
  std::vector<std::string> previews, about_lines;
};

// The controller over stand-ins (and store, else its own settings), initialised. With
// installed_home the program's folder is read-only, as when it is installed for the whole
// system, and the home folder is installed_home.
struct ControllerUnderTest {
  explicit ControllerUnderTest(platform::SettingsStore* store = nullptr,
                               const std::string& installed_home = "")
      : controller(view, services, store != nullptr ? *store : settings) {
    if (!installed_home.empty()) {
      services.read_only_folders.insert(platform::ProgramFolder());
      services.home = installed_home;
    }
    services.pane = [this] { return view.painted; };
    controller.OnInitDialog();
  }
  // Text typed into a field (or the log pane) by the user.
  void Type(int id, const std::string& text) {
    (id == res::kIdLog ? view.painted : view.fields[id]) = text;
    controller.OnFieldEdited(id);
  }
  std::string Text(int id) { return view.fields[id]; }
  bool Enabled(int id) { return !view.disabled[id]; }
  const std::string& Log() const { return controller.State().LogText; }

  StandinServices services;
  MemorySettings settings;
  StandinView view;
  DialogController controller;
};

// A shape in the compressed storage form, whose text form is the tool's minimal test shape.
inline std::string CompressedShapeBytes(const char* blocks = "minimal.txt") {
  ffedit_test::Bytes file = ffedit_test::WrapCompressedShape(
      ffedit_test::EncodeShapeBlocks(ffedit_test::ReadTestData(blocks)));
  return std::string(file.begin(), file.end());
}
