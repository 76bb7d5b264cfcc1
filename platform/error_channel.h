// Where a program without a window reports failures: the Windows event log,
// under one event source whose message table (in the service program) gives
// each kind of entry its own event ID; on POSIX the journal (the source as
// SYSLOG_IDENTIFIER, a MESSAGE_ID per kind), syslog where there is no
// journal, and standard error for whoever runs the program in a terminal.
#pragma once

#include <string_view>

namespace cratemark {

// The kinds of entry. The numbers are the event IDs an administrator filters
// on (Event Viewer's "Event ID", the journal's CRATEMARK_EVENT_ID): never
// renumber one.
enum class EventKind {
  kServiceFailed = 1,  // a control or a tick failed; the service goes on where it can
  kHalted = 2,         // the service halted: it prints nothing until the reason is put right
  kStartRefused = 3,   // the service would not start
  // Everyday users may replace the programs the service runs; it runs on.
  kProgramsReplaceable = 4,
  kAlert = 5,  // an alert for whoever must act: labels at the backup, stopped, ...
};

// The one source every later report goes under ("srvCratemark"). Set once,
// at the start of the program, before any report.
void SetEventSource(std::string_view name);

// Reports `message` as an entry of `kind` under the event source.
void ReportServiceEvent(EventKind kind, std::string_view message);

// A kServiceFailed entry. `source` is used only while no event source is set
// (tools and tests that report under their own name).
void ReportError(std::string_view source, std::string_view message);

}  // namespace cratemark
