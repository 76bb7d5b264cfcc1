// Loading a shared library at run time and finding its functions by name.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace cratemark {

class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // Address of an exported function, nullptr when missing.
  virtual void* Symbol(const char* name) const = 0;
};

// Loads `file_name` from ProgramDir(). On Windows from there alone, and the
// library's own imports from there and the system folder: the program often
// lies in a folder many may write, and a library of the same name found on
// the search path (the current folder, PATH) would run as the service. On
// POSIX the system's search path follows, whose folders only root changes.
// Never shows a message; nullptr on failure.
std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(std::string_view file_name);

}  // namespace cratemark
