// The binding to the xBase engine library (XBENGINE.DLL / libxbengine.so).
//
// TXbEngine mirrors the engine's C functions one to one (see
// engine/xbengine.h for their contract). The process has one binding,
// XbEngineBinding(), which loads the library on first use and hands out the
// engine; tests may put their own engine behind it. Nothing here is
// thread-safe: the engine's current work area is process-wide, so one thread
// at a time uses tables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/XbEngineFunctions.h"

namespace cratemark {

class DynamicLibrary;

class TXbEngine {
 public:
  virtual ~TXbEngine() = default;

  // Makes the engine usable; true when it is. Called by the binding while the
  // engine is not loaded yet, so a failed load is retried on the next use.
  virtual bool LoadDLLs() = 0;

#define XB_DECLARE_PURE(result, name, parameters, arguments) virtual result name parameters = 0;
  XB_ENGINE_FUNCTIONS(XB_DECLARE_PURE)
#undef XB_DECLARE_PURE
};

// The engine library loaded at run time by its bare name, from the program's
// folder first. Calls made while it is not loaded do nothing and return zero
// (texts: ""), so a missing engine never crashes a caller.
class TXbEngineLibrary final : public TXbEngine {
 public:
  TXbEngineLibrary();
  ~TXbEngineLibrary() override;

  // Loads the library and resolves every function; any missing function fails
  // the whole load. Shows no message. On success sets string type 1.
  bool LoadDLLs() override;
  void FreeDLLs();
  bool IsLoaded() const { return library_ != nullptr; }

#define XB_DECLARE_OVERRIDE(result, name, parameters, arguments) result name parameters override;
  XB_ENGINE_FUNCTIONS(XB_DECLARE_OVERRIDE)
#undef XB_DECLARE_OVERRIDE

 private:
  struct Functions;
  std::unique_ptr<DynamicLibrary> library_;
  std::unique_ptr<Functions> functions_;
};

// File name of the engine library on this platform.
extern const char kXbEngineFileName[];

// The process's one binding.
class TXbEngineBinding {
 public:
  // Loads the engine while it is not loaded yet; true once it is.
  bool EnsureEngineLoaded();
  bool EngineLoaded() const { return engine_loaded_; }

  // The engine in use: the library, or the one a test put in its place.
  TXbEngine& Engine() { return replacement_ != nullptr ? *replacement_ : library_; }
  TXbEngineLibrary& Library() { return library_; }

  // Puts `engine` behind the binding (nullptr: the library again). The engine
  // counts as not loaded until the next EnsureEngineLoaded.
  void ReplaceEngine(TXbEngine* engine);

  // Frees the library at program end.
  void FreeDLLs();

 private:
  TXbEngineLibrary library_;
  TXbEngine* replacement_ = nullptr;
  bool engine_loaded_ = false;
};

TXbEngineBinding& XbEngineBinding();

// Loads the engine through the process binding; true when it is loaded.
inline bool EnsureEngineLoaded() { return XbEngineBinding().EnsureEngineLoaded(); }

// Puts an engine behind the process binding for the lifetime of this object.
class ScopedEngineReplacement {
 public:
  explicit ScopedEngineReplacement(TXbEngine& engine) { XbEngineBinding().ReplaceEngine(&engine); }
  ~ScopedEngineReplacement() { XbEngineBinding().ReplaceEngine(nullptr); }
  ScopedEngineReplacement(const ScopedEngineReplacement&) = delete;
  ScopedEngineReplacement& operator=(const ScopedEngineReplacement&) = delete;
};

}  // namespace cratemark
