#include "xbase/XbEngine.h"

#include "platform/dynamic_library.h"

namespace cratemark {
struct TXbEngineLibrary::Functions {
#define XB_POINTER(result, name, parameters, arguments) result(*name) parameters = nullptr;
  XB_ENGINE_FUNCTIONS(XB_POINTER)
#undef XB_POINTER
};

TXbEngineLibrary::TXbEngineLibrary() : functions_(std::make_unique<Functions>()) {}

TXbEngineLibrary::~TXbEngineLibrary() = default;

bool TXbEngineLibrary::LoadDLLs() {
  if (library_ != nullptr) return true;
  std::unique_ptr<DynamicLibrary> library = LoadDynamicLibrary(kXbEngineFileName);
  if (library == nullptr) return false;
  Functions found;
  bool complete = true;
#define XB_RESOLVE(result, name, parameters, arguments)                        \
  found.name = reinterpret_cast<result(*) parameters>(library->Symbol(#name)); \
  complete = complete && found.name != nullptr;
  XB_ENGINE_FUNCTIONS(XB_RESOLVE)
#undef XB_RESOLVE
  if (!complete) return false;  // an engine of another make or version
  *functions_ = found;
  library_ = std::move(library);
  functions_->xb_SetStringType(1);
  return true;
}

void TXbEngineLibrary::FreeDLLs() {
  *functions_ = Functions();
  library_.reset();
}

#define XB_FORWARD(result, name, parameters, arguments)       \
  result TXbEngineLibrary::name parameters {                  \
    if (functions_->name == nullptr) return XbZero<result>(); \
    return functions_->name arguments;                        \
  }
XB_ENGINE_FUNCTIONS(XB_FORWARD)
#undef XB_FORWARD

bool TXbEngineBinding::EnsureEngineLoaded() {
  if (!engine_loaded_) engine_loaded_ = Engine().LoadDLLs();
  return engine_loaded_;
}

void TXbEngineBinding::ReplaceEngine(TXbEngine* engine) {
  replacement_ = engine;
  engine_loaded_ = false;
}

void TXbEngineBinding::FreeDLLs() {
  library_.FreeDLLs();
  if (replacement_ == nullptr) engine_loaded_ = false;
}

TXbEngineBinding& XbEngineBinding() {
  static TXbEngineBinding binding;
  return binding;
}

}  // namespace cratemark
