#include "service/job_rule.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

using std::nullopt;
using std::chrono::milliseconds;

TEST(JobRule, TheFolderKindChoosesTheRule) {
  struct Case {
    VolumeKind kind;
    JobRule local_rule;
    JobRule rule;
  };
  const Case cases[] = {
      {VolumeKind::kLocalDisk, JobRule::kLease, JobRule::kLease},
      {VolumeKind::kNetwork, JobRule::kLease, JobRule::kQuiet},
      {VolumeKind::kUserSpace, JobRule::kLease, JobRule::kQuiet},
      {VolumeKind::kUnknown, JobRule::kLease, JobRule::kQuiet},
      // The file server keeps share modes for Windows clients.
      {VolumeKind::kLocalDisk, JobRule::kShareMode, JobRule::kShareMode},
      {VolumeKind::kNetwork, JobRule::kShareMode, JobRule::kShareMode},
      {VolumeKind::kUnknown, JobRule::kShareMode, JobRule::kShareMode},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JobRuleFor(c.kind, c.local_rule), c.rule)
        << static_cast<int>(c.kind) << " " << static_cast<int>(c.local_rule);
  }
}

TEST(JobRule, DecidesFromTheRuleTheLeaseAnswerAndTheLooks) {
  const JobTimes times{milliseconds(500), milliseconds(5000)};
  const auto ms = [](int n) { return milliseconds(n); };
  struct Case {
    const char* name;
    JobFacts facts;
    JobStep step;
  };
  const LeaseAnswer granted = LeaseAnswer::kGranted, writer = LeaseAnswer::kWriterOpen,
                    refused = LeaseAnswer::kRefused, share = LeaseAnswer::kShareMode;
  const JobRule lease = JobRule::kLease, quiet = JobRule::kQuiet, modes = JobRule::kShareMode;
  const Case cases[] = {
      // A local disk on Linux.
      {"local, first look", {lease, ms(0), nullopt, nullopt, nullopt}, JobStep::kWait},
      {"local, changed a second ago by this machine's clock",
       {lease, ms(0), ms(1000), nullopt, nullopt},
       JobStep::kOpen},
      {"local, a change time from the future says nothing",
       {lease, ms(0), ms(-3'600'000), nullopt, nullopt},
       JobStep::kWait},
      {"local, unchanged for a tick", {lease, ms(1000), nullopt, nullopt, nullopt}, JobStep::kOpen},
      {"local, lease granted", {lease, ms(1000), nullopt, granted, true}, JobStep::kPrint},
      {"local, EAGAIN: its writer has it",
       {lease, ms(60000), nullopt, writer, true},
       JobStep::kWait},
      {"local, leases refused: waits for quiet",
       {lease, ms(1000), nullopt, refused, true},
       JobStep::kWait},
      {"local, leases refused, quiet", {lease, ms(5000), nullopt, refused, true}, JobStep::kPrint},
      {"local, leases refused: the change time is no quiet",
       {lease, ms(1000), ms(3'600'000), refused, true},
       JobStep::kWait},
      {"local, another layout before quiet",
       {lease, ms(1000), nullopt, granted, false},
       JobStep::kWait},
      {"local, another layout, quiet",
       {lease, ms(5000), nullopt, granted, false},
       JobStep::kSetAside},
      // A share, FUSE or anything not on the list.
      {"share, first look", {quiet, ms(0), nullopt, nullopt, nullopt}, JobStep::kWait},
      {"share, a host's 2 s stall between two sittings",
       {quiet, ms(2000), nullopt, nullopt, nullopt},
       JobStep::kWait},
      {"share, a file time an hour old is no quiet",
       {quiet, ms(1000), ms(3'600'000), nullopt, nullopt},
       JobStep::kWait},
      {"share, quiet", {quiet, ms(5000), nullopt, nullopt, nullopt}, JobStep::kOpen},
      {"share, a tick a little early still counts",
       {quiet, ms(4950), nullopt, nullopt, nullopt},
       JobStep::kOpen},
      {"share, EAGAIN is not a writer", {quiet, ms(5000), nullopt, writer, true}, JobStep::kPrint},
      {"share, a granted lease is no guarantee",
       {quiet, ms(4000), nullopt, granted, true},
       JobStep::kWait},
      {"share, leases refused", {quiet, ms(5000), nullopt, refused, true}, JobStep::kPrint},
      {"share, another layout, quiet",
       {quiet, ms(5000), nullopt, writer, false},
       JobStep::kSetAside},
      // Windows.
      {"share modes, first look", {modes, ms(0), nullopt, nullopt, nullopt}, JobStep::kOpen},
      {"share modes, read", {modes, ms(0), nullopt, share, true}, JobStep::kPrint},
      {"share modes, a writer has it", {modes, ms(60000), nullopt, writer, true}, JobStep::kWait},
      {"share modes, another layout before quiet",
       {modes, ms(0), nullopt, share, false},
       JobStep::kWait},
  };
  for (const Case& c : cases) {
    // Windows has no settle time.
    const JobTimes used = c.facts.rule == modes ? JobTimes{ms(0), times.quiet} : times;
    EXPECT_EQ(DecideJob(c.facts, used), c.step) << c.name;
  }
}

TEST(JobRule, TheLogSaysWhichRuleIsInForce) {
  const milliseconds quiet(5000);
  struct Case {
    Volume volume;
    bool source;
    JobRule rule;
    const char* line;
  };
  const Case cases[] = {
      {{VolumeKind::kNetwork, "cifs", false},
       true,
       JobRule::kQuiet,
       "! PreLabel is on a network file system (cifs): a job is taken after 5 s without change"},
      {{VolumeKind::kLocalDisk, "ext4", false},
       true,
       JobRule::kLease,
       "! PreLabel is on a local disk (ext4): a job is taken once no program has it open for "
       "writing"},
      {{VolumeKind::kNetwork, "NTFS", false},
       true,
       JobRule::kShareMode,
       "! PreLabel is on a network file system (NTFS): a job is taken once no program has it "
       "open for writing (the file server keeps share modes)"},
      {{VolumeKind::kUserSpace, "fuse.sshfs", true},
       true,
       JobRule::kQuiet,
       "! PreLabel is on a FUSE file system (fuse.sshfs): a job is taken after 5 s without "
       "change"},
      {{VolumeKind::kUserSpace, "fuse", true},
       false,
       JobRule::kQuiet,
       "! PreLabel is on a FUSE file system (fuse): its spooler cannot be seen from here"},
      {{VolumeKind::kNetwork, "nfs4", false},
       false,
       JobRule::kQuiet,
       "! PreLabel is on a network file system (nfs4): its spooler is seen through its lock "
       "table"},
      {{VolumeKind::kUnknown, "", false},
       true,
       JobRule::kQuiet,
       "! PreLabel is on a file system not known to show writers: a job is taken after 5 s "
       "without change"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JobRuleLine("PreLabel", c.volume, c.source, c.rule, quiet), c.line);
  }
  EXPECT_EQ(JobRuleLine("P", {VolumeKind::kNetwork, "nfs", false}, true, JobRule::kQuiet,
                        milliseconds(2500)),
            "! P is on a network file system (nfs): a job is taken after 2.5 s without change");
}

}  // namespace
}  // namespace cratemark
