#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
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

TEST(ServiceCommandLine, ProgramDirIsAbsoluteWithOneTrailingSeparator) {
  const std::u8string here = std::filesystem::current_path().u8string();
  const std::string cwd(here.begin(), here.end());
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::vector<std::string> args;
    std::string program_dir;
    ServiceCommand command;
  };
  const std::filesystem::path root = std::filesystem::current_path().root_path();
  const std::u8string root_text = (root / u8"srv" / u8"tolvan").u8string();
  const std::string absolute(root_text.begin(), root_text.end());
  const Case cases[] = {
      {{"/SILENT"}, "", ServiceCommand::kRun},
      {{"--program-dir", absolute}, absolute + sep, ServiceCommand::kRun},
      {{"--program-dir=" + absolute + sep + sep}, absolute + sep, ServiceCommand::kRun},
      {{"-INSTALL", "--program-dir", "site"}, cwd + sep + "site" + sep, ServiceCommand::kInstall},
      // A folder named like a switch is a folder.
      {{"--program-dir", "-install"}, cwd + sep + "-install" + sep, ServiceCommand::kRun},
  };
  for (const Case& c : cases) {
    const ServiceCommandLine parsed = ParseServiceCommandLine(c.args);
    EXPECT_EQ(parsed.command, c.command) << c.args.back();
    EXPECT_EQ(parsed.error, "") << c.args.back();
    EXPECT_EQ(parsed.program_dir, c.program_dir) << c.args.back();
  }
}

TEST(ServiceCommandLine, ProgramDirWithoutAFolderIsAnError) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--program-dir"}, {"--program-dir="}, {"-INSTALL", "--program-dir"}}) {
    EXPECT_EQ(ParseServiceCommandLine(args).error, "The option \"--program-dir\" needs a folder.")
        << args.back();
  }
}

TEST(ServiceCommandLine, AlertSwitchesTakeTheirCommandAsOneValue) {
  struct Case {
    std::vector<std::string> args;
    ServiceCommand command;
    std::optional<std::string> alert_command;
  };
  const Case cases[] = {
      {{"/ALERT", "C:\\alert.cmd \"x y\""}, ServiceCommand::kSetAlert, "C:\\alert.cmd \"x y\""},
      {{"-alert", ""}, ServiceCommand::kSetAlert, ""},  // removes it
      {{"/ALERT", "/INSTALL"}, ServiceCommand::kSetAlert, "/INSTALL"},
      {{"/INSTALL", "/ALERT", "a.cmd"}, ServiceCommand::kInstall, "a.cmd"},
      {{"/TESTALERT"}, ServiceCommand::kTestAlert, std::nullopt},
      {{"--test-alert"}, ServiceCommand::kTestAlert, std::nullopt},
      {{"--TESTALERT"}, ServiceCommand::kRun, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const ServiceCommandLine parsed = ParseServiceCommandLine(c.args);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(parsed.alert_command, c.alert_command);
  }
  EXPECT_EQ(ParseServiceCommandLine({"/ALERT"}).error,
            "The switch \"/ALERT\" needs a command line (\"\" removes the command).");
}

}  // namespace
}  // namespace cratemark
