#include "shared/settings_file.h"

#include "platform/text.h"

namespace cratemark {

namespace {

// Index of the first line for `key`, or lines.size().
std::size_t FindSettingLine(const Lines& lines, std::string_view key) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t equals = lines[i].find('=');
    if (equals != std::string::npos &&
        EqualsNoCase(std::string_view(lines[i]).substr(0, equals), key)) {
      return i;
    }
  }
  return lines.size();
}

}  // namespace

Settings ServiceDefaultSettings() {
  return {"PreLabel", "Label1", "Label2", "Labels", "Time:", "Map:", "Total:"};
}

std::string SettingsFilePath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kSettingsFileName);
}

std::string LookUpSetting(const Lines& lines, std::string_view key) {
  const std::size_t i = FindSettingLine(lines, key);
  if (i == lines.size()) return {};
  return lines[i].substr(lines[i].find('=') + 1);
}

Settings SettingsFromLines(const Lines& lines) {
  return {LookUpSetting(lines, kKeySplDirSource), LookUpSetting(lines, kKeySplDirDest),
          LookUpSetting(lines, kKeySplDirBackup), LookUpSetting(lines, kKeyLabelsText),
          LookUpSetting(lines, kKeyTimeText),     LookUpSetting(lines, kKeyMapText),
          LookUpSetting(lines, kKeyTotalText)};
}

Lines SettingsToLines(const Settings& s) {
  const std::string* values[] = {&s.spl_dir_source, &s.spl_dir_dest, &s.spl_dir_backup,
                                 &s.labels_text,    &s.time_text,    &s.map_text,
                                 &s.total_text};
  Lines lines;
  for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
    lines.push_back(std::string(kSettingKeys[i]) + "=" + *values[i]);
  }
  return lines;
}

Settings ReadSettingsFile(FileSystem& fs, std::string_view program_dir) {
  return SettingsFromLines(ReadTextFile(fs, SettingsFilePath(program_dir)).lines);
}

void WriteSettingsFile(FileSystem& fs, std::string_view program_dir, const Settings& settings) {
  WriteTextFile(fs, SettingsFilePath(program_dir), SettingsToLines(settings), TextEncoding::kAnsi);
}

void SetSetting(Lines& lines, std::string_view key, std::string_view value) {
  const std::size_t i = FindSettingLine(lines, key);
  if (value.empty()) {
    if (i < lines.size()) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    return;
  }
  std::string line = std::string(key) + "=" + std::string(value);
  if (i < lines.size()) {
    lines[i] = std::move(line);
  } else {
    lines.push_back(std::move(line));
  }
}

}  // namespace cratemark
