#include "xbase/table_names.h"

#include "platform/code_page.h"

namespace cratemark {
namespace {

// Index just past the directory part of `name` (0 when it has none).
size_t FileNameStart(std::string_view name) {
  size_t start = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsPathSeparator(name[i])) start = i + 1;
  }
  if (start == 0 && name.size() >= 2 && name[1] == ':') start = 2;
  return start;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string FileNamePart(std::string_view name) {
  return std::string(name.substr(FileNameStart(name)));
}

std::string DirectoryPart(std::string_view name) {
  return std::string(name.substr(0, FileNameStart(name)));
}

bool HasExtension(std::string_view file_name) {
  return file_name.find('.') != std::string_view::npos;
}

std::string WithDefaultExtension(std::string_view file_name) {
  return HasExtension(file_name) ? std::string(file_name) : std::string(file_name) + ".DBF";
}

std::string AliasBase(std::string_view file_name) {
  std::u32string characters = Utf8ToCodePoints(file_name);
  characters = characters.substr(0, characters.find(U'.'));
  characters = characters.substr(0, 8);
  std::string alias;
  for (char32_t c : characters) {
    if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
    alias += (c >= U'A' && c <= U'Z') ? static_cast<char>(c) : '_';
  }
  return alias;
}

std::string NextAliasCandidate(std::string_view alias, int n) {
  std::string digits = std::to_string(n);
  size_t keep = digits.size() < 8 ? 8 - digits.size() : 0;
  return std::string(alias.substr(0, keep)) + digits;
}

}  // namespace cratemark
