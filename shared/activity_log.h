// The activity log "Cratemark.txt": one line per message, each the local
// date-and-time text, " : " and the message, followed by CR LF, in the ANSI
// code page. The file is always a full copy of the lines the process wrote.
#pragma once

#include <string>
#include <string_view>

#include "platform/local_time.h"
#include "platform/text_file.h"

namespace cratemark {

inline constexpr std::string_view kActivityLogFileName = "Cratemark.txt";

std::string ActivityLogPath(std::string_view program_dir);

// One log line: DateTimeText(time) + " : " + message.
std::string LogLineText(const LocalTime& time, std::string_view message);

// The lines one process has written, and their file. Not thread-safe: its
// owner serialises calls.
class ActivityLog {
 public:
  explicit ActivityLog(std::string program_dir);

  // Forms the line for now (or `time`), keeps it, then rewrites the file with
  // every kept line. The line is kept even when the write throws (Error), so
  // the next successful write brings the file up to date.
  void Write(std::string_view message);
  void WriteAt(const LocalTime& time, std::string_view message);

  // Deletes the file (at stop and pause); the kept lines stay, and the next
  // Write creates the file again with all of them. False when no file was
  // deleted.
  bool RemoveFile();

  const Lines& lines() const { return lines_; }

 private:
  std::string path_;
  Lines lines_;
};

}  // namespace cratemark
