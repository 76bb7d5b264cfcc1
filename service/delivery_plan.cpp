#include "service/delivery_plan.h"

namespace cratemark {
namespace {

DeliveryStep Step(DeliveryAction action, Lines log = {}, bool printed = false) {
  return {action, std::move(log), printed};
}

std::string WriteFailedLine(const std::string& folder, const std::string& error) {
  return "# Could not write to " + folder + ": " + error;
}

// The destination is down, or could not be written; what the backup gives.
DeliveryStep AfterBackupCheck(const DeliveryFacts& facts, const DeliveryNames& names) {
  const bool destination_failed = facts.destination && !facts.destination->written;
  if (facts.backup_write) {
    if (facts.backup_write->written)
      return Step(DeliveryAction::kDelete, {"-- Deleting " + names.source_job}, true);
    Lines log{WriteFailedLine(names.backup_dir, facts.backup_write->error)};
    if (destination_failed) return Step(DeliveryAction::kKeep, std::move(log));
    log.push_back("! Sending order back to " + names.destination_dir);
    log.push_back("! Labels will resume printing when the problem is resolved");
    return Step(DeliveryAction::kWriteDestination, std::move(log));
  }
  if (*facts.backup == BackupState::kUsable) return Step(DeliveryAction::kWriteBackup);
  Lines log;
  if (*facts.backup == BackupState::kDown) {
    log.push_back("## Spooler is down for printer: " + names.backup_setting);
  } else {
    log.push_back("# Problem sending to " + names.backup_dir);
    log.push_back("  Please check TolvanSpool and Printer.");
  }
  // Nowhere left to write: the order waits in its folder.
  if (destination_failed) return Step(DeliveryAction::kKeep, std::move(log));
  log.push_back("! Sending order back to " + names.destination_dir);
  log.push_back("! Labels will resume printing when the problem is resolved");
  return Step(DeliveryAction::kWriteDestination, std::move(log));
}

}  // namespace

DeliveryStep PlanDelivery(const DeliveryFacts& facts, const DeliveryNames& names) {
  if (!facts.destination_down) return Step(DeliveryAction::kCheckDestination);
  const std::string deleting = "-- Deleting " + names.source_job;
  if (!*facts.destination_down) {
    if (!facts.destination) return Step(DeliveryAction::kWriteDestination);
    if (facts.destination->written) return Step(DeliveryAction::kDelete, {deleting}, true);
    // A write that fails (the folder gone, a name it refuses, a full disk)
    // tries the backup before the order waits.
    if (!facts.backup) {
      return Step(DeliveryAction::kCheckBackup,
                  {WriteFailedLine(names.destination_dir, facts.destination->error),
                   "! Trying backup printer..."});
    }
    return AfterBackupCheck(facts, names);
  }
  // Down: the backup, or else back to the destination to wait for its spooler.
  if (facts.destination) {
    if (facts.destination->written) return Step(DeliveryAction::kDelete, {deleting}, false);
    return Step(DeliveryAction::kKeep,
                {WriteFailedLine(names.destination_dir, facts.destination->error)});
  }
  if (!facts.backup) {
    return Step(DeliveryAction::kCheckBackup,
                {"## Spooler is down for printer: " + names.destination_setting,
                 "! Trying backup printer..."});
  }
  return AfterBackupCheck(facts, names);
}

}  // namespace cratemark
