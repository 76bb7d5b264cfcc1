// The service program's alert switches: setting the administrator's alert
// command, trying it, and telling it of a start that is refused before the
// service module exists. Each says what came of it on standard output or
// error and returns the process exit status.
#pragma once

#include <string>

#include "platform/service_host.h"

namespace cratemark {

// "/ALERT <command line>": sets the command ("" removes it).
int SetAlertCommandSwitch(const ServiceIdentity& identity, const std::string& command, bool silent);

// "/TESTALERT", "--test-alert": runs the command once with the kind "test"
// and waits for it (at most its time limit).
int TestAlertCommand(const ServiceIdentity& identity, const std::string& program_dir);

// Runs the command for a start refused with `why`, and waits for it: the
// process ends right after.
void AlertStartRefused(const ServiceIdentity& identity, const std::string& program_dir,
                       const std::string& why);

}  // namespace cratemark
