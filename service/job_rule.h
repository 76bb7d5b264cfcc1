// The job rule: whether a job found in the source folder is taken now, from
// what its folder's file system is, what the platform said of its writers and
// how long this machine has seen it unchanged. A pure function: the service
// looks, opens and reads as it says, one step after another, until it says
// print, set aside or wait.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/volume.h"

namespace cratemark {

enum class JobRule {
  // A local disk on Linux: a read lease is refused while a program has the
  // job open for writing, and broken when one opens it.
  kLease,
  // Windows, on a local disk or a file server (which keeps share modes too):
  // the job cannot be read while a program has it open for writing.
  kShareMode,
  // Anywhere else: nothing tells of writers, and a job is taken only once
  // this machine has seen it unchanged for the quiet time.
  kQuiet,
};

// The rule for a folder on `kind`, where the platform's rule for a local
// disk is `local_rule` (LocalJobRule()).
JobRule JobRuleFor(VolumeKind kind, JobRule local_rule);

// This platform's rule for a local disk: kLease on POSIX, kShareMode on
// Windows.
JobRule LocalJobRule();

struct JobTimes {
  std::chrono::milliseconds settle{0};  // a local job unchanged this long is complete
  std::chrono::milliseconds quiet{0};   // where nothing tells of writers
};

// What is known of one job so far.
struct JobFacts {
  JobRule rule = JobRule::kQuiet;
  // How long looks on this machine's monotonic clock have seen the same
  // size, times and identity.
  std::chrono::milliseconds unchanged_for{0};
  // On a local disk only: how long ago, by this machine's clock, the kernel
  // last stamped the file's change time. A file time from a share is
  // another machine's and never given.
  std::optional<std::chrono::milliseconds> changed_ago;
  std::optional<LeaseAnswer> lease;    // once opened and read
  std::optional<bool> follows_layout;  // once read: whole 100-line blocks
};

enum class JobStep {
  kWait,      // not now: looked at again on a later tick
  kOpen,      // open and read it, with the lease answer
  kPrint,     // compose and deliver its labels
  kSetAside,  // of another layout, and complete: keep it unprinted
};

JobStep DecideJob(const JobFacts& facts, const JobTimes& times);

// The log line that names the rule for the folder `setting` on `volume`, and
// for a destination or backup printer (`source` false) what its spooler
// check can trust; "! PreLabel is on a network file system (cifs): a job is
// taken after 5 s without change".
std::string JobRuleLine(const std::string& setting, const Volume& volume, bool source, JobRule rule,
                        std::chrono::milliseconds quiet);

}  // namespace cratemark
