// A fresh directory for one test, removed with everything in it at the end.
// Its path ends with the platform's separator, like ProgramDir().
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include "platform/file_system.h"

namespace cratemark {

class ScopedTempDir {
 public:
  ScopedTempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = static_cast<unsigned long long>(
        std::filesystem::file_time_type::clock::now().time_since_epoch().count());
    dir_ = std::filesystem::temp_directory_path() /
           ("cratemark-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    path_ = dir_.string() + kPathSeparator;
  }
  ~ScopedTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The directory, with a trailing separator.
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace cratemark
