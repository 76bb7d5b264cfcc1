#include "xbase/testing/recording_xb_engine.h"

#include <sstream>
#include <string_view>
#include <tuple>

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

// A raw record is no zero-terminated text: it is shown as a buffer.
template <typename... Arguments>
std::string RecordedCall(const char* name, Arguments... arguments) {
  if (std::string_view(name) == "xb_PutRecord") return std::string(name) + "(<buffer>)";
  return CallText{name}(arguments...);
}

#define XB_RECORD(result, name, parameters, arguments)                                         \
  result RecordingXbEngine::name parameters {                                                  \
    calls_.push_back(std::apply([](auto... values) { return RecordedCall(#name, values...); }, \
                                std::make_tuple arguments));                                   \
    return inner_.name arguments;                                                              \
  }
XB_ENGINE_FUNCTIONS(XB_RECORD)
#undef XB_RECORD

}  // namespace cratemark
