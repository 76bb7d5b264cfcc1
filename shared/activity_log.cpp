#include "shared/activity_log.h"

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace cratemark {

std::string ActivityLogPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kActivityLogFileName);
}

namespace {

constexpr std::string_view kTimeSeparator = " : ";

}  // namespace

std::string LogLineText(const LocalTime& time, std::string_view message) {
  return DateTimeText(time) + std::string(kTimeSeparator) + std::string(message);
}

std::string_view LogLineMessage(std::string_view line) {
  // The time holds no separator, so the first one ends it.
  const std::size_t separator = line.find(kTimeSeparator);
  if (separator == std::string_view::npos) return {};
  return line.substr(separator + kTimeSeparator.size());
}

ActivityLog::ActivityLog(FileSystem& fs, std::string program_dir, std::uint64_t max_bytes)
    : fs_(fs),
      path_(ActivityLogPath(program_dir)),
      kept_path_(program_dir + std::string(kActivityLogKeptFileName)),
      old_path_(program_dir + std::string(kActivityLogOldFileName)),
      max_bytes_(max_bytes) {}

void ActivityLog::Write(std::string_view message) { WriteAt(NowLocal(), message); }

bool ActivityLog::IsOurs(std::string_view path) const {
  const FileStamp stamp = fs_.StampOf(path);
  return stamp.exists && stamp.identity == identity_;
}

// The last run's log, under its own name (the run ended without a stop) or
// its kept name (stopped, or a site's folder from before the old log),
// becomes the old log rather than being lost.
void ActivityLog::KeepLastRun() {
  if (fs_.FileExists(path_)) {
    fs_.RenameFile(path_, old_path_);
  } else if (fs_.FileExists(kept_path_)) {
    fs_.RenameFile(kept_path_, old_path_);
  }
}

// A new file under the log's name, holding what is pending, with its kept
// name beside it.
void ActivityLog::StartFile() {
  fs_.WriteWholeFile(path_, pending_);
  size_ = pending_.size();
  pending_.clear();
  has_written_ = true;
  identity_ = fs_.StampOf(path_).identity;
  fs_.DeleteFileAt(kept_path_);
  try {
    fs_.LinkFile(path_, kept_path_);
    has_link_ = true;
  } catch (const Error&) {
    has_link_ = false;  // no hard links here: stop and pause rename instead
  }
}

// The file, under its kept name, in place of the log's name in one step.
void ActivityLog::PutBack() {
  if (!has_link_) return fs_.RenameFile(kept_path_, path_);
  const std::string link = path_ + ".link.tmp";
  fs_.DeleteFileAt(link);
  fs_.LinkFile(kept_path_, link);
  try {
    fs_.RenameFile(link, path_);
  } catch (const Error&) {
    fs_.DeleteFileAt(link);
    throw;
  }
}

void ActivityLog::Rotate(const std::string& current) {
  if (has_link_) {
    // A second name first, then the new file in place of the first: the log
    // is under its name at every moment.
    const std::string link = old_path_ + ".link.tmp";
    fs_.DeleteFileAt(link);
    fs_.LinkFile(current, link);
    fs_.RenameFile(link, old_path_);
  } else {
    fs_.RenameFile(current, old_path_);
  }
  StartFile();
}

void ActivityLog::WriteAt(const LocalTime& time, std::string_view message) {
  pending_ += EncodeText(LogLineText(time, message), TextEncoding::kAnsi);
  pending_ += "\r\n";
  // A new process starts a new file, whatever an earlier one left.
  if (!has_written_) {
    KeepLastRun();
    return StartFile();
  }

  const bool is_shown = IsOurs(path_);
  const bool is_kept = IsOurs(kept_path_);
  if ((is_shown || is_kept) && size_ + pending_.size() > max_bytes_) {
    return Rotate(is_shown ? path_ : kept_path_);
  }
  if (is_shown && (!has_link_ || is_kept)) {
    // The usual case: one write and one flush. A failed append is cut off
    // again, so the file never holds a torn line, and the line stays pending.
    fs_.AppendToFile(path_, pending_);
    size_ += pending_.size();
    pending_.clear();
    return;
  }
  if (is_shown) {
    // Someone removed the kept name: the file gets it again.
    fs_.AppendToFile(path_, pending_);
    size_ += pending_.size();
    pending_.clear();
    fs_.DeleteFileAt(kept_path_);
    fs_.LinkFile(path_, kept_path_);
    return;
  }
  if (is_kept) {
    // Set aside at stop or pause, or its name removed or taken by someone
    // else: the line joins the file first, then the file comes back whole,
    // so readers never see it without the new line.
    fs_.AppendToFile(kept_path_, pending_);
    size_ += pending_.size();
    pending_.clear();
    PutBack();
    return;
  }
  // Both names gone: the earlier lines went with them.
  StartFile();
}

bool ActivityLog::RemoveFile() {
  if (!has_written_) return fs_.DeleteFileAt(path_);  // an earlier process's file
  if (!IsOurs(path_)) return false;
  if (!has_link_) {
    try {
      fs_.RenameFile(path_, kept_path_);
    } catch (const Error&) {
      return false;  // held by a reader: it stays where it is
    }
    return true;
  }
  if (!IsOurs(kept_path_)) {
    // Its kept name must hold the file before the log's name goes.
    fs_.DeleteFileAt(kept_path_);
    try {
      fs_.LinkFile(path_, kept_path_);
    } catch (const Error&) {
      return false;
    }
  }
  return fs_.DeleteFileAt(path_);
}

}  // namespace cratemark
