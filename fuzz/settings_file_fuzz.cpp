// libFuzzer target: arbitrary bytes as "Cratemark.cfg", read as the service
// reads it at start-up and changed as the console changes one key. Nothing
// may crash; a key set is the key read back, and the service's own form of
// the settings reads back as the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/scratch_file.h"
#include "platform/error.h"
#include "platform/text_file.h"
#include "shared/settings_file.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ScratchFolder& scratch = fuzz::Scratch();
  scratch.Write(kSettingsFileName, fuzz::AsText(data, size));
  Settings settings;
  try {
    settings = ReadSettingsFile(SystemFileSystem(), scratch.Dir());
  } catch (const Error&) {
    return 0;
  }
  if (SettingsFromLines(SettingsToLines(settings)) != settings) std::abort();

  // The console's edit of the lines it read, every other line kept.
  Lines lines =
      ReadTextFile(SystemFileSystem(), scratch.Dir() + std::string(kSettingsFileName)).lines;
  const std::size_t before = lines.size();
  SetSetting(lines, kKeySplDirDest, "Label1");
  if (LookUpSetting(lines, kKeySplDirDest) != "Label1") std::abort();
  if (lines.size() < before || lines.size() > before + 1) std::abort();
  SetSetting(lines, kKeyMapText, "");
  if (lines.size() + 1 < before) std::abort();
  return 0;
}
