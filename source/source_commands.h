// Source preparation: what a chosen file (a shape or an ENG/WAG file) makes of the source, the
// text test with its "_ASC.s" twin, and the decompression through the shape tool. No window:
// progress lines and file failures go to a LogSink, and each command returns its outcome,
// which the dialog shows in its fields and buttons and the command line acts on.
#pragma once

#include <optional>
#include <string>

#include "convert/conversion.h"

// What the text test found.
enum class SourceCheck {
  kNotChecked,          // no ".s" source to test (an ENG/WAG file without a shape entry, ...)
  kReady,               // a text shape, or its twin: ready to convert
  kNeedsDecompression,  // not text, and no twin
  kFailed,              // a file could not be read; reported through the log
};

// The dialog's Convert and Decompress buttons.
struct SourceButtons {
  bool convert = true;
  bool decompress = true;
  bool operator==(const SourceButtons&) const = default;
};

// The buttons a check leaves: Convert for kReady, Decompress for kNeedsDecompression; none
// (the buttons keep their state) for kNotChecked and kFailed.
std::optional<SourceButtons> ButtonsAfter(SourceCheck check);

// What choosing a file made of the source.
struct SourceOutcome {
  SourceCheck check = SourceCheck::kNotChecked;
  std::string source;           // now the source: a shape or its twin when one was named
  std::string name_path;        // what the model is named after (ConversionOptions::NamePath)
  std::string eng;              // the description file chosen; empty for any other file
  std::optional<float> length;  // metres, from the description file's size entry
  bool description_read = false;
  std::string trouble;  // no shape entry: what may be wrong with the file's text (TextTrouble)
};

// The folder the source chooser starts in: that of source, else that of saved_source, else
// program_folder.
std::string ChooserStartFolder(const std::string& source, const std::string& saved_source,
                               const std::string& program_folder);

// Prepares a chosen file, which is read as given (its kind told by its extension in any letter
// case): an ".eng" or ".wag" file becomes the description file, whose shape (looked for in its
// own folder) and length are taken; a ".s" source is then named after its lower-case file name
// and tested by CheckForDecompressedFile. A file that cannot be read is reported through log.
SourceOutcome PrepareChosenSource(const std::string& chosen, LogSink& log);

// What a description file names.
struct DescriptionEntries {
  // The last shape entry, in the folder of its file: a path made by platform::PathFromMstsName.
  std::optional<std::string> shape_path;
  std::optional<float> length;  // metres: the last size entry read
  std::string trouble;          // no shape entry: what may be wrong with the text (TextTrouble)
};

// Logs "Reading description file" and reads the shape and size entries of eng_path, its include
// files read in place (an include that cannot be read is reported through log) and its
// commented-out blocks passed over. False when the file cannot be opened: the failure is
// reported through log and nothing is logged.
bool ReadDescriptionFile(const std::string& eng_path, LogSink& log, DescriptionEntries& entries);

// The text test of a shape and where it leads.
struct ShapeCheck {
  SourceCheck check = SourceCheck::kFailed;
  std::string source;  // shape_path, or its "_ASC.s" twin when the shape is not text
};

// Tells a text shape (its first two bytes 0x80 or above) from a compressed one; for a compressed
// one logs "Checking for decompressed file" and switches to an "_ASC.s" twin when there is one.
// kFailed when the shape cannot be opened (reported through log). A shape or twin found in a
// letter case of two is reported through log as a CaseClash.
ShapeCheck CheckForDecompressedFile(const std::string& shape_path, LogSink& log);

// Where the text form of a compressed shape may go.
struct TwinPlace {
  bool beside = true;  // NAME_ASC.s beside the shape, when its folder takes it
  // Otherwise a new private folder in here (made when missing) keeps it under the same name,
  // and the tool runs there; empty: none, and the tool runs in the system's scratch folder.
  std::string private_parent;
};

// What the shape tool made of a compressed shape.
struct DecompressOutcome {
  bool decompressed = false;  // source names the text form (also an existing twin, kept)
  std::string source;         // the "_ASC.s" twin beside the shape, or its private copy
  std::string kept_in;        // the private folder holding source; empty when beside the shape
  // Why the twin is not beside the shape (the system's reason); empty when it is, or when it
  // was not to be.
  std::string not_beside;
  std::string tool_output;  // what the tool printed
  // Why there is no text form: the shape and the tool's message (or that it gave none).
  std::optional<FileFailure> failure;
};

// Runs the shape tool on shape_path in a private scratch folder and moves its text result beside
// the shape as NAME_ASC.s. An existing twin is never replaced, and then becomes the source. When
// the shape's folder cannot take the twin (or place.beside is false), the text stays in a new
// folder in place.private_parent, which the caller removes once done with it.
DecompressOutcome DecompressShape(const std::string& shape_path, const TwinPlace& place = {});

// The log line that says where a private text form was kept.
std::string KeptTextLine(const DecompressOutcome& outcome);

// The path of the shape tool below the program's folder.
std::string ShapeToolPath();
