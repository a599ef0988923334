#include "convert/model_writer.h"

#include <cerrno>
#include <cstring>

#include "convert/run_aborted.h"
#include "platform/files.h"

namespace {

constexpr size_t kModelFlushSize = 1 << 16;

void FlushModelFile(ModelWriter& model) {
  if (model.pending.empty()) return;
  size_t written = std::fwrite(model.pending.data(), 1, model.pending.size(), model.file);
  if (written != model.pending.size()) {
    int error = errno != 0 ? errno : EIO;
    throw RunAborted{{model.path, std::strerror(error)}};
  }
  model.pending.clear();
}

}  // namespace

bool CreateModelFile(ModelWriter& model, const std::string& path) {
  model.path = path;
  // Room for a flush's worth and the line that crosses it, so that it never doubles.
  model.pending.reserve(kModelFlushSize + 4096);
  model.file = platform::CreateFileForWriting(platform::ResolveCreatePath(path));
  return model.file != nullptr;
}

void WriteText(ModelWriter& model, std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t newline = text.find('\n', at);
    std::string_view line =
        text.substr(at, newline == std::string_view::npos ? text.size() - at : newline - at);
    // Flush before the buffer would have to grow: it stays at its reserve whatever the pieces.
    if (model.pending.size() + line.size() + 2 > model.pending.capacity()) FlushModelFile(model);
    model.pending.append(line);
    if (newline == std::string_view::npos) break;
    model.pending += "\r\n";
    at = newline + 1;
  }
  FlushWhenLarge(model);
}

void FlushWhenLarge(ModelWriter& model) {
  if (model.pending.size() >= kModelFlushSize) FlushModelFile(model);
}

void WriteWhenLarge(ModelWriter& model, std::string& piece) {
  if (piece.size() < kModelFlushSize) return;
  WriteText(model, piece);
  piece.clear();
}

void CloseModelFile(ModelWriter& model) {
  FlushModelFile(model);
  std::FILE* file = model.file;
  model.file = nullptr;
  if (std::fflush(file) != 0 || std::ferror(file)) {
    int error = errno != 0 ? errno : EIO;
    std::fclose(file);
    throw RunAborted{{model.path, std::strerror(error)}};
  }
  if (std::fclose(file) != 0) throw RunAborted{{model.path, std::strerror(errno)}};
}

void DiscardModelFile(ModelWriter& model) {
  if (model.file == nullptr) return;
  // Keep what was written up to the failure, as far as the file takes it.
  if (!model.pending.empty())
    std::fwrite(model.pending.data(), 1, model.pending.size(), model.file);
  std::fclose(model.file);
  model.file = nullptr;
}
