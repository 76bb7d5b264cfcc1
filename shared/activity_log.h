// The activity log "Cratemark.txt": one line per message, each the local
// date-and-time text, " : " and the message, followed by CR LF, in the ANSI
// code page. The process keeps none of its lines in memory, however long it
// runs, and the log never grows past a bound:
//
// - the first line of a process starts a new file; the last run's log, left
//   under either name, becomes "Cratemark.old.txt". The file gets a second
//   name, "Cratemark.txt.kept" (a hard link: one file, two names);
// - a line that would take the file past the bound first makes the file
//   "Cratemark.old.txt" (a second name, then the new file put in its place
//   in one rename), so "Cratemark.txt" never goes missing meanwhile;
// - each later line is appended with one write and one flush;
// - stop and pause remove the name "Cratemark.txt" only; the next line is
//   appended through the kept name and the file is put back under its own
//   name in one step, with every earlier line. A file removed or replaced by
//   someone else comes back the same way.
//
// Where the volume has no hard links, stop and pause rename the file to the
// kept name instead, and it comes back the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/local_time.h"

namespace cratemark {

inline constexpr std::string_view kActivityLogFileName = "Cratemark.txt";
inline constexpr std::string_view kActivityLogKeptFileName = "Cratemark.txt.kept";
inline constexpr std::string_view kActivityLogOldFileName = "Cratemark.old.txt";

// The most a log file holds; the one before it is kept as the old log, so
// the two never take more than twice this.
inline constexpr std::uint64_t kActivityLogMaxBytes = 2 * 1024 * 1024;

std::string ActivityLogPath(std::string_view program_dir);

// One log line: DateTimeText(time) + " : " + message.
std::string LogLineText(const LocalTime& time, std::string_view message);

// The message of a log line, read back; empty for a line without a time.
std::string_view LogLineMessage(std::string_view line);

// The file of the lines one process writes. Not thread-safe: its owner
// serialises calls.
class ActivityLog {
 public:
  // `fs` must outlive the log.
  ActivityLog(FileSystem& fs, std::string program_dir,
              std::uint64_t max_bytes = kActivityLogMaxBytes);

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
  bool IsOurs(std::string_view path) const;
  void KeepLastRun();
  void StartFile();
  void PutBack();
  // Makes the file under `current` the old log and starts a new one.
  void Rotate(const std::string& current);

  FileSystem& fs_;
  std::string path_;
  std::string kept_path_;
  std::string old_path_;
  std::uint64_t max_bytes_;
  std::uint64_t size_ = 0;      // of the process's file
  std::string pending_;         // encoded lines not yet in the file
  bool has_written_ = false;    // this process has created its file
  bool has_link_ = false;       // the file has its kept name too
  std::uint64_t identity_ = 0;  // of the process's file
};

}  // namespace cratemark
