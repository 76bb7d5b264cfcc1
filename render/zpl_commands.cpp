#include "render/zpl_commands.h"

#include <cctype>

namespace cratemark::render {

std::vector<ZplCommand> SplitZplCommands(std::string_view text) {
  std::vector<ZplCommand> commands;
  int line = 1;
  std::size_t i = 0;
  // Bytes before the first prefix are not commands.
  while (i < text.size() && text[i] != '^' && text[i] != '~') {
    if (text[i] == '\n') ++line;
    ++i;
  }
  while (i < text.size()) {
    ZplCommand command;
    command.prefix = text[i];
    command.line = line;
    ++i;
    for (int k = 0; k < 2 && i < text.size() && text[i] != '^' && text[i] != '~'; ++k, ++i) {
      if (text[i] == '\n') ++line;
      command.code += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    }
    while (i < text.size() && text[i] != '^' && text[i] != '~') {
      if (text[i] == '\n') ++line;
      if (text[i] != '\r' && text[i] != '\n') command.params += text[i];
      ++i;
    }
    commands.push_back(std::move(command));
  }
  return commands;
}

bool LooksLikeZpl(std::string_view text) {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] == '^' && std::toupper(static_cast<unsigned char>(text[i + 1])) == 'X' &&
        std::toupper(static_cast<unsigned char>(text[i + 2])) == 'A') {
      return true;
    }
  }
  return false;
}

std::vector<std::string> SplitParams(std::string_view params) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : params) {
    if (c == ',') {
      parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(std::move(part));
  return parts;
}

}  // namespace cratemark::render
