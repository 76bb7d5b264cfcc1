// The real service's start-up check: an engine library that others may
// replace is named once per start, in the log and in one report, and the
// service goes on delivering.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(ServiceStartupCheck, AGroupWritableEngineLibraryIsNamedOncePerStart) {
  ProgramFolder folder;
  folder.SetUp();
  ASSERT_EQ(chmod(folder.Path("libxbengine.so").c_str(), 0775), 0);
  Child service = folder.StartService("/dev/null", folder.Path("service.stderr"));
  const std::string warning =
      "## WARNING: Users other than root and the service's user can replace \"" +
      folder.Path("libxbengine.so") + "\", which the service runs (its group may write it).";
  ASSERT_TRUE(WaitUntil([&] { return Count(JoinLines(folder.LogMessages()), warning) == 1; }))
      << JoinLines(folder.LogMessages());
  EXPECT_EQ(Count(JoinLines(folder.LogMessages()), "## WARNING"), 1u) << "the program is not named";
  EXPECT_EQ(folder.Status(), "0") << "a warning, not a halt";

  // A pause and a continue are not a new start.
  service.Signal(SIGUSR1);
  ASSERT_TRUE(WaitUntil([&] { return !folder.Exists("Cratemark.txt"); }));
  service.Signal(SIGUSR2);
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists("Cratemark.txt"); }));
  ASSERT_EQ(RunTool(folder.Sim({"order", folder.Path("PreLabel"), "a.spl", "Ann|Soup"})), 0);
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists("Label1/a.spl"); })) << "still delivers";
  EXPECT_EQ(Count(JoinLines(folder.LogMessages()), warning), 1u);
  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  // One report for the journal (here on standard error), naming the fix.
  const std::string reports = folder.ReadFile("service.stderr");
  EXPECT_EQ(Count(reports, "libxbengine.so\", which the service runs"), 1u) << reports;
  EXPECT_NE(reports.find("CratemarkService -INSTALL or the Debian package"), std::string::npos)
      << reports;
}

}  // namespace
}  // namespace cratemark::e2e
