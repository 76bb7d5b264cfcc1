#include "service/job_rule.h"

namespace cratemark {
namespace {

using std::chrono::milliseconds;

// Looks come with the one-second tick, which may wake a little early or
// late: a look this close to a time counts as reaching it, so a job is not
// held a whole tick longer for a few milliseconds.
constexpr milliseconds kLookSlack{100};

bool UnchangedFor(const JobFacts& facts, milliseconds time) {
  return time.count() <= 0 || facts.unchanged_for + kLookSlack >= time;
}

}  // namespace

JobRule JobRuleFor(VolumeKind kind, JobRule local_rule) {
  // A file server keeps share modes as a local disk does.
  if (local_rule == JobRule::kShareMode) return JobRule::kShareMode;
  return kind == VolumeKind::kLocalDisk ? local_rule : JobRule::kQuiet;
}

JobStep DecideJob(const JobFacts& facts, const JobTimes& times) {
  const bool quiet = UnchangedFor(facts, times.quiet);
  if (facts.rule == JobRule::kQuiet) {
    // Whatever a lease says here: EAGAIN may be only the server's oplocks
    // turned off, and a lease granted through FUSE never hears of writers
    // on the server. The file's times are the server's clock's.
    if (!quiet) return JobStep::kWait;
  } else {
    // The kernel stamped the change time by this machine's own clock; one
    // from the future (the clock was set back) says nothing.
    const bool settled = UnchangedFor(facts, times.settle) ||
                         (facts.rule == JobRule::kLease && facts.changed_ago &&
                          facts.changed_ago->count() >= 0 && *facts.changed_ago >= times.settle);
    if (!settled) return JobStep::kWait;
  }
  if (!facts.lease) return JobStep::kOpen;
  // Where the platform sees writers, one that has the job open keeps it.
  if (facts.rule != JobRule::kQuiet && *facts.lease == LeaseAnswer::kWriterOpen) {
    return JobStep::kWait;
  }
  if (facts.rule == JobRule::kLease) {
    // No lease for us (no CAP_LEASE): as on a share, only quiet tells.
    if (*facts.lease == LeaseAnswer::kRefused && !quiet) return JobStep::kWait;
  }
  if (facts.follows_layout && !*facts.follows_layout) {
    // Perhaps only the first sitting of a job: kept aside once a host still
    // writing it would have written more.
    return quiet ? JobStep::kSetAside : JobStep::kWait;
  }
  return JobStep::kPrint;
}

std::string JobRuleLine(const std::string& setting, const Volume& volume, bool source, JobRule rule,
                        milliseconds quiet) {
  std::string line = "! " + setting + " is on " + std::string(KindName(volume.kind));
  if (!volume.type.empty()) line += " (" + volume.type + ")";
  line += ": ";
  if (!source) {
    return line + (volume.local_locks ? "its spooler cannot be seen from here"
                                      : "its spooler is seen through its lock table");
  }
  switch (rule) {
    case JobRule::kLease:
    case JobRule::kShareMode:
      line += "a job is taken once no program has it open for writing";
      if (volume.kind == VolumeKind::kNetwork) line += " (the file server keeps share modes)";
      return line;
    case JobRule::kQuiet:
      break;
  }
  const auto tenths = (quiet.count() + 50) / 100;
  std::string seconds = std::to_string(tenths / 10);
  if (tenths % 10) {
    seconds += '.';
    seconds += std::to_string(tenths % 10);
  }
  return line + "a job is taken after " + seconds + " s without change";
}

}  // namespace cratemark
