// The kernel's table of mounts (/proc/self/mountinfo on Linux), read for the
// name and options of the file system a folder is on. Portable and pure, so
// that it is tested and fuzzed anywhere; the text is treated as untrusted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cratemark {

struct MountEntry {
  std::string type;           // "ext4", "cifs", "nfs4", "fuse.sshfs"
  std::string super_options;  // "rw,vers=3.1.1,nobrl,..."
};

// The last line of `mountinfo` that mounts the device `major`:`minor` (the
// last, because a later mount covers an earlier one). Malformed lines are
// passed over.
std::optional<MountEntry> FindMount(std::string_view mountinfo, unsigned major, unsigned minor);

// True when the comma-separated `options` hold `option` exactly
// ("nobrl"), or as "key=value" when `option` ends in "=" and a value
// follows ("local_lock=" gives the value through `value`).
bool HasMountOption(std::string_view options, std::string_view option,
                    std::string* value = nullptr);

}  // namespace cratemark
