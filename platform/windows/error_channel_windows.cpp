// Reports go to the Application event log under the reporter's name.
#include <windows.h>

#include "platform/error_channel.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

void ReportError(std::string_view source, std::string_view message) {
  const std::wstring name = ToWide(source);
  const std::wstring text = ToWide(message);
  HANDLE log = RegisterEventSourceW(/*lpUNCServerName=*/nullptr, name.c_str());
  if (!log) return;  // nowhere else to report to
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(log, EVENTLOG_ERROR_TYPE, /*wCategory=*/0, /*dwEventID=*/0, /*lpUserSid=*/nullptr,
               /*wNumStrings=*/1, /*dwDataSize=*/0, strings, /*lpRawData=*/nullptr);
  DeregisterEventSource(log);
}

}  // namespace cratemark
