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

// Loads `file_name` from ProgramDir() first, then the system's search path.
// Never shows a message; nullptr on failure.
std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(std::string_view file_name);

}  // namespace cratemark
