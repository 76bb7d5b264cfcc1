// INSTALL and UNINSTALL under systemd, against a scratch unit folder and a
// systemctl stand-in that records its calls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

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
  EXPECT_NE(unit.find("Restart=on-failure\n"), std::string::npos);
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

TEST_F(ServiceInstall, AFailingSystemctlFailsTheInstall) {
  setenv("CRATEMARK_SYSTEMCTL", "/bin/false", 1);
  EXPECT_NE(Run({"-INSTALL", "-SILENT"}), 0);
  EXPECT_EQ(folder_.ReadFile("stdout"), "");
  EXPECT_EQ(FailureMessage(),
            "Service \"Veltrane's Cratemark Service\" failed to install with error: \"...\"\n");
}

}  // namespace
}  // namespace cratemark::e2e
