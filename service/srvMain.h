// The label service module: polls the source printer's spool folder once a
// second, turns each order job into box labels and hands them to the label
// printer's (or the backup printer's) spool folder. Reports through the
// activity log "Cratemark.txt" and the status file "Cratemark.err".
//
// Not thread-safe: the service host runs every handler on one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/alert_command.h"
#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/folder_claim.h"
#include "platform/service_host.h"
#include "platform/text_file.h"
#include "service/alert_events.h"
#include "service/delivery_plan.h"
#include "service/job_rule.h"
#include "service/job_settle.h"
#include "service/lock_table.h"
#include "shared/activity_log.h"
#include "shared/printed_folder.h"
#include "shared/settings_file.h"
#include "shared/status_file.h"

namespace cratemark {

// How long a job must stay unchanged before it is taken where nothing tells
// of its writers (a share, or no lease), and before a job of another layout
// is moved aside: longer than a host's stall between two sittings of one job.
inline constexpr std::chrono::seconds kJobQuietTime{5};

// The longest pause before a job that could not be delivered, or a reload
// that failed, is tried again.
inline constexpr std::chrono::seconds kMaxRetryPause{60};

// How often the source printer's lock is tried while another holds it.
inline constexpr std::chrono::seconds kSourceLockRetry{3};

// The file in the program folder whose lock says which service serves it.
inline constexpr std::string_view kServiceLockFileName = "Cratemark.lock";

// What the service runs on; tests replace each.
struct ServiceOptions {
  FileSystem* fs = nullptr;  // the machine's when null
  std::chrono::milliseconds settle_time = JobSettleTime();
  std::chrono::milliseconds quiet_time = kJobQuietTime;
  const SettleClock* clock = nullptr;  // the system's when null
  // Where failures the service handles itself are reported (the event log
  // or the journal); ReportError with the program's name when empty.
  std::function<void(EventKind, const std::string&)> report_error;
  std::uint64_t log_max_bytes = kActivityLogMaxBytes;
  // The start-up check: one warning per program file that everyday users
  // may replace (CheckProgramFiles); no check when empty.
  std::function<std::vector<std::string>()> check_program_files;
  // Runs the administrator's alert command; none is run when null.
  std::shared_ptr<AlertCommandRunner> alert_runner;
};

class TsrvCratemark : public ServiceModule {
 public:
  // `program_dir` ends with a separator; every path is formed onto it. The
  // constructor is ServiceCreate, the destructor ServiceDestroy.
  TsrvCratemark(std::string program_dir, std::unique_ptr<LockTable> tblLockSPL,
                std::unique_ptr<LockTable> tblLockSPLCheck, ServiceOptions options = {});
  ~TsrvCratemark() override;

  void ServiceStart() override;  // start and continue
  void ServiceStop() override;   // stop and pause
  void TimerTimer() override;    // one poll tick
  bool PollTimerEnabled() const override { return timer_enabled_; }

  void tblLockSPLAfterOpen(LockTable& table);
  void ConfigureService();
  // `job_name` tells a reprint ("Reprint-...") from a first print.
  void ComposeLabels(const std::string& job_name = {});
  // The job's labels from the design read now, "<Backup>" naming
  // `backup_for` when it is not empty; `design_unreadable` is called for each
  // block whose design cannot be read.
  Lines ComposeJob(const std::string& job_name, std::string_view backup_for,
                   const std::function<void()>& design_unreadable);
  bool DeliverLabels(const std::string& job_name);
  void WriteStatus(std::int16_t code);
  // Never throws: a line that cannot be written now goes in with the next.
  void WriteLog(const std::string& message);

  bool Halted() const { return halted_; }
  const Lines& JobLines() const { return job_lines_; }
  const Lines& LabelLines() const { return label_lines_; }
  void SetJobLines(Lines lines) { job_lines_ = std::move(lines); }

 private:
  // A job of the source folder: taken, waiting (being written, or paused
  // after a failure), and then the tick goes on to the next.
  enum class Taking { kHandled, kWaiting };
  // Something that failed, tried again after `pause` (a job, unless it
  // changes; the start-up configuration).
  struct Retry {
    FileStamp stamp;
    std::chrono::steady_clock::time_point next;
    std::chrono::seconds pause{0};
    std::string failure;  // what went wrong last time; logged once
    // The next try: after 1, 2, 4, ... seconds, then a minute at the most.
    void Postpone(std::chrono::steady_clock::time_point now) {
      pause = std::min<std::chrono::seconds>(
          kMaxRetryPause, pause.count() == 0 ? std::chrono::seconds(1) : pause * 2);
      next = now + pause;
    }
  };

  void AppendLog(const std::string& line);
  // ConfigureService, with a failure kept for a retry after a growing pause
  // and logged once as long as it stays the same; true when it went through.
  bool Reload();
  // The next try of `retry` after its pause; true when `failure` is news
  // (the attempt's held lines are then logged, else dropped).
  bool Postpone(Retry& retry, const std::string& failure);
  // Halts until a reload after a growing pause; says why once per failure.
  void ReloadLater(const std::string& failure);
  // The settings could not be read: retried when the values in use are the
  // site's, else the service waits for the console.
  void SettingsUnreadable();
  // Logs what the current retry held back.
  void FlushHeldLines();
  void LoadSettings();
  // Warns in the log and the event log when everyday users may replace the
  // programs; the service runs on, so that no site stops printing over it.
  void WarnOfReplaceablePrograms();
  void OpenSourceLockTable(const std::string& source_dir);
  // Points the check table at `directory`, opens it and tries its lock;
  // true when the lock could be taken (no spooler serves the printer). The
  // table is closed again before returning.
  bool CheckLockTaken(const std::string& directory);
  // Reads, composes and delivers the job `job_name` of `source_dir`, listed
  // with `stamp`.
  Taking TakeJob(const std::string& source_dir, const std::string& job_name, const FileStamp& stamp,
                 JobFacts facts);
  Taking TakeHeldJob(const std::string& source_dir, const std::string& job_name,
                     const FileStamp& stamp, JobFacts facts);
  // What the job rule knows of a job before it is opened.
  JobFacts FactsOf(const std::string& job_path, const FileStamp& stamp);
  // Logs what `folder` (the printer `setting`) is on and what that means,
  // at a start and when it changed, and chooses the job rule by the source
  // folder's; returns the volume.
  Volume NoteVolume(const std::string& setting, const std::string& folder, bool source);
  // Warns once per change where locks do not reach the host.
  void WarnOfLocalLocks(const std::vector<std::string>& settings, const std::string& type);
  // Moves a job of another layout, bytes unchanged, into "Unprinted".
  void KeepUnprintedJob(const std::string& job_name);
  // Carries out the delivery plan; empty when the order was delivered (or
  // sent back), else why it stays.
  std::optional<std::string> Deliver(const std::string& job_name, bool* printed);
  WriteOutcome WriteLabelFile(const std::string& folder, const std::string& job_name);
  // SyncFolder, where the file system refuses (a FAT volume) logged once
  // and taken as done. Throws Error on any other failure.
  void SyncFolder(const std::string& folder);
  // Remembers a failure of the job for its retry, and reports it where it
  // differs from the last one.
  void Failed(const std::string& job_path, const FileStamp& stamp, const std::string& failure);
  // Leaves the entry in the folder until it changes, with one log line.
  void PassOver(const std::string& job_path, const FileStamp& stamp, const std::string& line);
  // "## Skipped <job_path> (<why>)", the line of an entry passed over.
  static std::string SkippedLine(const std::string& job_path, std::string_view why);
  static std::string TooLarge();  // why a job over kMaxJobBytes is passed over
  // Deletes the delivered job, if it is unchanged; one that cannot be
  // deleted is passed over from then on.
  void DeleteSourceJob(const std::string& job_name);
  std::string SourceJobPath(const std::string& job_name) const;
  // Writes `job_name`'s labels again with "<Backup>" filled. A design that
  // cannot be read now leaves them as they are: unmarked labels, not none.
  void MarkBackupLabels(const std::string& job_name);
  // An alert: one log line (unless `to_log` is false), one event entry,
  // and the alert command.
  void Tell(std::optional<Alert> alert, bool to_log = true);
  void RaiseAlert(AlertKind kind, const std::string& message);
  // The halted alert for a non-zero status, cleared by status 0.
  void AlertOnStatus();
  // How the alert command's runs ended; a failure is told once.
  void CollectAlertResults(const std::vector<AlertCommandResult>& results);

  std::string program_dir_;
  FileSystem& fs_;
  const SettleClock& clock_;
  JobTimes job_times_;
  JobRule source_rule_ = LocalJobRule();  // chosen by the source folder's volume
  std::function<void(EventKind, const std::string&)> report_error_;
  std::function<std::vector<std::string>()> check_program_files_;
  bool program_files_checked_ = false;  // once per start of the process
  Settings settings_;
  bool halted_ = false;
  bool timer_enabled_ = false;
  Lines job_lines_;
  Lines label_lines_;
  ActivityLog log_;        // the log file; its lines live only there
  PrintedFolder printed_;  // what was delivered, for the console's History page
  std::unique_ptr<LockTable> tblLockSPL_;
  std::unique_ptr<LockTable> tblLockSPLCheck_;
  JobSettleWatch job_settle_;
  std::map<std::string, std::string> volume_lines_;  // by folder: what the log last said
  std::string local_locks_told_;                     // the last warning of local locks
  // Entries of the source folder left in place (not a job, too large, or
  // delivered but not deletable), with the stamp they had then.
  std::map<std::string, FileStamp> passed_over_;
  std::map<std::string, Retry> retries_;  // jobs that failed, by path
  std::unique_ptr<TakenJob> taken_;       // the job being delivered
  Lines attempt_lines_;                   // what the current attempt logged
  bool holding_lines_ = false;            // a retry: its lines wait to be seen as new
  std::set<std::string> unsyncable_;      // folders whose sync the file system refuses
  bool log_failing_ = false;              // the activity log cannot be written
  std::unique_ptr<FolderClaim> claim_;    // this service serves the program folder
  std::optional<Retry> reload_retry_;     // the start-up configuration, again after a pause
  bool settings_unreadable_ = false;      // the last configuration could not read them
  std::string settings_failure_;
  bool settings_known_ = false;     // read once in this run
  std::string settings_told_;       // the failure last logged for unreadable settings
  bool source_lock_taken_ = false;  // the source printer's lock is ours
  bool waiting_for_source_lock_ = false;
  std::chrono::steady_clock::time_point next_lock_try_;
  std::int16_t status_ = kStatusOk;  // the code last written
  AlertEvents alerts_;
  std::shared_ptr<AlertCommandRunner> alert_runner_;
  std::string alert_failure_told_;  // the command's failure last logged
  // Jobs that failed to be delivered, since when.
  std::map<std::string, std::chrono::steady_clock::time_point> undelivered_since_;
};

}  // namespace cratemark
