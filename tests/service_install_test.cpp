// INSTALL and UNINSTALL under systemd, against a scratch unit folder and a
// systemctl stand-in that records its calls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

class ServiceInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_.Path("units"));
    folder_.WriteFile("systemctl", "#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/calls\"\n");
    chmod(folder_.Path("systemctl").c_str(), 0755);
    setenv("CRATEMARK_SYSTEMD_UNIT_DIR", folder_.Path("units").c_str(), 1);
    setenv("CRATEMARK_SYSTEMCTL", folder_.Path("systemctl").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("CRATEMARK_SYSTEMD_UNIT_DIR");
    unsetenv("CRATEMARK_SYSTEMCTL");
  }

  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), folder_.Path("CratemarkService"));
    Child child(args, folder_.Path("stdout"), folder_.Path("stderr"));
    return child.Wait();
  }

  // The failure message on standard error, with the platform's error text
  // replaced by "...".
  std::string FailureMessage() {
    std::string text = folder_.ReadFile("stderr");
    const std::size_t open = text.find(": \"");
    const std::size_t close = text.rfind('"');
    if (open == std::string::npos || close <= open + 3) return text;
    return text.substr(0, open + 3) + "..." + text.substr(close);
  }

  ProgramFolder folder_;
};

TEST_F(ServiceInstall, InstallsEnablesAndUninstallsTheUnit) {
  ASSERT_EQ(Run({"/install", "-UNINSTALL"}), 0);  // install wins
  EXPECT_EQ(folder_.ReadFile("stdout"), "Service installed successfully\n");
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  EXPECT_NE(unit.find("Description=Veltrane's Cratemark Service\n"), std::string::npos);
  EXPECT_NE(unit.find("ExecStart=\"" + folder_.Path("CratemarkService") + "\"\n"),
            std::string::npos);
  EXPECT_NE(unit.find("ReadWritePaths=\"" + folder_.dir() + "\"\n"), std::string::npos);
  EXPECT_NE(unit.find("Type=notify\n"), std::string::npos);
  EXPECT_EQ(folder_.ReadFile("calls"), "daemon-reload\nenable srvCratemark.service\n");

  ASSERT_EQ(Run({"-Uninstall", "/SILENT"}), 0);
  EXPECT_EQ(folder_.ReadFile("stdout"), "");
  EXPECT_FALSE(folder_.Exists("units/srvCratemark.service"));
  EXPECT_EQ(folder_.ReadFile("calls"),
            "daemon-reload\nenable srvCratemark.service\ndisable srvCratemark.service\n"
            "daemon-reload\n");

  // Nothing left to remove: a failure, reported on standard error.
  EXPECT_NE(Run({"-UNINSTALL"}), 0);
  EXPECT_EQ(folder_.ReadFile("stdout"), "");
  EXPECT_EQ(FailureMessage(),
            "Service \"Veltrane's Cratemark Service\" failed to uninstall with error: \"...\"\n");
}

// The copied-folder unit is supervised and sandboxed like the package's
// template unit. Only what names the site and the user may differ: this unit
// has no user of its own to run as.
TEST_F(ServiceInstall, TheUnitHasTheTemplateUnitsServiceSettings) {
  ASSERT_EQ(Run({"-INSTALL", "-SILENT"}), 0);
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  std::ifstream template_unit(std::string(std::getenv("CRATEMARK_SOURCE_DIR")) +
                              "/packaging/debian/cratemark@.service");
  ASSERT_TRUE(template_unit) << "no template unit";
  // UMask= (the kept orders' privacy) is still to come in the copied-folder
  // unit, whose text changes elsewhere at the moment; until then it may differ.
  const std::vector<std::string> site_or_user{
      "ExecStart=", "User=", "Group=", "ReadWritePaths=", "UMask="};
  std::string line;
  bool in_service = false;
  int compared = 0;
  while (std::getline(template_unit, line)) {
    if (line.starts_with("[")) in_service = line == "[Service]";
    if (!in_service || line.empty() || line.starts_with("#") || line.starts_with("[")) continue;
    bool skipped = false;
    for (const std::string& key : site_or_user) skipped = skipped || line.starts_with(key);
    if (skipped) continue;
    EXPECT_NE(unit.find("\n" + line + "\n"), std::string::npos) << line;
    ++compared;
  }
  EXPECT_GT(compared, 10);
}

// An odd folder name reaches the unit as one word that systemd reads back
// unchanged: "%" and "$" are not expanded, the space does not split it.
TEST_F(ServiceInstall, TheProgramFolderOptionIsQuotedInTheUnit) {
  const std::string site = folder_.Path("site 100%$HOME");
  std::filesystem::create_directories(site);
  ASSERT_EQ(Run({"--program-dir", site, "-INSTALL", "-SILENT"}), 0);
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  const std::string quoted = "\"" + folder_.dir() + "site 100%%$HOME/\"";  // no variables here
  EXPECT_NE(unit.find("ExecStart=\"" + folder_.Path("CratemarkService") + "\" --program-dir \"" +
                      folder_.dir() + "site 100%%$$HOME/\"\n"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("ReadWritePaths=" + quoted + "\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("RequiresMountsFor=" + quoted + "\n"), std::string::npos) << unit;
  // systemd itself accepts it (where its analyzer is installed).
  if (RunTool({"/bin/sh", "-c", "command -v systemd-analyze >/dev/null"}) == 0) {
    EXPECT_EQ(RunTool({"/bin/sh", "-c",
                       "out=$(systemd-analyze verify --man=no \"$0\" 2>&1) && [ -z \"$out\" ] "
                       "|| { echo \"$out\"; exit 1; }",
                       folder_.Path("units/srvCratemark.service")}),
              0);
  }

  // A folder that is not there is refused before anything is written.
  std::filesystem::remove(folder_.Path("units/srvCratemark.service"));
  EXPECT_EQ(Run({"--program-dir", folder_.Path("missing"), "-INSTALL"}), 1);
  EXPECT_FALSE(folder_.Exists("units/srvCratemark.service"));
  EXPECT_NE(folder_.ReadFile("stderr").find("missing/\" does not exist."), std::string::npos);
}

TEST_F(ServiceInstall, AFailingSystemctlFailsTheInstall) {
  setenv("CRATEMARK_SYSTEMCTL", "/bin/false", 1);
  EXPECT_NE(Run({"-INSTALL", "-SILENT"}), 0);
  EXPECT_EQ(folder_.ReadFile("stdout"), "");
  EXPECT_EQ(FailureMessage(),
            "Service \"Veltrane's Cratemark Service\" failed to install with error: \"...\"\n");
}

}  // namespace
}  // namespace cratemark::e2e
