#include <dlfcn.h>

#include "platform/dynamic_library.h"
#include "platform/file_system.h"

namespace cratemark {
namespace {

class PosixDynamicLibrary final : public DynamicLibrary {
 public:
  explicit PosixDynamicLibrary(void* handle) : handle_(handle) {}
  ~PosixDynamicLibrary() override { dlclose(handle_); }
  PosixDynamicLibrary(const PosixDynamicLibrary&) = delete;
  PosixDynamicLibrary& operator=(const PosixDynamicLibrary&) = delete;

  void* Symbol(const char* name) const override { return dlsym(handle_, name); }

 private:
  void* handle_;
};

void* Open(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(std::string_view file_name) {
  // The program's own folder first, so that the copy installed beside the
  // program wins over one the system happens to know.
  void* handle = Open(ProgramDir() + std::string(file_name));
  if (handle == nullptr) handle = Open(std::string(file_name));
  if (handle == nullptr) return nullptr;
  return std::make_unique<PosixDynamicLibrary>(handle);
}

}  // namespace cratemark
