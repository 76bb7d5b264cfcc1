// INSTALL and UNINSTALL under systemd, against a scratch unit folder and a
// systemctl stand-in that records its calls.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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
    setenv("CRATEMARK_PROGRAM_COPY_DIR", (copies_.path() + "cratemark").c_str(), 1);
    // The service runs as the folder's owner, never root: as root the test
    // gives the folder to a system user every Debian has (not "nobody",
    // which systemd warns of).
    const passwd* owner = getpwuid(geteuid());
    if (geteuid() == 0) owner = getpwnam("daemon");
    ASSERT_NE(owner, nullptr);
    user_ = owner->pw_name;
    owner_uid_ = owner->pw_uid;
    ASSERT_EQ(chown(folder_.dir().c_str(), owner_uid_, -1), 0);
  }
  void TearDown() override {
    unsetenv("CRATEMARK_SYSTEMD_UNIT_DIR");
    unsetenv("CRATEMARK_SYSTEMCTL");
    unsetenv("CRATEMARK_PROGRAM_COPY_DIR");
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
  ScopedTempDir copies_;  // stands for /usr/local/lib
  std::string user_;
  uid_t owner_uid_ = 0;
};

TEST_F(ServiceInstall, InstallsEnablesAndUninstallsTheUnit) {
  ASSERT_EQ(Run({"/install", "-UNINSTALL"}), 0);  // install wins
  EXPECT_EQ(folder_.ReadFile("stdout"), "Service installed successfully\n");
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  EXPECT_NE(unit.find("Description=Veltrane's Cratemark Service: box labels for Tolvan's orders\n"),
            std::string::npos);
  // The program runs from a copy outside the folder it may write, which only
  // root may change, as the folder's owner, with home folders hidden.
  const std::string copy = copies_.path() + "cratemark/";
  EXPECT_NE(unit.find("ExecStart=\"" + copy + "CratemarkService\" --program-dir \"" +
                      folder_.dir() + "\"\n"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("\nUser=" + user_ + "\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("ReadWritePaths=\"" + folder_.dir() + "\"\n"), std::string::npos);
  EXPECT_NE(unit.find("\nProtectHome=yes\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("Type=notify\n"), std::string::npos);
  EXPECT_EQ(folder_.ReadFile("calls"), "daemon-reload\nenable srvCratemark.service\n");
  for (const auto& [file, mode] : {std::pair{"CratemarkService", 0755}, {"libxbengine.so", 0644}}) {
    struct stat status = {};
    ASSERT_EQ(stat((copy + file).c_str(), &status), 0) << file;
    EXPECT_EQ(status.st_mode & 07777, static_cast<unsigned>(mode)) << file;
    EXPECT_EQ(status.st_uid, geteuid()) << file;
    std::ifstream original(folder_.Path(file), std::ios::binary);
    std::ifstream copied(copy + file, std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(original), {},
                           std::istreambuf_iterator<char>(copied), {}))
        << file;
  }
  struct stat copy_folder = {};
  ASSERT_EQ(stat(copy.c_str(), &copy_folder), 0);
  EXPECT_EQ(copy_folder.st_mode & 07777, 0755u);

  ASSERT_EQ(Run({"-Uninstall", "/SILENT"}), 0);
  EXPECT_EQ(folder_.ReadFile("stdout"), "");
  EXPECT_FALSE(folder_.Exists("units/srvCratemark.service"));
  EXPECT_FALSE(std::filesystem::exists(copy)) << "the copy stays after uninstall";
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
// runs as the folder's owner, the package's as its own user.
TEST_F(ServiceInstall, TheUnitHasTheTemplateUnitsServiceSettings) {
  ASSERT_EQ(Run({"-INSTALL", "-SILENT"}), 0);
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  std::ifstream template_unit(std::string(std::getenv("CRATEMARK_SOURCE_DIR")) +
                              "/packaging/debian/cratemark@.service");
  ASSERT_TRUE(template_unit) << "no template unit";
  const std::vector<std::string> site_or_user{"ExecStart=", "User=", "Group=", "ReadWritePaths="};
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

  // Both score 2.0 or lower in systemd's exposure rating, where its analyzer
  // can rate a unit file offline (systemd 252 and later).
  if (RunTool({"/bin/sh", "-c", "systemd-analyze security --help 2>/dev/null | grep -q offline"}) !=
      0) {
    return;
  }
  std::filesystem::copy_file(
      std::string(std::getenv("CRATEMARK_SOURCE_DIR")) + "/packaging/debian/cratemark@.service",
      folder_.Path("units/cratemark@srv-tolvan.service"));
  for (const char* rated : {"srvCratemark.service", "cratemark@srv-tolvan.service"}) {
    EXPECT_EQ(
        RunTool({"/bin/sh", "-c",
                 "systemd-analyze security --offline=true --threshold=20 \"$0\" "
                 ">/dev/null 2>&1 || systemd-analyze security --offline=true \"$0\" | tail -n 1",
                 folder_.Path("units/") + rated}),
        0)
        << rated;
  }
}

// A folder of root's would run the service as root: refused before anything
// is written, with what to do instead.
TEST_F(ServiceInstall, AFolderOfRootsIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a folder of root's here";
  ASSERT_EQ(chown(folder_.dir().c_str(), 0, 0), 0);
  EXPECT_EQ(Run({"-INSTALL", "-SILENT"}), 1);
  EXPECT_EQ(FailureMessage(),
            "Service \"Veltrane's Cratemark Service\" failed to install with error: \"...\"\n");
  const std::string error = folder_.ReadFile("stderr");
  for (const char* part : {"belongs to root, and the service does not run as root", "chown -R USER",
                           "the Debian package"}) {
    EXPECT_NE(error.find(part), std::string::npos) << error;
  }
  EXPECT_FALSE(folder_.Exists("units/srvCratemark.service"));
  EXPECT_FALSE(std::filesystem::exists(copies_.path() + "cratemark"));
  EXPECT_EQ(folder_.ReadFile("calls"), "");
}

// A folder in a home folder: the home folders are read-only, not hidden, so
// that ReadWritePaths= can open the site's folder.
TEST_F(ServiceInstall, AFolderInAHomeFolderLeavesHomeFoldersReadOnly) {
  std::error_code error;
  const std::filesystem::path site =
      std::filesystem::path("/home") / ("cratemark-test-" + std::to_string(getpid()));
  if (!std::filesystem::create_directory(site, error)) {
    GTEST_SKIP() << "cannot make a folder in /home";
  }
  struct Removal {
    std::filesystem::path path;
    ~Removal() { std::filesystem::remove_all(path); }
  } removal{site};
  ASSERT_EQ(chown(site.c_str(), owner_uid_, -1), 0);
  ASSERT_EQ(Run({"--program-dir", site.string(), "-INSTALL", "-SILENT"}), 0);
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  EXPECT_NE(unit.find("\nProtectHome=read-only\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nReadWritePaths=\"" + site.string() + "/\"\n"), std::string::npos) << unit;
}

// An odd folder name reaches the unit as one word that systemd reads back
// unchanged: "%" and "$" are not expanded, the space does not split it.
TEST_F(ServiceInstall, TheProgramFolderOptionIsQuotedInTheUnit) {
  const std::string site = folder_.Path("site 100%$HOME");
  std::filesystem::create_directories(site);
  ASSERT_EQ(chown(site.c_str(), owner_uid_, -1), 0);
  ASSERT_EQ(Run({"--program-dir", site, "-INSTALL", "-SILENT"}), 0);
  const std::string unit = folder_.ReadFile("units/srvCratemark.service");
  const std::string quoted = "\"" + folder_.dir() + "site 100%%$HOME/\"";  // no variables here
  EXPECT_NE(unit.find("ExecStart=\"" + copies_.path() + "cratemark/CratemarkService" +
                      "\" --program-dir \"" + folder_.dir() + "site 100%%$$HOME/\"\n"),
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
