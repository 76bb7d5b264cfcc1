#include <windows.h>

#include "platform/code_page.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"

namespace cratemark {
namespace {

class WindowsDynamicLibrary final : public DynamicLibrary {
 public:
  explicit WindowsDynamicLibrary(HMODULE module) : module_(module) {}
  ~WindowsDynamicLibrary() override { FreeLibrary(module_); }
  WindowsDynamicLibrary(const WindowsDynamicLibrary&) = delete;
  WindowsDynamicLibrary& operator=(const WindowsDynamicLibrary&) = delete;

  void* Symbol(const char* name) const override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

// `path` is a full path; what it imports comes from its folder and the
// system folder, never from PATH or the current folder.
HMODULE Open(const std::string& path) {
  std::u16string wide = Utf8ToUtf16(path);
  return LoadLibraryExW(reinterpret_cast<const wchar_t*>(wide.c_str()), /*hFile=*/nullptr,
                        LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(std::string_view file_name) {
  // A missing library must not raise the system's "file not found" box: the
  // caller is often a service with nobody to click it away.
  UINT previous_mode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  // Every later load of the process by a bare name searches only the
  // program's folder and the system folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  HMODULE module = Open(ProgramDir() + std::string(file_name));
  SetErrorMode(previous_mode);
  if (module == nullptr) return nullptr;
  return std::make_unique<WindowsDynamicLibrary>(module);
}

}  // namespace cratemark
