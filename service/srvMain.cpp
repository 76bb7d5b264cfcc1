#include "service/srvMain.h"

#include <exception>
#include <set>
#include <vector>

#include "platform/error.h"
#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/folder_claim.h"
#include "platform/text.h"
#include "shared/alert_log_line.h"
#include "shared/change_marker.h"
#include "shared/host_files.h"
#include "shared/label_composer.h"
#include "shared/label_design.h"
#include "shared/order_job.h"
#include "shared/printed_folder.h"
#include "shared/settings_file.h"
#include "shared/status_file.h"
#include "shared/status_message.h"
#include "shared/unprinted_folder.h"

namespace cratemark {
namespace {

constexpr const char* kDirectoryNotFound = "    Directory not found! Please setup a printer";

// Inserted between a spool folder and a file name in it; "/" on POSIX keeps
// the paths in the log native.
const std::string kSeparator(1, kPathSeparator);

}  // namespace

TsrvCratemark::TsrvCratemark(std::string program_dir, std::unique_ptr<LockTable> tblLockSPL,
                             std::unique_ptr<LockTable> tblLockSPLCheck, ServiceOptions options)
    : program_dir_(std::move(program_dir)),
      fs_(options.fs ? *options.fs : SystemFileSystem()),
      clock_(options.clock ? *options.clock : SystemSettleClock()),
      job_times_{options.settle_time, options.quiet_time},
      report_error_(std::move(options.report_error)),
      check_program_files_(std::move(options.check_program_files)),
      settings_(ServiceDefaultSettings()),
      log_(fs_, program_dir_, options.log_max_bytes),
      printed_(fs_, program_dir_),
      tblLockSPL_(std::move(tblLockSPL)),
      tblLockSPLCheck_(std::move(tblLockSPLCheck)),
      job_settle_(clock_),
      alert_runner_(std::move(options.alert_runner)) {
  if (!report_error_) {
    report_error_ = [](EventKind kind, const std::string& message) {
      ReportServiceEvent(kind, message);
    };
  }
  auto after_open = [this](LockTable& table) { tblLockSPLAfterOpen(table); };
  tblLockSPL_->SetAfterOpen(after_open);
  tblLockSPLCheck_->SetAfterOpen(after_open);
}

TsrvCratemark::~TsrvCratemark() {
  tblLockSPLCheck_->Close();
  tblLockSPL_->Close();
}

void TsrvCratemark::ServiceStart() {
  // Before anything is written: a second service on the folder would take
  // the first one's log names and deliver its orders twice.
  if (!claim_) {
    claim_ = fs_.ClaimFolder(program_dir_ + std::string(kServiceLockFileName));
    if (!claim_) {
      const std::string why = "Another Cratemark service already serves the folder \"" +
                              program_dir_ + "\"; this one ends and touches none of its files.";
      // Its log is the other service's: only the event entry and the command.
      Tell(alerts_.Raise(AlertKind::kHalted, status_, "The service did not start: " + why,
                         clock_.Now()),
           /*to_log=*/false);
      if (alert_runner_) alert_runner_->WaitAll();
      throw Error(ErrorKind::kAlreadyServed, why);
    }
  }
  timer_enabled_ = true;
  reload_retry_.reset();
  // Each start says again what every folder is on.
  volume_lines_.clear();
  local_locks_told_.clear();
  try {
    ConfigureService();
  } catch (const Error& error) {
    // The start fails and the process ends: the command is waited for.
    RaiseAlert(AlertKind::kHalted, "The service did not start: " + std::string(error.what()));
    if (alert_runner_) CollectAlertResults(alert_runner_->WaitAll());
    throw;
  }
  if (settings_unreadable_) SettingsUnreadable();
  AlertOnStatus();
  if (!program_files_checked_) {
    program_files_checked_ = true;
    WarnOfReplaceablePrograms();
  }
}

void TsrvCratemark::WarnOfReplaceablePrograms() {
  if (!check_program_files_) return;
  const std::vector<std::string> warnings = check_program_files_();
  if (warnings.empty()) return;
  std::string entry;
  for (const std::string& warning : warnings) {
    WriteLog("## WARNING: " + warning);
    entry += (entry.empty() ? "" : " ") + warning;
  }
  report_error_(EventKind::kProgramsReplaceable, entry);
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
  if (alert_runner_) CollectAlertResults(alert_runner_->Poll());
  const auto now = clock_.Now();
  if (reload_retry_) {
    // A reload that failed, or settings that could not be read: again once
    // its pause is over, marker or not.
    if (now >= reload_retry_->next && Reload()) DeleteChangeMarker(fs_, program_dir_);
  } else if (ChangeMarkerExists(fs_, program_dir_)) {
    if (Reload()) DeleteChangeMarker(fs_, program_dir_);
  } else if (waiting_for_source_lock_ && now >= next_lock_try_) {
    // Tolvan's spooler let go of the source printer: take it and start.
    if (tblLockSPL_->Active() && tblLockSPL_->FLock()) {
      Reload();
    } else {
      next_lock_try_ = now + kSourceLockRetry;
    }
  }

  // A halted service takes no job, so it need not list them either.
  if (halted_) return;

  const std::string source_dir = tblLockSPL_->DatabaseName();
  const std::vector<DirectoryEntry> entries = fs_.ListDirectory(source_dir, kJobFilePattern);
  std::set<std::string> listed;
  for (const DirectoryEntry& entry : entries) listed.insert(source_dir + kSeparator + entry.name);
  // What is remembered about entries never outgrows the folder.
  job_settle_.KeepOnly(listed);
  std::erase_if(passed_over_, [&](const auto& item) { return !listed.contains(item.first); });
  std::erase_if(retries_, [&](const auto& item) { return !listed.contains(item.first); });

  // The first entry that is a job ready to be taken. Anything passed over
  // costs one log line when first seen, and a job being written or waiting
  // to be tried again never holds up the entries after it.
  for (const DirectoryEntry& entry : entries) {
    const std::string job_path = source_dir + kSeparator + entry.name;
    const FileStamp stamp = fs_.StampOfFileIn(source_dir, entry.name);
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
    auto retry = retries_.find(job_path);
    if (retry != retries_.end() && retry->second.stamp == stamp &&
        clock_.Now() < retry->second.next) {
      continue;
    }
    // A job still being written is left for a later tick.
    const JobFacts facts = FactsOf(job_path, stamp);
    if (DecideJob(facts, job_times_) == JobStep::kWait) continue;
    if (TakeJob(source_dir, entry.name, stamp, facts) == Taking::kHandled) return;
  }
}

JobFacts TsrvCratemark::FactsOf(const std::string& job_path, const FileStamp& stamp) {
  JobFacts facts;
  facts.rule = source_rule_;
  facts.unchanged_for = job_settle_.Look(job_path, stamp);
  if (source_rule_ == JobRule::kLease && stamp.changed_ns != 0) {
    // On a local disk this machine's kernel stamped it, by this clock.
    facts.changed_ago = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::nanoseconds(clock_.FileTimeNowNs() - stamp.changed_ns));
  }
  return facts;
}

TsrvCratemark::Taking TsrvCratemark::TakeJob(const std::string& source_dir,
                                             const std::string& job_name, const FileStamp& stamp,
                                             JobFacts facts) {
  const std::string job_path = source_dir + kSeparator + job_name;
  attempt_lines_.clear();
  const auto retry = retries_.find(job_path);
  // A retry's lines are logged only when it ends otherwise than last time.
  holding_lines_ = retry != retries_.end() && retry->second.stamp == stamp;
  Taking taking = Taking::kWaiting;
  try {
    taking = TakeHeldJob(source_dir, job_name, stamp, std::move(facts));
  } catch (const Error& error) {
    Failed(job_path, stamp, error.what());
  }
  taken_.reset();
  // Not the same failure as last time (which dropped them): news.
  FlushHeldLines();
  return taking;
}

TsrvCratemark::Taking TsrvCratemark::TakeHeldJob(const std::string& source_dir,
                                                 const std::string& job_name,
                                                 const FileStamp& stamp, JobFacts facts) {
  const std::string job_path = source_dir + kSeparator + job_name;
  try {
    taken_ = fs_.TakeJobIn(source_dir, job_name, kMaxJobBytes);
  } catch (const Error& error) {
    switch (error.kind()) {
      case ErrorKind::kSharingViolation:
        return Taking::kWaiting;  // its writer still has it (share modes): taken once it is done
      case ErrorKind::kTooLarge:
        // Swapped for something else since it was listed: pass it over like that.
        PassOver(job_path, fs_.StampOfFileIn(source_dir, job_name),
                 SkippedLine(job_path, TooLarge()));
        return Taking::kWaiting;
      case ErrorKind::kNotAFile:
        PassOver(job_path, fs_.StampOfFileIn(source_dir, job_name),
                 SkippedLine(job_path, "not a regular file"));
        return Taking::kWaiting;
      default:
        WriteLog("-> Loading from " + job_path);
        throw;
    }
  }
  const FileStamp& read = taken_->stamp();
  // Changed since it was listed: it settles again first.
  if (read.size != stamp.size || read.modified_ns != stamp.modified_ns) return Taking::kWaiting;
  job_lines_ = OrderJobLines(taken_->bytes());
  facts.lease = taken_->lease();
  facts.follows_layout = FollowsBlockLayout(job_lines_);
  const JobStep step = DecideJob(facts, job_times_);
  if (step == JobStep::kWait) return Taking::kWaiting;

  WriteLog("-> Loading from " + job_path);
  if (step == JobStep::kSetAside) {
    KeepUnprintedJob(job_name);
    return Taking::kHandled;
  }
  try {
    ComposeLabels(job_name);
  } catch (const Error& error) {
    if (error.kind() != ErrorKind::kTooLarge) throw;
    PassOver(job_path, stamp, SkippedLine(job_path, "its labels would be too large"));
    return Taking::kHandled;
  }
  bool printed = false;
  if (halted_) {
    // The design could not be read: the order waits for the next start.
    WriteLog("# Failed to print...");
    AlertOnStatus();
    return Taking::kHandled;
  }
  if (const auto failure = Deliver(job_name, &printed)) {
    WriteLog("# Failed to print...");
    Failed(job_path, stamp, *failure);
    return Taking::kWaiting;
  }
  retries_.erase(job_path);
  if (!printed) WriteLog("# Failed to print...");
  return Taking::kHandled;
}

void TsrvCratemark::KeepUnprintedJob(const std::string& job_name) {
  WriteLog("## WARNING: Label Setup in Tolvan does not seem to be compatible with Cratemark ##");
  const KeptJob kept =
      KeepUnprinted(fs_, program_dir_, job_name, taken_->bytes(), clock_.FileTimeNowNs());
  for (const std::string& removed : kept.removed) {
    WriteLog("## Removed " + removed + " (Unprinted keeps " + std::to_string(kUnprintedMaxJobs) +
             " orders and 7 days)");
  }
  WriteLog(std::string(kNotPrintedLogMark) + kept.path);
  RaiseAlert(AlertKind::kUnprinted,
             "An order of another layout was not printed; it is kept as " + kept.path);
  WriteLog("-- Deleting " + SourceJobPath(job_name));
  DeleteSourceJob(job_name);
  retries_.erase(SourceJobPath(job_name));
}

void TsrvCratemark::Failed(const std::string& job_path, const FileStamp& stamp,
                           const std::string& failure) {
  // Waiting undelivered too long: no printer prints.
  std::erase_if(undelivered_since_,
                [&](const auto& item) { return !retries_.contains(item.first); });
  const auto since = undelivered_since_.try_emplace(job_path, clock_.Now()).first->second;
  if (clock_.Now() - since >= kOrderWaitAlertTime) {
    RaiseAlert(
        AlertKind::kStopped,
        "The order " + job_path + " has waited undelivered for " +
            std::to_string(
                std::chrono::duration_cast<std::chrono::seconds>(clock_.Now() - since).count()) +
            " s: " + failure);
  }
  Retry& retry = retries_[job_path];
  if (!(retry.stamp == stamp)) {
    retry = Retry();  // a changed job starts afresh
    retry.stamp = stamp;
  }
  if (!Postpone(retry, failure)) return;
  WriteLog("# " + job_path + " stays in its folder and is tried again: " + failure);
  report_error_(EventKind::kServiceFailed,
                "The order \"" + job_path + "\" could not be printed: " + failure);
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

void TsrvCratemark::tblLockSPLAfterOpen(LockTable& table) {
  const bool taken = table.FLock();
  if (&table == tblLockSPL_.get()) source_lock_taken_ = taken;
}

bool TsrvCratemark::Reload() {
  // A retry's lines are logged only when it ends otherwise than last time.
  attempt_lines_.clear();
  holding_lines_ = reload_retry_.has_value();
  std::string failure;
  try {
    ConfigureService();
    if (settings_unreadable_ && !settings_known_) {
      SettingsUnreadable();
      return false;
    }
    if (settings_unreadable_) failure = settings_failure_;
  } catch (const Error& error) {
    failure = error.what();
    // Where the status file itself is the failure this cannot be written.
    try {
      WriteStatus(kStatusReloadFailed);
    } catch (const Error&) {
    }
  }
  if (failure.empty()) {
    FlushHeldLines();
    reload_retry_.reset();
    AlertOnStatus();
    return true;
  }
  ReloadLater(failure);
  AlertOnStatus();
  return false;
}

bool TsrvCratemark::Postpone(Retry& retry, const std::string& failure) {
  const bool news = retry.failure != failure;
  retry.Postpone(clock_.Now());
  retry.failure = failure;
  if (!news) {
    holding_lines_ = false;  // the same failure again: nothing new to say
    return false;
  }
  FlushHeldLines();
  return true;
}

void TsrvCratemark::ReloadLater(const std::string& failure) {
  halted_ = true;
  Retry& retry = reload_retry_ ? *reload_retry_ : reload_retry_.emplace();
  if (!Postpone(retry, failure)) return;
  WriteLog("# The service takes no job: " + failure + " It tries again within " +
           std::to_string(kMaxRetryPause.count()) + " s.");
  report_error_(EventKind::kHalted, "The service takes no job: " + failure);
}

void TsrvCratemark::SettingsUnreadable() {
  if (settings_known_) return ReloadLater(settings_failure_);
  // Never read in this run: what was written back are the defaults, which
  // may not be this site's printers. The service waits for the console's
  // Save & Activate rather than take jobs on a guess.
  FlushHeldLines();
  reload_retry_.reset();
  halted_ = true;
  const std::string why = settings_failure_ + " Check the printers and press Save & Activate.";
  if (why != settings_told_) {
    WriteLog("# The service takes no job: " + why);
    report_error_(EventKind::kHalted, "The service takes no job: " + why);
    settings_told_ = why;
  }
}

void TsrvCratemark::FlushHeldLines() {
  if (holding_lines_) {
    holding_lines_ = false;
    for (const std::string& line : attempt_lines_) AppendLog(line);
  }
}

void TsrvCratemark::ConfigureService() {
  halted_ = false;
  settings_unreadable_ = false;
  waiting_for_source_lock_ = false;
  WriteStatus(kStatusOk);

  // Read only to find out whether it can be; each job reads it afresh.
  try {
    ReadLabelDesign(fs_, program_dir_);
  } catch (const Error&) {
    WriteStatus(kStatusDesignUnreadable);
  }

  LoadSettings();

  WriteLog("! Starting service...");
  // Folders whose locks stay on this machine, and what they are on.
  std::vector<std::string> local_locks;
  std::string local_locks_type;
  const auto note = [&](const std::string& setting, const std::string& folder, bool source) {
    const Volume volume = NoteVolume(setting, folder, source);
    if (volume.local_locks) {
      local_locks.push_back(setting);
      local_locks_type = volume.type;
    }
  };
  const std::string source_dir = program_dir_ + settings_.spl_dir_source;
  WriteLog("! Source Spool Directory is: \"" + source_dir + "\"");
  const bool has_source = fs_.DirectoryExists(source_dir);
  if (has_source) {
    note(settings_.spl_dir_source, source_dir, true);
  } else {
    WriteLog(kDirectoryNotFound);
  }

  const std::string dest_dir = program_dir_ + settings_.spl_dir_dest;
  WriteLog("! Destination Spool Directory is: \"" + dest_dir + "\"");
  const bool has_dest = fs_.DirectoryExists(dest_dir);
  if (has_dest) {
    note(settings_.spl_dir_dest, dest_dir, false);
  } else {
    WriteLog(kDirectoryNotFound);
  }

  const std::string backup_dir = program_dir_ + settings_.spl_dir_backup;
  WriteLog("! Backup Spool Directory is: \"" + backup_dir + "\"");
  const bool has_backup = fs_.DirectoryExists(backup_dir);
  if (!has_backup) {
    WriteLog(kDirectoryNotFound);
    WriteStatus(kStatusBackupDirMissing);
  } else {
    note(settings_.spl_dir_backup, backup_dir, false);
    if (fs_.SameFolder(backup_dir, source_dir)) {
      // By any spelling (dots, "..", links): labels written there would
      // replace the order's own job file, which is then deleted: the order
      // would be lost. Not a label printer, so halt.
      WriteStatus(kStatusBackupDirMissing);
    }
  }
  WarnOfLocalLocks(local_locks, local_locks_type);
  // Only the printers' folders of now are remembered, however often they change.
  std::erase_if(volume_lines_, [&](const auto& told) {
    return told.first != source_dir && told.first != dest_dir && told.first != backup_dir;
  });

  OpenSourceLockTable(source_dir);
  if (!has_dest || fs_.SameFolder(dest_dir, source_dir)) WriteStatus(kStatusDestDirMissing);

  // Half-written files of a run that was killed while writing; a live
  // program's are left alone.
  for (const std::string& folder : {program_dir_, source_dir, dest_dir, backup_dir}) {
    fs_.RemoveAbandonedTemporaries(folder);
  }
}

Volume TsrvCratemark::NoteVolume(const std::string& setting, const std::string& folder,
                                 bool source) {
  const Volume volume = fs_.VolumeOf(folder);
  const JobRule rule = JobRuleFor(volume.kind, LocalJobRule());
  if (source) source_rule_ = rule;
  const std::string line = JobRuleLine(setting, volume, source, rule, job_times_.quiet);
  std::string& told = volume_lines_[folder];
  if (line != told) {
    WriteLog(line);
    told = line;
  }
  return volume;
}

void TsrvCratemark::WarnOfLocalLocks(const std::vector<std::string>& settings,
                                     const std::string& type) {
  std::string names;
  for (std::size_t i = 0; i < settings.size(); ++i) {
    names += (i == 0 ? "" : (i + 1 == settings.size() ? " and " : ", ")) + settings[i];
  }
  const std::string warning =
      names.empty() ? std::string()
                    : "Locks taken on " + names + " (" + type +
                          ") stay on this machine and never reach the host, so the "
                          "spooler checks cannot be trusted there; mount the share with "
                          "the kernel's SMB client (cifs)";
  if (warning == local_locks_told_) return;
  local_locks_told_ = warning;
  if (warning.empty()) return;
  WriteLog("## WARNING: " + warning);
  report_error_(EventKind::kServiceFailed, warning);
}

void TsrvCratemark::LoadSettings() {
  try {
    settings_ = ReadSettingsFile(fs_, program_dir_);
    settings_known_ = true;
    settings_told_.clear();
  } catch (const Error& error) {
    // Unreadable: keep the current values and write them back for the user;
    // the service says so and reads them again after a pause.
    settings_unreadable_ = true;
    settings_failure_ = std::string(error.what()) + " The settings in use were written back.";
    WriteStatus(kStatusSettingsUnreadable);
    WriteSettingsFile(fs_, program_dir_, settings_);
  }
}

void TsrvCratemark::OpenSourceLockTable(const std::string& source_dir) {
  // The lock must follow the source printer: a table still open on another
  // directory is closed first, releasing the old printer's lock.
  if (tblLockSPL_->DatabaseName() != source_dir) {
    tblLockSPL_->Close();
    tblLockSPL_->SetDatabaseName(source_dir);
  }
  if (!fs_.DirectoryExists(source_dir)) {
    WriteStatus(kStatusSourceDirMissing);
    return;
  }
  if (tblLockSPL_->Active()) {
    // Held since an earlier run, or still waited for.
    if (!source_lock_taken_) source_lock_taken_ = tblLockSPL_->FLock();
  } else {
    source_lock_taken_ = false;
    bool opened = true;
    try {
      tblLockSPL_->Open();
    } catch (const std::exception&) {
      opened = false;
    }
    if (!opened) {
      tblLockSPL_->CreateTable();  // its failure ends the run
      try {
        tblLockSPL_->Open();
      } catch (const std::exception&) {
        WriteStatus(kStatusSourceLockTableFailed);
        return;
      }
    }
  }
  // The lock is the licence to take the printer's jobs: while Tolvan's
  // spooler (or another site's service) holds it, both would print them.
  if (!source_lock_taken_) {
    const std::string line = "## Tolvan's spooler still serves " + settings_.spl_dir_source +
                             ": no job is taken until its lock on " + source_dir +
                             " is free (tried every few seconds)";
    WriteLog(line);
    report_error_(EventKind::kHalted, line.substr(3));
    WriteStatus(kStatusSourceServedElsewhere);
    waiting_for_source_lock_ = true;
    next_lock_try_ = clock_.Now() + kSourceLockRetry;
  }
}

void TsrvCratemark::ComposeLabels(const std::string& job_name) {
  label_lines_.clear();
  EscapeQuotes(job_lines_);
  if (!FollowsBlockLayout(job_lines_)) {
    WriteLog("## WARNING: Label Setup in Tolvan does not seem to be compatible with Cratemark ##");
    return;
  }
  label_lines_ = ComposeJob(job_name, {}, [this] { WriteStatus(kStatusDesignUnreadable); });
}

Lines TsrvCratemark::ComposeJob(const std::string& job_name, std::string_view backup_for,
                                const std::function<void()>& design_unreadable) {
  const LabelCaptions captions{settings_.labels_text, settings_.time_text, settings_.map_text,
                               settings_.total_text};
  return ComposeBlocks(
      job_lines_, captions,
      [&]() -> std::optional<Lines> {
        try {
          return ReadLabelDesign(fs_, program_dir_).lines;
        } catch (const Error&) {
          design_unreadable();
          return std::nullopt;
        }
      },
      job_name, backup_for);
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
  bool printed = false;
  return !Deliver(job_name, &printed) && printed;
}

std::optional<std::string> TsrvCratemark::Deliver(const std::string& job_name, bool* printed) {
  const DeliveryNames names{settings_.spl_dir_dest, settings_.spl_dir_backup,
                            program_dir_ + settings_.spl_dir_dest,
                            program_dir_ + settings_.spl_dir_backup, SourceJobPath(job_name)};
  const std::string marker = kSeparator + std::string(kSpoolerMarkerFileName);
  DeliveryFacts facts;
  for (;;) {
    DeliveryStep step = PlanDelivery(facts, names);
    for (const std::string& line : step.log) WriteLog(line);
    switch (step.action) {
      case DeliveryAction::kCheckDestination:
        facts.destination_down =
            CheckLockTaken(names.destination_dir) || fs_.FileExists(names.destination_dir + marker);
        break;
      case DeliveryAction::kCheckBackup:
        // The same verdict as for the destination: down only when nobody
        // holds the lock; a backup whose spooler holds its lock is used.
        if (CheckLockTaken(names.backup_dir)) {
          facts.backup = BackupState::kDown;
        } else {
          facts.backup = fs_.FileExists(names.backup_dir + marker) ? BackupState::kProblem
                                                                   : BackupState::kUsable;
        }
        break;
      case DeliveryAction::kWriteDestination:
        facts.destination = WriteLabelFile(names.destination_dir, job_name);
        break;
      case DeliveryAction::kWriteBackup:
        MarkBackupLabels(job_name);
        facts.backup_write = WriteLabelFile(names.backup_dir, job_name);
        break;
      case DeliveryAction::kDelete:
        *printed = step.printed;
        DeleteSourceJob(job_name);
        if (taken_) {
          // Kept for the console's History page and its reprints; a copy
          // that fails is logged once and the order goes on.
          const bool backup = facts.backup_write && facts.backup_write->written;
          const PrintedRecord record{
              clock_.FileTimeNowNs(), job_name,
              backup ? PrintedWhere::kBackup
                     : (step.printed ? PrintedWhere::kPrinter : PrintedWhere::kWaiting),
              backup ? settings_.spl_dir_backup : settings_.spl_dir_dest};
          if (const auto failure = printed_.Keep(record, taken_->bytes())) WriteLog(*failure);
        }
        if (facts.backup_write && facts.backup_write->written) {
          RaiseAlert(AlertKind::kBackup,
                     "Labels for " + settings_.spl_dir_dest + " print on the backup printer " +
                         settings_.spl_dir_backup + ": " + settings_.spl_dir_dest + " is down");
        } else if (step.printed) {
          Tell(alerts_.Clear({AlertKind::kBackup, AlertKind::kStopped}, status_,
                             "Labels print on " + settings_.spl_dir_dest + " again"));
        } else {
          RaiseAlert(AlertKind::kStopped, "No printer prints: the labels of " + job_name +
                                              " wait in " + names.destination_dir + " until " +
                                              settings_.spl_dir_dest + " serves again");
        }
        return std::nullopt;
      case DeliveryAction::kKeep: {
        std::string why = "its labels could not be written";
        if (facts.destination && !facts.destination->written) why = facts.destination->error;
        return why;
      }
    }
  }
}

WriteOutcome TsrvCratemark::WriteLabelFile(const std::string& folder, const std::string& job_name) {
  // Whole, then named, then the name made durable: a spooler never prints
  // half a label, no waiting label is replaced, and the order is deleted
  // only once its labels would survive a power cut.
  try {
    const std::string written = fs_.WriteNewFileIn(
        folder, job_name, EncodeText(JoinLines(label_lines_), TextEncoding::kAnsi));
    WriteLog("++ Sending to " + folder + kSeparator + written);
    SyncFolder(folder);
    return {true, {}};
  } catch (const Error& error) {
    return {false, error.what()};
  }
}

void TsrvCratemark::SyncFolder(const std::string& folder) {
  try {
    fs_.SyncFolder(folder);
  } catch (const Error& error) {
    if (error.kind() != ErrorKind::kUnsupported) throw;
    if (unsyncable_.insert(folder).second) {
      WriteLog("! " + folder + " cannot be synced (" + error.what() + "); delivery goes on");
    }
  }
}

void TsrvCratemark::DeleteSourceJob(const std::string& job_name) {
  const std::string& source_dir = tblLockSPL_->DatabaseName();
  JobDeletion deletion = JobDeletion::kFailed;
  if (taken_) {
    deletion = taken_->DeleteIfUnchanged();
  } else if (fs_.DeleteFileIn(source_dir, job_name)) {
    deletion = JobDeletion::kDeleted;
  }
  switch (deletion) {
    case JobDeletion::kDeleted:
      SyncFolder(source_dir);
      return;
    case JobDeletion::kChanged:
      // Written to since it was read: it stays, and is read and printed
      // again whole. Twice rather than never.
      WriteLog("# " + SourceJobPath(job_name) + " changed while it was printed; it is read again");
      return;
    case JobDeletion::kFailed:
      break;
  }
  const FileStamp stamp = fs_.StampOfFileIn(source_dir, job_name);
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
  status_ = code;
  WriteStatusFile(fs_, program_dir_, code);
}

void TsrvCratemark::WriteLog(const std::string& message) {
  // Names from the spool folder may hold line breaks; shown as "?" so that
  // no name can forge a line of its own.
  std::string shown = message;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  attempt_lines_.push_back(shown);
  if (!holding_lines_) AppendLog(shown);
}

void TsrvCratemark::AppendLog(const std::string& line) {
  // A log that cannot be written never stops an order: the line waits in
  // the log and goes in with the next one that can be written.
  try {
    log_.Write(line);
    log_failing_ = false;
  } catch (const Error& error) {
    if (!log_failing_) report_error_(EventKind::kServiceFailed, error.what());
    log_failing_ = true;
  }
}

void TsrvCratemark::MarkBackupLabels(const std::string& job_name) {
  bool design_read = true;
  try {
    Lines marked = ComposeJob(job_name, settings_.spl_dir_dest, [&] { design_read = false; });
    if (design_read) label_lines_ = std::move(marked);
  } catch (const Error&) {
    // Too large with the mark: the labels go as they are.
  }
}

void TsrvCratemark::RaiseAlert(AlertKind kind, const std::string& message) {
  Tell(alerts_.Raise(kind, status_, message, clock_.Now()));
}

void TsrvCratemark::AlertOnStatus() {
  if (status_ == kStatusOk) {
    Tell(alerts_.Clear({AlertKind::kHalted}, status_, "The service takes jobs again"));
    return;
  }
  const std::string meaning = StatusMessage(status_, settings_.spl_dir_source,
                                            settings_.spl_dir_dest, settings_.spl_dir_backup);
  RaiseAlert(AlertKind::kHalted,
             "The service takes no job (status " + std::to_string(status_) + "): " + meaning);
}

void TsrvCratemark::Tell(std::optional<cratemark::Alert> alert, bool to_log) {
  if (!alert) return;
  const std::vector<std::string> args =
      AlertArguments(*alert, program_dir_ + settings_.spl_dir_source);
  if (to_log) WriteLog(AlertLogMessage(args[0], args[3]));
  report_error_(EventKind::kAlert, args[0] + ": " + args[3]);
  if (alert_runner_) alert_runner_->Start(args);
}

void TsrvCratemark::CollectAlertResults(const std::vector<AlertCommandResult>& results) {
  for (const AlertCommandResult& result : results) {
    if (result.succeeded) {
      alert_failure_told_.clear();
      continue;
    }
    // The same failure every time (a command that is not there) is told once.
    if (result.description == alert_failure_told_) continue;
    alert_failure_told_ = result.description;
    WriteLog("# The alert command failed: " + result.description);
    report_error_(EventKind::kServiceFailed, "The alert command failed: " + result.description);
  }
}

}  // namespace cratemark
