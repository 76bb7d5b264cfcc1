// The "--program-dir DIR" option the Linux programs take: the folder that
// holds the settings, the log and the host's tables when the programs are
// installed apart from it (for instance in /usr/lib/cratemark).
#pragma once

#include <string>
#include <vector>

namespace cratemark {

struct ProgramDirOption {
  std::string program_dir;        // ends with a separator; ProgramDir() when not given
  bool is_given = false;          // the option was on the command line
  std::vector<std::string> rest;  // the other arguments, in their order
  std::string error;              // not empty when the option is malformed
};

// Takes "--program-dir DIR" or "--program-dir=DIR" out of `args` (the
// arguments after the program name). A relative DIR is taken from the
// working directory at start, so that a later change of it does not move
// the program folder. Given twice, or without a folder, is an error.
ProgramDirOption TakeProgramDirOption(const std::vector<std::string>& args);

}  // namespace cratemark
