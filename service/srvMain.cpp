#include "service/srvMain.h"

#include <exception>
#include <set>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "shared/change_marker.h"
#include "shared/host_files.h"
#include "shared/label_composer.h"
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
  // Only the name goes; the file stays under its second name, so the first
  // line after a continue brings back every earlier line without the
  // service holding them in memory.
  log_.RemoveFile();
}

void TsrvCratemark::TimerTimer() {
  if (ChangeMarkerExists(program_dir_)) {
    ConfigureService();
    DeleteChangeMarker(program_dir_);
  }

  // A halted service takes no job, so it need not list them either.
  if (halted_) return;

  const std::string source_dir = tblLockSPL_->DatabaseName();
  const std::vector<DirectoryEntry> entries = ListDirectory(source_dir, kJobFilePattern);
  std::set<std::string> listed;
  for (const DirectoryEntry& entry : entries) listed.insert(source_dir + kSeparator + entry.name);
  // What is remembered about entries never outgrows the folder.
  job_settle_.KeepOnly(listed);
  std::erase_if(passed_over_, [&](const auto& item) { return !listed.contains(item.first); });

  // The first entry that is a job ready to be taken. Anything passed over
  // costs one log line when first seen and never holds up the entries after it.
  for (const DirectoryEntry& entry : entries) {
    const std::string job_path = source_dir + kSeparator + entry.name;
    const FileStamp stamp = StampOfFileIn(source_dir, entry.name);
    auto passed = passed_over_.find(job_path);
    if (passed != passed_over_.end()) {
      if (passed->second == stamp) continue;  // unchanged since: leave it
      passed_over_.erase(passed);
    }
    if (entry.type != EntryType::kFile || !stamp.exists) {
      PassOver(job_path, stamp, SkippedLine(job_path, "not a regular file"));
      continue;
    }
    if (stamp.size > kMaxJobBytes) {
      PassOver(job_path, stamp, SkippedLine(job_path, TooLarge()));
      continue;
    }
    // A job still being written is left for a later tick.
    if (!job_settle_.IsSettled(job_path, stamp)) continue;
    TakeJob(source_dir, entry.name, stamp);
    return;
  }
}

void TsrvCratemark::TakeJob(const std::string& source_dir, const std::string& job_name,
                            const FileStamp& stamp) {
  const std::string job_path = source_dir + kSeparator + job_name;
  WriteLog("-> Loading from " + job_path);
  try {
    job_lines_ = ReadOrderJobIn(source_dir, job_name);
  } catch (const Error& error) {
    // Swapped for something else since it was listed: pass it over like that.
    if (error.kind() == ErrorKind::kTooLarge) {
      PassOver(job_path, StampOfFileIn(source_dir, job_name), SkippedLine(job_path, TooLarge()));
      return;
    }
    if (error.kind() == ErrorKind::kNotAFile) {
      PassOver(job_path, StampOfFileIn(source_dir, job_name),
               SkippedLine(job_path, "not a regular file"));
      return;
    }
    throw;
  }
  if (!job_settle_.IsUnchanged(job_path, StampOfFileIn(source_dir, job_name))) {
    throw Error(ErrorKind::kSharingViolation,
                "The job \"" + job_path + "\" changed while it was read.");
  }
  try {
    ComposeLabels();
  } catch (const Error& error) {
    if (error.kind() != ErrorKind::kTooLarge) throw;
    PassOver(job_path, stamp, SkippedLine(job_path, "its labels would be too large"));
    return;
  }
  WriteLog("++ Sending to " + program_dir_ + settings_.spl_dir_dest + kSeparator + job_name);
  if (!DeliverLabels(job_name)) WriteLog("# Failed to print...");
}

void TsrvCratemark::PassOver(const std::string& job_path, const FileStamp& stamp,
                             const std::string& line) {
  passed_over_[job_path] = stamp;
  WriteLog(line);
}

std::string TsrvCratemark::SkippedLine(const std::string& job_path, std::string_view why) {
  return "## Skipped " + job_path + " (" + std::string(why) + ")";
}

std::string TsrvCratemark::TooLarge() {
  return "larger than " + std::to_string(kMaxJobBytes) + " bytes";
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
    // By any spelling (dots, "..", links): labels written there would replace
    // the order's own job file, which is then deleted: the order would be
    // lost. Not a label printer, so halt.
    WriteStatus(kStatusBackupDirMissing);
  }

  OpenSourceLockTable(source_dir);
  if (!has_dest || SameFolder(dest_dir, source_dir)) WriteStatus(kStatusDestDirMissing);

  // Half-written files of a run that was killed while writing; a live
  // program's are left alone.
  for (const std::string& folder : {program_dir_, source_dir, dest_dir, backup_dir}) {
    RemoveAbandonedTemporaries(folder);
  }
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
    WriteLabelFile(dest_dir, job_name);
    WriteLog("-- Deleting " + source_job);
    DeleteSourceJob(job_name);
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
    WriteLabelFile(backup_dir, job_name);
    WriteLog("-- Deleting " + source_job);
    DeleteSourceJob(job_name);
    return true;
  }
  if (backup_problem) {
    WriteLog("# Problem sending to " + backup_dir);
    WriteLog("  Please check TolvanSpool and Printer.");
  }
  WriteLog("! Sending order back to " + dest_dir);
  WriteLog("! Labels will resume printing when the problem is resolved");
  WriteLabelFile(dest_dir, job_name);
  WriteLog("-- Deleting " + source_job);
  DeleteSourceJob(job_name);
  return false;
}

void TsrvCratemark::WriteLabelFile(const std::string& folder, const std::string& job_name) {
  // Whole, then put in place: a spooler never prints half a label.
  WriteWholeFileIn(folder, job_name, EncodeText(JoinLines(label_lines_), TextEncoding::kAnsi));
}

void TsrvCratemark::DeleteSourceJob(const std::string& job_name) {
  const std::string& source_dir = tblLockSPL_->DatabaseName();
  if (DeleteFileIn(source_dir, job_name)) return;
  const FileStamp stamp = StampOfFileIn(source_dir, job_name);
  if (!stamp.exists) return;  // someone else took it away
  // Printed already: taking it again every second would waste a label each
  // time. It comes again only when it changes or the service restarts.
  PassOver(SourceJobPath(job_name), stamp,
           "# Could not delete " + SourceJobPath(job_name) + "; it is not printed again");
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

void TsrvCratemark::WriteLog(const std::string& message) {
  // Names from the spool folder may hold line breaks; shown as "?" so that
  // no name can forge a line of its own.
  std::string shown = message;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  log_.Write(shown);
}

}  // namespace cratemark
