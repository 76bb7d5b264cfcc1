// The activity log "Cratemark.txt": one line per message, each the local
// date-and-time text, " : " and the message, followed by CR LF, in the ANSI
// code page. The file always holds every line the process has written: the
// first line of a process replaces any earlier file, each later line is
// appended; at stop and pause the file is set aside ("Cratemark.txt.paused")
// rather than deleted, and the next line brings it back with that line
// appended. So the process keeps no lines in memory, however long it runs.
#pragma once

#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace cratemark {

inline constexpr std::string_view kActivityLogFileName = "Cratemark.txt";
inline constexpr std::string_view kActivityLogAsideFileName = "Cratemark.txt.paused";

std::string ActivityLogPath(std::string_view program_dir);

// One log line: DateTimeText(time) + " : " + message.
std::string LogLineText(const LocalTime& time, std::string_view message);

// The file of the lines one process writes. Not thread-safe: its owner
// serialises calls.
class ActivityLog {
 public:
  explicit ActivityLog(std::string program_dir);

  // Forms the line for now (or `time`) and adds it to the file. When the
  // write throws (Error), the line is kept and goes into the file, before
  // the next line, with the next successful write.
  void Write(std::string_view message);
  void WriteAt(const LocalTime& time, std::string_view message);

  // Takes the file away from readers (at stop and pause); the next Write
  // brings it back with every line written so far. False when there was no
  // file to take away.
  bool RemoveFile();

  // Bytes of lines whose write failed, waiting for the next write.
  std::size_t pending_bytes() const { return pending_.size(); }

 private:
  std::string path_;
  std::string aside_path_;
  std::string pending_;       // encoded lines not yet in the file
  bool has_written_ = false;  // this process has created its file
  bool is_aside_ = false;     // the file is set aside until the next line
};

}  // namespace cratemark
