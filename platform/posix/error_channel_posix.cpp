// Reports go to syslog under the program's file name, as daemons do, and to
// standard error for whoever runs the program in a terminal.
#include <syslog.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/error_channel.h"
#include "platform/file_system.h"

namespace cratemark {

void ReportError(std::string_view source, std::string_view message) {
  // openlog keeps the pointer it is given: the identity lives as long as the process.
  static const std::string identity =
      ProgramFileName().empty() ? std::string("cratemark") : ProgramFileName();
  static std::mutex mutex;
  const std::string text(message);
  const std::lock_guard<std::mutex> lock(mutex);
  openlog(identity.c_str(), LOG_PID, LOG_DAEMON);
  syslog(LOG_ERR, "%s", text.c_str());
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(source.size()), source.data(), text.c_str());
  std::fflush(stderr);
}

}  // namespace cratemark
