#include "shared/activity_log.h"

#include "platform/file_system.h"

namespace cratemark {

std::string ActivityLogPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kActivityLogFileName);
}

std::string LogLineText(const LocalTime& time, std::string_view message) {
  return DateTimeText(time) + " : " + std::string(message);
}

ActivityLog::ActivityLog(std::string program_dir) : path_(ActivityLogPath(program_dir)) {}

void ActivityLog::Write(std::string_view message) { WriteAt(NowLocal(), message); }

void ActivityLog::WriteAt(const LocalTime& time, std::string_view message) {
  lines_.push_back(LogLineText(time, message));
  // Rewritten whole each time, so a reader always finds a complete copy.
  WriteTextFile(path_, lines_, TextEncoding::kAnsi);
}

bool ActivityLog::RemoveFile() { return DeleteFileAt(path_); }

}  // namespace cratemark
