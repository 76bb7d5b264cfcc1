// Reports go to the journal with the event source as SYSLOG_IDENTIFIER and a
// MESSAGE_ID per kind (to syslog under the same name where no journal
// listens), and to standard error for whoever runs the program in a terminal.
#include <sys/stat.h>
#include <syslog.h>
#include <systemd/sd-journal.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/error_channel.h"
#include "platform/file_system.h"

namespace cratemark {
namespace {

std::mutex g_mutex;
std::string g_source;  // guarded by g_mutex
// openlog keeps the pointer it is given: the identity it was given lives on.
std::string g_syslog_identity;  // guarded by g_mutex

struct JournalEvent {
  const char* message_id;  // journalctl MESSAGE_ID=...
  int priority;
};

JournalEvent JournalEventFor(EventKind kind) {
  switch (kind) {
    case EventKind::kHalted:
      return {"fe93039db0624f8789cca46b26e61405", LOG_WARNING};
    case EventKind::kStartRefused:
      return {"35ea23177b5f4cfba402a0d297f46b1d", LOG_ERR};
    case EventKind::kProgramsReplaceable:
      return {"8b0f6a3c2e5d4f17a9c41d6e07b3f258", LOG_WARNING};
    case EventKind::kAlert:
      return {"4c34dbf899fa41498a934281d3d7d9d7", LOG_WARNING};
    case EventKind::kServiceFailed:
      break;
  }
  return {"c4d1f1bf5baa426ea9298f8d07df9d6a", LOG_ERR};
}

// Whether standard error already goes to the journal (systemd says so in
// JOURNAL_STREAM): the entry sent there would then show twice.
bool StandardErrorIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (!stream) return false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) return false;
  struct stat status = {};
  return fstat(2, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

void Report(std::string_view fallback, EventKind kind, std::string_view message) {
  // One report, one line: a line break in a file name shown in the message
  // must not start a line that reads like a report of its own.
  std::string text(message);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  const std::lock_guard<std::mutex> lock(g_mutex);
  std::string source = g_source.empty() ? std::string(fallback) : g_source;
  if (source.empty()) source = "cratemark";
  const JournalEvent event = JournalEventFor(kind);
  const int sent =
      sd_journal_send("MESSAGE=%s", text.c_str(), "MESSAGE_ID=%s", event.message_id, "PRIORITY=%d",
                      event.priority, "SYSLOG_IDENTIFIER=%s", source.c_str(), "SYSLOG_FACILITY=%d",
                      LOG_DAEMON >> 3, "CRATEMARK_EVENT_ID=%d", static_cast<int>(kind), nullptr);
  if (sent < 0) {
    if (g_syslog_identity != source) {
      g_syslog_identity = source;
      openlog(g_syslog_identity.c_str(), LOG_PID, LOG_DAEMON);
    }
    syslog(event.priority, "%s", text.c_str());
  } else if (StandardErrorIsJournal()) {
    return;
  }
  std::fprintf(stderr, "%s: %s\n", source.c_str(), text.c_str());
  std::fflush(stderr);
}

}  // namespace

void SetEventSource(std::string_view name) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  g_source = name;
}

void ReportServiceEvent(EventKind kind, std::string_view message) {
  Report(ProgramFileName(), kind, message);
}

void ReportError(std::string_view source, std::string_view message) {
  Report(source, EventKind::kServiceFailed, message);
}

}  // namespace cratemark
