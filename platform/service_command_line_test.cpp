#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/service_host.h"

namespace cratemark {
namespace {

TEST(ServiceCommandLine, SwitchesNeedSlashOrDashAndInstallWins) {
  struct Case {
    std::vector<std::string> args;
    ServiceCommand command;
    bool silent;
  };
  const Case cases[] = {
      {{}, ServiceCommand::kRun, false},
      {{"/INSTALL"}, ServiceCommand::kInstall, false},
      {{"-install", "/Silent"}, ServiceCommand::kInstall, true},
      {{"/uninstall", "-SILENT"}, ServiceCommand::kUninstall, true},
      {{"/UNINSTALL", "/INSTALL"}, ServiceCommand::kInstall, false},
      {{"INSTALL"}, ServiceCommand::kRun, false},    // no switch character
      {{"--install"}, ServiceCommand::kRun, false},  // not the word after one
      {{"/INSTALLX"}, ServiceCommand::kRun, false},
      {{"/SILENT"}, ServiceCommand::kRun, true},  // silent alone just runs
  };
  for (const Case& c : cases) {
    const ServiceCommandLine parsed = ParseServiceCommandLine(c.args);
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    EXPECT_EQ(parsed.command, c.command) << shown;
    EXPECT_EQ(parsed.silent, c.silent) << shown;
  }
}

}  // namespace
}  // namespace cratemark
