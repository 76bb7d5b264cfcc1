// libFuzzer target: arbitrary bytes as the kernel's mount table, searched
// for a device and its options. Nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/mount_table.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (unsigned minor : {0u, 40u, 1u}) {
    if (const auto mount = FindMount(text, minor == 1 ? 252 : 0, minor)) {
      std::string value;
      HasMountOption(mount->super_options, "nobrl");
      HasMountOption(mount->super_options, "local_lock=", &value);
    }
  }
  return 0;
}
