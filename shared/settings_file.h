// The settings file "Cratemark.cfg": key=value lines shared by the service
// and the console. Lines without "=" and unknown keys are allowed and kept.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

inline constexpr std::string_view kSettingsFileName = "Cratemark.cfg";

inline constexpr std::string_view kKeySplDirSource = "SPLDirSource";
inline constexpr std::string_view kKeySplDirDest = "SPLDirDest";
inline constexpr std::string_view kKeySplDirBackup = "SPLDirBackup";
inline constexpr std::string_view kKeyLabelsText = "LabelsText";
inline constexpr std::string_view kKeyTimeText = "TimeText";
inline constexpr std::string_view kKeyMapText = "MapText";
inline constexpr std::string_view kKeyTotalText = "TotalText";

// The seven keys in the order the service writes them.
inline constexpr std::array<std::string_view, 7> kSettingKeys = {
    kKeySplDirSource, kKeySplDirDest, kKeySplDirBackup, kKeyLabelsText,
    kKeyTimeText,     kKeyMapText,    kKeyTotalText};

struct Settings {
  std::string spl_dir_source;  // spool sub-directories, relative to ProgramDir()
  std::string spl_dir_dest;
  std::string spl_dir_backup;
  std::string labels_text;  // captions stripped from job lines
  std::string time_text;
  std::string map_text;
  std::string total_text;
  bool operator==(const Settings&) const = default;
};

// The values the service starts with before it has read a settings file.
Settings ServiceDefaultSettings();

std::string SettingsFilePath(std::string_view program_dir);

// The value of the first line whose text before its first "=" equals `key`
// without regard to case; nothing is trimmed, and the value may hold "=".
// Empty when no line matches.
std::string LookUpSetting(const Lines& lines, std::string_view key);

// All seven settings from one reading; an absent key gives the empty text.
Settings SettingsFromLines(const Lines& lines);

// The service's form: exactly seven key=value lines in key order.
Lines SettingsToLines(const Settings& settings);

// Reads and decodes the file (byte-order mark or ANSI). Throws Error.
Settings ReadSettingsFile(FileSystem& fs, std::string_view program_dir);

// Creates the file anew with the seven lines, ANSI, CR LF. Throws Error.
void WriteSettingsFile(FileSystem& fs, std::string_view program_dir, const Settings& settings);

// The console's rule for changing one key while keeping every other line:
// a non-empty value replaces the first line for the key with key=value (the
// key spelled as given here) or is appended as a new last line; an empty
// value removes the first line for the key.
void SetSetting(Lines& lines, std::string_view key, std::string_view value);

}  // namespace cratemark
