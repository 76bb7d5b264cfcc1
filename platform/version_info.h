// The file version an executable carries: on Windows the "FileVersion" value
// of its version resource's string table for language 0409, code page 04E4;
// on POSIX the text after a version marker embedded in the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cratemark {

// How an executable's file name ends (".EXE" on Windows, nothing on POSIX).
extern const char kExecutableSuffix[];

// nullopt when the file is missing, unreadable or carries no version
// information; the empty text when it has version information but no
// "FileVersion" value in that table.
std::optional<std::string> ReadFileVersion(std::string_view path);

}  // namespace cratemark

// Embeds the POSIX version marker into an executable; use once per program,
// at namespace scope. Windows executables carry a version resource instead.
#define CRATEMARK_VERSION_MARKER(version)                                  \
  extern "C" __attribute__((used)) const char cratemark_version_marker[] = \
      "CRATEMARK-FILEVERSION=" version
