// ZPL II text split into its commands. A command is a prefix ("^" or "~"),
// a two-letter code and its parameters up to the next prefix; line breaks
// between commands mean nothing to the printer and are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cratemark::render {

struct ZplCommand {
  char prefix = '^';
  std::string code;    // upper-cased: "FO", "A0" (^A keeps its font), "BC"
  std::string params;  // without CR and LF
  int line = 1;        // where the command starts in the file
};

std::vector<ZplCommand> SplitZplCommands(std::string_view text);

// Whether `text` is ZPL at all (holds a ^XA); otherwise it is plain text.
bool LooksLikeZpl(std::string_view text);

// The comma-separated parameters; empty ones stay, as they mean "default".
std::vector<std::string> SplitParams(std::string_view params);

}  // namespace cratemark::render
