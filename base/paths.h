// Paths inside the program: "/" separates, and "\" is an ordinary character of a name, as
// on Linux (a folder may be named back\slash). A name read from an MSTS file, where either
// separates, becomes a path through platform::PathFromMstsName. Plain text functions; nothing
// here looks at the disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

// The separators of a name read from an MSTS file.
constexpr bool IsMstsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder of path: up to, not including, its last separator ("/" itself for a path right
// below the root); empty when path has no separator.
inline std::string FolderOf(std::string_view path) {
  size_t cut = LastSeparator(path);
  if (cut == std::string_view::npos) return {};
  return std::string(path.substr(0, cut == 0 ? 1 : cut));
}

// The file name of path: what follows its last separator.
inline std::string FileName(std::string_view path) {
  size_t cut = LastSeparator(path);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// The file name without its extension (from the last "."); a name that starts with its only
// "." keeps it, as ".wag" is no extension of nothing.
inline std::string Stem(std::string_view path) {
  std::string name = FileName(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// folder, one "/" and rest; rest alone when folder is empty, and no second separator when
// folder already ends with one.
inline std::string JoinPath(std::string_view folder, std::string_view rest) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += rest;
  return joined;
}

// Whether a relative name from an MSTS file would lead out of the folder it is taken in:
// absolute, with a drive letter, or climbing with "..".
constexpr bool LeavesFolder(std::string_view name) {
  if (!name.empty() && IsMstsSeparator(name[0])) return true;
  if (name.size() >= 2 && name[1] == ':') return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsMstsSeparator(name[end])) ++end;
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

// The components of path with the empty ones and "." left out and each ".." taking away the
// one before it, as a browser resolves a link: by the text, not by the disk.
inline std::vector<std::string_view> NormalComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && path[end] != '/') ++end;
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

// The relative path that leads from the folder from to path, both absolute: a ".." for each
// component of from that path does not share, then the rest of path.
inline std::string RelativePath(std::string_view from, std::string_view path) {
  std::vector<std::string_view> base = NormalComponents(from), target = NormalComponents(path);
  size_t shared = 0;
  while (shared < base.size() && shared < target.size() && base[shared] == target[shared]) {
    ++shared;
  }
  std::string relative;
  for (size_t i = shared; i < base.size(); ++i) relative += "../";
  for (size_t i = shared; i < target.size(); ++i) {
    if (i > shared) relative += '/';
    relative += target[i];
  }
  return relative;
}
