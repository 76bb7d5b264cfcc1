#include "service/srvMain.h"

#include <exception>
#include <string_view>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "shared/label_composer.h"
#include "shared/change_marker.h"
#include "shared/host_files.h"
#include "shared/label_design.h"
#include "shared/order_job.h"
#include "shared/settings_file.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

constexpr const char* kDirectoryNotFound = "    Directory not found! Please setup a printer";

// Inserted between a spool folder and a file name in it; "/" on POSIX keeps
// the paths in the log native.
const std::string kSeparator(1, kPathSeparator);

// Whether two spool folders are one, as the file system matches names.
bool SameFolder(std::string_view a, std::string_view b) {
  auto bare = [](std::string_view path) {
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
    return path;
  };
  return EqualsNoCase(bare(a), bare(b));
}

}  // namespace

TsrvCratemark::TsrvCratemark(std::string program_dir, std::unique_ptr<LockTable> tblLockSPL,
                             std::unique_ptr<LockTable> tblLockSPLCheck,
                             std::chrono::milliseconds job_settle_time)
    : program_dir_(std::move(program_dir)),
      settings_(ServiceDefaultSettings()),
      log_(program_dir_),
      tblLockSPL_(std::move(tblLockSPL)),
      tblLockSPLCheck_(std::move(tblLockSPLCheck)),
      job_settle_(job_settle_time) {
  auto after_open = [this](LockTable& table) { tblLockSPLAfterOpen(table); };
  tblLockSPL_->SetAfterOpen(after_open);
  tblLockSPLCheck_->SetAfterOpen(after_open);
}

TsrvCratemark::~TsrvCratemark() {
  tblLockSPLCheck_->Close();
  tblLockSPL_->Close();
}

void TsrvCratemark::ServiceStart() {
  timer_enabled_ = true;
  ConfigureService();
}

void TsrvCratemark::ServiceStop() {
  timer_enabled_ = false;
  WriteLog("! Stopping service...");
  // Set aside, not deleted: the first line after a continue brings back
  // every earlier line without the service holding them in memory.
  log_.RemoveFile();
}

void TsrvCratemark::TimerTimer() {
  if (ChangeMarkerExists(program_dir_)) {
    ConfigureService();
    DeleteChangeMarker(program_dir_);
  }

  // A halted service takes no job, so it need not list them either.
  if (halted_) return;

  // Directories are passed over: a folder named "x.spl" must not block the
  // jobs listed after it.
  const std::string source_dir = tblLockSPL_->DatabaseName();
  std::string job_name;
  for (const DirectoryEntry& entry : ListDirectory(source_dir, kJobFilePattern)) {
    if (!entry.is_directory) {
      job_name = entry.name;
      break;
    }
  }
  if (job_name.empty()) return;

  const std::string job_path = source_dir + kSeparator + job_name;
  // A job still being written is left for a later tick.
  if (!job_settle_.IsSettled(job_path, StampOf(job_path))) return;

  WriteLog("-> Loading from " + job_path);
  job_lines_ = ReadOrderJob(job_path);
  if (!job_settle_.IsUnchanged(job_path, StampOf(job_path))) {
    throw Error(ErrorKind::kSharingViolation,
                "The job \"" + job_path + "\" changed while it was read.");
  }
  ComposeLabels();
  WriteLog("++ Sending to " + program_dir_ + settings_.spl_dir_dest + kSeparator + job_name);
  if (!DeliverLabels(job_name)) WriteLog("# Failed to print...");
}

void TsrvCratemark::tblLockSPLAfterOpen(LockTable& table) { table.FLock(); }

void TsrvCratemark::ConfigureService() {
  halted_ = false;
  WriteStatus(kStatusOk);

  // Read only to find out whether it can be; each job reads it afresh.
  try {
    ReadLabelDesign(program_dir_);
  } catch (const Error&) {
    WriteStatus(kStatusDesignUnreadable);
  }

  LoadSettings();

  WriteLog("! Starting service...");
  const std::string source_dir = program_dir_ + settings_.spl_dir_source;
  WriteLog("! Source Spool Directory is: \"" + source_dir + "\"");
  const bool has_source = DirectoryExists(source_dir);
  if (!has_source) WriteLog(kDirectoryNotFound);

  const std::string dest_dir = program_dir_ + settings_.spl_dir_dest;
  WriteLog("! Destination Spool Directory is: \"" + dest_dir + "\"");
  const bool has_dest = DirectoryExists(dest_dir);
  if (!has_dest) WriteLog(kDirectoryNotFound);

  const std::string backup_dir = program_dir_ + settings_.spl_dir_backup;
  WriteLog("! Backup Spool Directory is: \"" + backup_dir + "\"");
  if (!DirectoryExists(backup_dir)) {
    WriteLog(kDirectoryNotFound);
    WriteStatus(kStatusBackupDirMissing);
  } else if (SameFolder(backup_dir, source_dir)) {
    // Labels written there would replace the order's own job file, which is
    // then deleted: the order would be lost. Not a label printer, so halt.
    WriteStatus(kStatusBackupDirMissing);
  }

  OpenSourceLockTable(source_dir);
  if (!has_dest || SameFolder(dest_dir, source_dir)) WriteStatus(kStatusDestDirMissing);
}

void TsrvCratemark::LoadSettings() {
  try {
    settings_ = ReadSettingsFile(program_dir_);
  } catch (const Error&) {
    // Unreadable: keep the current values and write them back for the user.
    WriteSettingsFile(program_dir_, settings_);
    halted_ = true;
  }
}

void TsrvCratemark::OpenSourceLockTable(const std::string& source_dir) {
  // The lock must follow the source printer: a table still open on another
  // directory is closed first, releasing the old printer's lock.
  if (tblLockSPL_->DatabaseName() != source_dir) {
    tblLockSPL_->Close();
    tblLockSPL_->SetDatabaseName(source_dir);
  }
  if (!DirectoryExists(source_dir)) {
    WriteStatus(kStatusSourceDirMissing);
    return;
  }
  if (tblLockSPL_->Active()) return;  // lock held since an earlier run
  try {
    tblLockSPL_->Open();
    return;
  } catch (const std::exception&) {
  }
  tblLockSPL_->CreateTable();  // its failure ends the run
  try {
    tblLockSPL_->Open();
  } catch (const std::exception&) {
    WriteStatus(kStatusSourceLockTableFailed);
  }
}

void TsrvCratemark::ComposeLabels() {
  label_lines_.clear();
  EscapeQuotes(job_lines_);
  if (!FollowsBlockLayout(job_lines_)) {
    WriteLog("## WARNING: Label Setup in Tolvan does not seem to be compatible with Cratemark ##");
    return;
  }
  const LabelCaptions captions{settings_.labels_text, settings_.time_text, settings_.map_text,
                               settings_.total_text};
  label_lines_ = ComposeBlocks(job_lines_, captions, [this]() -> std::optional<Lines> {
    try {
      return ReadLabelDesign(program_dir_).lines;
    } catch (const Error&) {
      WriteStatus(kStatusDesignUnreadable);
      return std::nullopt;
    }
  });
}

bool TsrvCratemark::CheckLockTaken(const std::string& directory) {
  tblLockSPLCheck_->Close();
  tblLockSPLCheck_->SetDatabaseName(directory);
  try {
    tblLockSPLCheck_->Open();
  } catch (const std::exception&) {
    // No lock table, no directory or an engine refusal: the table stays closed.
  }
  const bool taken = tblLockSPLCheck_->FLock();
  // Our handle must never keep a spooler from reopening its own lock table.
  tblLockSPLCheck_->Close();
  return taken;
}

bool TsrvCratemark::DeliverLabels(const std::string& job_name) {
  if (halted_) return false;
  const std::string dest_dir = program_dir_ + settings_.spl_dir_dest;
  const std::string backup_dir = program_dir_ + settings_.spl_dir_backup;
  const std::string source_job = SourceJobPath(job_name);

  const bool dest_down = CheckLockTaken(dest_dir) ||
                         FileExists(dest_dir + kSeparator + std::string(kSpoolerMarkerFileName));
  if (!dest_down) {
    WriteLabelFile(dest_dir + kSeparator + job_name);
    WriteLog("-- Deleting " + source_job);
    DeleteFileAt(source_job);
    return true;
  }
  WriteLog("## Spooler is down for printer: " + settings_.spl_dir_dest);

  WriteLog("! Trying backup printer...");
  // The same verdict as for the destination: down only when nobody holds the
  // lock; a backup whose spooler holds its lock is used.
  bool backup_problem = false;
  const bool backup_down = CheckLockTaken(backup_dir);
  if (backup_down) {
    WriteLog("## Spooler is down for printer: " + settings_.spl_dir_backup);
  } else {
    backup_problem = FileExists(backup_dir + kSeparator + std::string(kSpoolerMarkerFileName));
  }
  if (!backup_down && !backup_problem) {
    WriteLog("++ Sending to " + backup_dir + kSeparator + job_name);
    WriteLabelFile(backup_dir + kSeparator + job_name);
    WriteLog("-- Deleting " + source_job);
    DeleteFileAt(source_job);
    return true;
  }
  if (backup_problem) {
    WriteLog("# Problem sending to " + backup_dir);
    WriteLog("  Please check TolvanSpool and Printer.");
  }
  WriteLog("! Sending order back to " + dest_dir);
  WriteLog("! Labels will resume printing when the problem is resolved");
  WriteLabelFile(dest_dir + kSeparator + job_name);
  WriteLog("-- Deleting " + source_job);
  DeleteFileAt(source_job);
  return false;
}

void TsrvCratemark::WriteLabelFile(const std::string& path) {
  // Whole, then put in place: a spooler never prints half a label.
  WriteTextFile(path, label_lines_);
}

std::string TsrvCratemark::SourceJobPath(const std::string& job_name) const {
  // The folder the tick found the job in. It equals ProgramDir + SPLDirSource
  // whenever the last start-up configuration ran through; after one that
  // failed half-way, deleting under the new setting could remove a job in
  // another folder that was never printed.
  return tblLockSPL_->DatabaseName() + kSeparator + job_name;
}

void TsrvCratemark::WriteStatus(std::int16_t code) {
  if (code != kStatusOk) halted_ = true;
  WriteStatusFile(program_dir_, code);
}

void TsrvCratemark::WriteLog(const std::string& message) { log_.Write(message); }

}  // namespace cratemark
