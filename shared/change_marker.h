// The change marker "CratemarkConfigChanged": the console creates it after
// saving the settings or the label design; the service reloads when it sees
// it and then deletes it. Only its existence counts; the console writes the
// settings text into it.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

inline constexpr std::string_view kChangeMarkerFileName = "CratemarkConfigChanged";

std::string ChangeMarkerPath(std::string_view program_dir);

// True when a file of that name exists; a directory of that name does not count.
bool ChangeMarkerExists(FileSystem& fs, std::string_view program_dir);

// False when it could not be deleted (a missing marker included).
bool DeleteChangeMarker(FileSystem& fs, std::string_view program_dir);

// Creates the marker with `content` in its encoding. Throws Error.
void WriteChangeMarker(FileSystem& fs, std::string_view program_dir,
                       const TextFileContent& content);

}  // namespace cratemark
