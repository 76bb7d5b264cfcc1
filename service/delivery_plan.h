// The delivery decision: where an order's labels go next, which lines the
// log gets, and whether the order may be deleted, from what has been seen
// of the printers and what the writes so far did. A pure function: the
// service carries its steps out, one after another, until it says stop.
#pragma once

#include <optional>
#include <string>

#include "platform/text_file.h"

namespace cratemark {

// The backup printer as its check found it.
enum class BackupState {
  kUsable,   // its lock table cannot be opened and it has no marker
  kDown,     // its lock table opens
  kProblem,  // its lock table cannot be opened, but its marker is there
};

// The outcome of one write of the label file.
struct WriteOutcome {
  bool written = false;
  std::string error;  // why it failed
};

struct DeliveryFacts {
  std::optional<bool> destination_down;     // unknown until checked
  std::optional<BackupState> backup;        // unknown until checked
  std::optional<WriteOutcome> destination;  // the write to the destination, once tried
  std::optional<WriteOutcome> backup_write;
};

// The printers' folder settings and folders, as the log names them.
struct DeliveryNames {
  std::string destination_setting;  // SPLDirDest
  std::string backup_setting;       // SPLDirBackup
  std::string destination_dir;      // ProgramDir + SPLDirDest
  std::string backup_dir;           // ProgramDir + SPLDirBackup
  std::string source_job;           // the order's path
};

enum class DeliveryAction {
  kCheckDestination,
  kCheckBackup,
  kWriteDestination,
  kWriteBackup,
  kDelete,  // done: delete the order
  kKeep,    // done: the order stays, to be tried again later
};

struct DeliveryStep {
  DeliveryAction action = DeliveryAction::kCheckDestination;
  Lines log;             // logged before the step is carried out
  bool printed = false;  // kDelete and kKeep: the labels reached the printer meant to print them
};

DeliveryStep PlanDelivery(const DeliveryFacts& facts, const DeliveryNames& names);

}  // namespace cratemark
