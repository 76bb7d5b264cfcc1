// Reports go to the Application event log under the one event source, with
// the message table's event ID and type for their kind; the message is the
// entry's one insertion string.
#include <windows.h>

#include <mutex>
#include <string>

#include "event_messages.h"
#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

static_assert((MSG_SERVICE_FAILED & 0xFFFF) == static_cast<DWORD>(EventKind::kServiceFailed));
static_assert((MSG_SERVICE_HALTED & 0xFFFF) == static_cast<DWORD>(EventKind::kHalted));
static_assert((MSG_START_REFUSED & 0xFFFF) == static_cast<DWORD>(EventKind::kStartRefused));
static_assert((MSG_PROGRAMS_REPLACEABLE & 0xFFFF) ==
              static_cast<DWORD>(EventKind::kProgramsReplaceable));
static_assert((MSG_LABEL_ALERT & 0xFFFF) == static_cast<DWORD>(EventKind::kAlert));

std::mutex g_mutex;
std::string g_source;  // guarded by g_mutex

struct EventOf {
  DWORD id;
  WORD type;
};

EventOf EventFor(EventKind kind) {
  switch (kind) {
    case EventKind::kHalted:
      return {MSG_SERVICE_HALTED, EVENTLOG_WARNING_TYPE};
    case EventKind::kStartRefused:
      return {MSG_START_REFUSED, EVENTLOG_ERROR_TYPE};
    case EventKind::kProgramsReplaceable:
      return {MSG_PROGRAMS_REPLACEABLE, EVENTLOG_WARNING_TYPE};
    case EventKind::kAlert:
      return {MSG_LABEL_ALERT, EVENTLOG_WARNING_TYPE};
    case EventKind::kServiceFailed:
      break;
  }
  return {MSG_SERVICE_FAILED, EVENTLOG_ERROR_TYPE};
}

void Report(std::string_view source, EventKind kind, std::string_view message) {
  const std::wstring name = ToWide(source);
  const std::wstring text = ToWide(message);
  HANDLE log = RegisterEventSourceW(/*lpUNCServerName=*/nullptr, name.c_str());
  if (!log) return;  // nowhere else to report to
  const EventOf event = EventFor(kind);
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(log, event.type, /*wCategory=*/0, event.id, /*lpUserSid=*/nullptr,
               /*wNumStrings=*/1, /*dwDataSize=*/0, strings, /*lpRawData=*/nullptr);
  DeregisterEventSource(log);
}

std::string SourceOr(std::string_view fallback) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  return g_source.empty() ? std::string(fallback) : g_source;
}

}  // namespace

void SetEventSource(std::string_view name) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  g_source = name;
}

void ReportServiceEvent(EventKind kind, std::string_view message) {
  Report(SourceOr(ProgramFileName()), kind, message);
}

void ReportError(std::string_view source, std::string_view message) {
  Report(SourceOr(source), EventKind::kServiceFailed, message);
}

}  // namespace cratemark
