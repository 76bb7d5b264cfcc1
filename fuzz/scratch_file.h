// Fuzz targets feed their input to the real readers, which read files: one
// scratch folder per process (under TMPDIR), removed at exit, holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace cratemark::fuzz {

class ScratchFolder {
 public:
  ScratchFolder() {
    path_ =
        std::filesystem::temp_directory_path() /
        ("cratemark-fuzz-" +
         std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  // The folder with a trailing separator, as ProgramDir() gives it.
  std::string Dir() const { return path_.string() + kPathSeparator; }

  // Writes `bytes` as the file `name` in the folder and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string path = Dir() + std::string(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::filesystem::path path_;
};

// The one folder of this process.
inline const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

inline std::string_view AsText(const uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace cratemark::fuzz
