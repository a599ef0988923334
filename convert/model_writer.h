// The model file writer: bytes gathered in memory and handed to the file in large pieces.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The model file, written forward in text mode: every "\n" is stored as "\r\n".
struct ModelWriter {
  std::FILE* file = nullptr;
  std::string path;
  std::string pending;  // bytes not yet handed to the file
};

// Creates (or empties) the file at path, found as by platform::ResolveCreatePath; false (errno
// set) when it cannot be created.
bool CreateModelFile(ModelWriter& model, const std::string& path);
// Appends text (converting "\n" to "\r\n"); throws RunAborted when the file cannot be written.
void WriteText(ModelWriter& model, std::string_view text);
// Writes piece once it has grown large, and empties it; the caller writes the rest at the end.
void WriteWhenLarge(ModelWriter& model, std::string& piece);
// Hands the pending bytes to the file once they have grown large; for a writer that appends
// to model.pending itself, "\r\n" and all.
void FlushWhenLarge(ModelWriter& model);
void CloseModelFile(ModelWriter& model);    // flushes and closes; throws RunAborted on failure
void DiscardModelFile(ModelWriter& model);  // closes after a failure, keeping what was written
