// The label service module: polls the source printer's spool folder once a
// second, turns each order job into box labels and hands them to the label
// printer's (or the backup printer's) spool folder. Reports through the
// activity log "Cratemark.txt" and the status file "Cratemark.err".
//
// Not thread-safe: the service host runs every handler on one thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/service_host.h"
#include "platform/text_file.h"
#include "service/job_settle.h"
#include "service/lock_table.h"
#include "shared/activity_log.h"
#include "shared/settings_file.h"

namespace cratemark {

class TsrvCratemark : public ServiceModule {
 public:
  // `program_dir` ends with a separator; every path is formed onto it. The
  // constructor is ServiceCreate, the destructor ServiceDestroy.
  TsrvCratemark(std::string program_dir, std::unique_ptr<LockTable> tblLockSPL,
                std::unique_ptr<LockTable> tblLockSPLCheck,
                std::chrono::milliseconds job_settle_time = JobSettleTime());
  ~TsrvCratemark() override;

  void ServiceStart() override;  // start and continue
  void ServiceStop() override;   // stop and pause
  void TimerTimer() override;    // one poll tick
  bool PollTimerEnabled() const override { return timer_enabled_; }

  void tblLockSPLAfterOpen(LockTable& table);
  void ConfigureService();
  void ComposeLabels();
  bool DeliverLabels(const std::string& job_name);
  void WriteStatus(std::int16_t code);
  void WriteLog(const std::string& message);

  bool Halted() const { return halted_; }
  const Lines& JobLines() const { return job_lines_; }
  const Lines& LabelLines() const { return label_lines_; }
  void SetJobLines(Lines lines) { job_lines_ = std::move(lines); }

 private:
  void LoadSettings();
  void OpenSourceLockTable(const std::string& source_dir);
  // Points the check table at `directory`, opens it and tries its lock;
  // true when the lock could be taken (no spooler serves the printer). The
  // table is closed again before returning.
  bool CheckLockTaken(const std::string& directory);
  // Reads, composes and delivers the job `job_name` of `source_dir`, listed
  // with `stamp`.
  void TakeJob(const std::string& source_dir, const std::string& job_name, const FileStamp& stamp);
  // Leaves the entry in the folder until it changes, with one log line.
  void PassOver(const std::string& job_path, const FileStamp& stamp, const std::string& line);
  // "## Skipped <job_path> (<why>)", the line of an entry passed over.
  static std::string SkippedLine(const std::string& job_path, std::string_view why);
  static std::string TooLarge();  // why a job over kMaxJobBytes is passed over
  void WriteLabelFile(const std::string& folder, const std::string& job_name);
  // Deletes the delivered job; one that stays is passed over from then on.
  void DeleteSourceJob(const std::string& job_name);
  std::string SourceJobPath(const std::string& job_name) const;

  std::string program_dir_;
  Settings settings_;
  bool halted_ = false;
  bool timer_enabled_ = false;
  Lines job_lines_;
  Lines label_lines_;
  ActivityLog log_;  // the log file; its lines live only there
  std::unique_ptr<LockTable> tblLockSPL_;
  std::unique_ptr<LockTable> tblLockSPLCheck_;
  JobSettleWatch job_settle_;
  // Entries of the source folder left in place (not a job, too large, or
  // delivered but not deletable), with the stamp they had then.
  std::map<std::string, FileStamp> passed_over_;
};

}  // namespace cratemark
