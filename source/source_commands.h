// Source preparation: the dialog's state, the log it keeps, and the commands that choose a
// source (a shape or an ENG/WAG file) and decompress a compressed shape. Platform-free: the
// window comes in through DialogHooks, so the commands run the same under the dialog, the
// command line and the tests.
#pragma once

#include <cstdint>
#include <string>

#include "convert/conversion.h"

// What the main dialog holds besides its controls.
struct DialogState {
  ConversionOptions options;
  std::string SavedSourcePath;    // "Source" from the settings: the chooser's last-resort folder
  std::string LogText;            // the whole text of the log pane
  int32_t LogLineCount = 0;       // AppendLog calls since the log was last emptied
  bool ConvertEnabled = true;     // button 1
  bool DecompressEnabled = true;  // button 1004
};

// The window around the commands.
class DialogHooks {
 public:
  virtual ~DialogHooks() = default;
  // Reads the bound controls (source, length, output directory) into state ("read the controls").
  virtual void ReadControls(DialogState& state) = 0;
  // Shows state in the bound controls and the button states ("write the controls").
  virtual void WriteControls(const DialogState& state) = 0;
  // Makes the last appended log line visible at once (the dialog repaints its pane).
  virtual void ShowLog(const DialogState& state) = 0;
  // The file chooser: title "Import Shape:", starting in start_folder. False when cancelled.
  virtual bool ChooseSourceFile(const std::string& start_folder, std::string& chosen) = 0;
  // The file-error box: names the file and gives the system's reason.
  virtual void ShowFileError(const FileFailure& failure) = 0;
  virtual void SetWaitCursor(bool waiting) = 0;
};

// Appends line and "\r\n" to the log, counts it, writes the controls and shows the log.
void AppendLog(DialogState& state, DialogHooks& hooks, const std::string& line);
void EmptyLog(DialogState& state);

// The Browse button next to Source: chooses a shape or ENG/WAG file and prepares it.
void BrowseSource(DialogState& state, DialogHooks& hooks);
// Takes the shape path (in the description file's folder) and the length from the ENG/WAG
// file named by EngPath. False when the file cannot be opened (the error has been shown).
bool ReadDescriptionFile(DialogState& state, DialogHooks& hooks);

enum class SourceCheck { kReady, kNeedsDecompression, kFailed };
// Tells a text shape from a compressed one; switches to an "_ASC.s" twin when there is one;
// sets the Convert and Decompress buttons. kFailed when the shape cannot be read (shown).
SourceCheck CheckForDecompressedFile(DialogState& state, DialogHooks& hooks);

// The Decompress button: runs the shape tool on SourcePath and makes its text result, moved
// beside the source as NAME_ASC.s, the new source. Returns the tool's output (for messages);
// true in decompressed when the source now names the text form.
std::string DecompressSource(DialogState& state, DialogHooks& hooks, bool* decompressed = nullptr);

// The path of the shape tool below the program's folder.
std::string ShapeToolPath();
