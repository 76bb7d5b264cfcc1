// An engine decorator that writes down every call with its arguments, e.g.
// xb_Select(1) or xb_UseEx("/pos/Label1/LOCKSPL", "LOCKSPL", 1, 1, 1), and
// forwards it to another engine (the library or a test double). Texts are
// quoted, buffers shown as <buffer>. Used by tests to check call sequences.
#pragma once

#include <string>
#include <vector>

#include "xbase/XbEngine.h"

namespace cratemark {

class RecordingXbEngine final : public TXbEngine {
 public:
  explicit RecordingXbEngine(TXbEngine& inner) : inner_(inner) {}

  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // The recorded calls whose text starts with `prefix` (e.g. "xb_ErrorLevel").
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  bool LoadDLLs() override { return inner_.LoadDLLs(); }

#define XB_DECLARE_OVERRIDE(result, name, parameters, arguments) result name parameters override;
  XB_ENGINE_FUNCTIONS(XB_DECLARE_OVERRIDE)
#undef XB_DECLARE_OVERRIDE

 private:
  TXbEngine& inner_;
  std::vector<std::string> calls_;
};

}  // namespace cratemark
