#include "service/delivery_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace cratemark {
namespace {

using A = DeliveryAction;

// Walks the plan to its end with printers and writes as given; returns the
// actions taken and the lines logged.
struct Walk {
  std::vector<A> actions;
  Lines log;
  bool printed = false;
};

Walk WalkPlan(bool destination_down, BackupState backup, bool destination_writes,
              bool backup_writes) {
  const DeliveryNames names{"Label1", "Label2", "/p/Label1", "/p/Label2", "/p/PreLabel/a.spl"};
  DeliveryFacts facts;
  Walk walk;
  for (int guard = 0; guard < 10; ++guard) {
    const DeliveryStep step = PlanDelivery(facts, names);
    walk.actions.push_back(step.action);
    walk.log.insert(walk.log.end(), step.log.begin(), step.log.end());
    switch (step.action) {
      case A::kCheckDestination:
        facts.destination_down = destination_down;
        break;
      case A::kCheckBackup:
        facts.backup = backup;
        break;
      case A::kWriteDestination:
        facts.destination = WriteOutcome{destination_writes, destination_writes ? "" : "full"};
        break;
      case A::kWriteBackup:
        facts.backup_write = WriteOutcome{backup_writes, backup_writes ? "" : "gone"};
        break;
      case A::kDelete:
      case A::kKeep:
        walk.printed = step.printed;
        return walk;
    }
  }
  ADD_FAILURE() << "the plan never ends";
  return walk;
}

TEST(PlanDelivery, EveryPathEndsInADeleteOnlyAfterAWrite) {
  const std::string down1 = "## Spooler is down for printer: Label1";
  const std::string trying = "! Trying backup printer...";
  const std::string back = "! Sending order back to /p/Label1";
  const std::string resume = "! Labels will resume printing when the problem is resolved";
  const std::string deleting = "-- Deleting /p/PreLabel/a.spl";
  struct Case {
    const char* name;
    bool destination_down;
    BackupState backup;
    bool destination_writes, backup_writes;
    std::vector<A> actions;
    bool printed;
    Lines log;
  };
  const Case cases[] = {
      {"served",
       false,
       BackupState::kUsable,
       true,
       true,
       {A::kCheckDestination, A::kWriteDestination, A::kDelete},
       true,
       {deleting}},
      {"down, backup usable",
       true,
       BackupState::kUsable,
       true,
       true,
       {A::kCheckDestination, A::kCheckBackup, A::kWriteBackup, A::kDelete},
       true,
       {down1, trying, deleting}},
      {"down, backup down: sent back",
       true,
       BackupState::kDown,
       true,
       true,
       {A::kCheckDestination, A::kCheckBackup, A::kWriteDestination, A::kDelete},
       false,
       {down1, trying, "## Spooler is down for printer: Label2", back, resume, deleting}},
      {"down, backup problem: sent back",
       true,
       BackupState::kProblem,
       true,
       true,
       {A::kCheckDestination, A::kCheckBackup, A::kWriteDestination, A::kDelete},
       false,
       {down1, trying, "# Problem sending to /p/Label2", "  Please check TolvanSpool and Printer.",
        back, resume, deleting}},
      {"served but unwritable: the backup takes it",
       false,
       BackupState::kUsable,
       false,
       true,
       {A::kCheckDestination, A::kWriteDestination, A::kCheckBackup, A::kWriteBackup, A::kDelete},
       true,
       {"# Could not write to /p/Label1: full", trying, deleting}},
      {"served but unwritable, backup down: kept",
       false,
       BackupState::kDown,
       false,
       true,
       {A::kCheckDestination, A::kWriteDestination, A::kCheckBackup, A::kKeep},
       false,
       {"# Could not write to /p/Label1: full", trying, "## Spooler is down for printer: Label2"}},
      {"nothing writable: kept",
       false,
       BackupState::kUsable,
       false,
       false,
       {A::kCheckDestination, A::kWriteDestination, A::kCheckBackup, A::kWriteBackup, A::kKeep},
       false,
       {"# Could not write to /p/Label1: full", trying, "# Could not write to /p/Label2: gone"}},
      {"down, backup unwritable: sent back",
       true,
       BackupState::kUsable,
       true,
       false,
       {A::kCheckDestination, A::kCheckBackup, A::kWriteBackup, A::kWriteDestination, A::kDelete},
       false,
       {down1, trying, "# Could not write to /p/Label2: gone", back, resume, deleting}},
      {"down, and sending back fails: kept",
       true,
       BackupState::kDown,
       false,
       true,
       {A::kCheckDestination, A::kCheckBackup, A::kWriteDestination, A::kKeep},
       false,
       {down1, trying, "## Spooler is down for printer: Label2", back, resume,
        "# Could not write to /p/Label1: full"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Walk walk = WalkPlan(c.destination_down, c.backup, c.destination_writes, c.backup_writes);
    EXPECT_EQ(walk.actions, c.actions);
    EXPECT_EQ(walk.printed, c.printed);
    EXPECT_EQ(walk.log, c.log);
  }
}

}  // namespace
}  // namespace cratemark
