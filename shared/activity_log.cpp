#include "shared/activity_log.h"

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace cratemark {

std::string ActivityLogPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kActivityLogFileName);
}

std::string LogLineText(const LocalTime& time, std::string_view message) {
  return DateTimeText(time) + " : " + std::string(message);
}

ActivityLog::ActivityLog(std::string program_dir)
    : path_(ActivityLogPath(program_dir)),
      aside_path_(program_dir + std::string(kActivityLogAsideFileName)) {}

void ActivityLog::Write(std::string_view message) { WriteAt(NowLocal(), message); }

void ActivityLog::WriteAt(const LocalTime& time, std::string_view message) {
  pending_ += EncodeText(LogLineText(time, message), TextEncoding::kAnsi);
  pending_ += "\r\n";
  if (!has_written_) {
    // A new process starts a new file, whatever an earlier one left.
    WriteWholeFile(path_, pending_);
    pending_.clear();
    has_written_ = true;
    DeleteFileAt(aside_path_);
    return;
  }
  if (is_aside_) {
    // The line joins the file while it is still aside, and the file comes
    // back in one step: readers never see it without the new line.
    AppendToFile(aside_path_, pending_);
    pending_.clear();
    RenameFile(aside_path_, path_);
    is_aside_ = false;
    return;
  }
  // One write and one flush per line. A failed append is cut off again, so
  // the file never holds a torn line, and the line waits in pending_.
  AppendToFile(path_, pending_);
  pending_.clear();
}

bool ActivityLog::RemoveFile() {
  if (!has_written_) return DeleteFileAt(path_);  // an earlier process's file
  if (is_aside_) return false;
  try {
    RenameFile(path_, aside_path_);
  } catch (const Error&) {
    return false;  // missing, or held by a reader: it stays where it is
  }
  is_aside_ = true;
  return true;
}

}  // namespace cratemark
