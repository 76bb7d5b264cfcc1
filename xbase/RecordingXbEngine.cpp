#include "xbase/RecordingXbEngine.h"

#include <sstream>

namespace cratemark {
namespace {

void Append(std::ostringstream& out, const char* text) { out << '"' << (text ? text : "") << '"'; }
void Append(std::ostringstream& out, char*) { out << "<buffer>"; }
void Append(std::ostringstream& out, void*) { out << "<buffer>"; }
void Append(std::ostringstream& out, const void*) { out << "<buffer>"; }
template <typename Number>
void Append(std::ostringstream& out, Number number) {
  out << +number;
}

// CallText{"xb_Select"}(1) gives "xb_Select(1)".
struct CallText {
  const char* name;
  template <typename... Arguments>
  std::string operator()(Arguments... arguments) const {
    std::ostringstream out;
    out << name << '(';
    [[maybe_unused]] const char* separator = "";
    ((out << separator, Append(out, arguments), separator = ", "), ...);
    out << ')';
    return out.str();
  }
};

}  // namespace

std::vector<std::string> RecordingXbEngine::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> matching;
  for (const std::string& call : calls_) {
    if (call.compare(0, prefix.size(), prefix) == 0) matching.push_back(call);
  }
  return matching;
}

#define XB_RECORD(result, name, parameters, arguments) \
  result RecordingXbEngine::name parameters {          \
    calls_.push_back(CallText{#name} arguments);       \
    return inner_.name arguments;                      \
  }
XB_ENGINE_FUNCTIONS(XB_RECORD)
#undef XB_RECORD

}  // namespace cratemark
