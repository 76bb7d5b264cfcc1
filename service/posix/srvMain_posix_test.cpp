// What a POSIX spool folder can hold that a Windows one cannot: names with
// "\\" or line breaks, FIFOs, links, files nobody may delete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "service/srvMain.h"
#include "service/testing/site.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

using testing::kSep;
using testing::Site;

std::string OneBlock(const std::string& reference) {
  return reference + "\r\n" + std::string(99, '\n');
}

std::size_t CountContaining(const Site& site, const std::string& part) {
  std::size_t count = 0;
  for (const std::string& message : site.Messages()) {
    if (message.find(part) != std::string::npos) ++count;
  }
  return count;
}

TEST(ServiceModulePosix, HostileEntriesAreJobsByTheirLeafNameOrPassedOver) {
  Site site;
  const std::string source = site.P("PreLabel") + "/";
  site.Remove("PreLabel/a.spl");
  // A label waiting in the destination, which a "\\" name once reached.
  site.Put("Label1/victim.spl", "waiting label");
  WriteWholeFileIn(site.P("PreLabel"), "..\\Label1\\victim.spl", OneBlock("Backslash"));
  WriteWholeFileIn(site.P("PreLabel"), "two\nlines.spl", OneBlock("Break"));
  const std::string long_name = std::string(251, 'n') + ".spl";  // 255 bytes, the limit
  site.Put("PreLabel/" + long_name, OneBlock("Long"));
  ASSERT_EQ(mkfifo((source + "0fifo.spl").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", source + "1zero.spl");
  site.Put("elsewhere.txt", OneBlock("Linked"));
  std::filesystem::create_symlink(site.P("elsewhere.txt"), source + "2link.spl");

  auto module = site.Start();
  for (int tick = 0; tick < 8; ++tick) module->TimerTimer();

  EXPECT_EQ(ReadWholeFile(site.P("Label1/victim.spl")), "waiting label");
  EXPECT_EQ(ReadFileIn(site.P("Label1"), "..\\Label1\\victim.spl", 100), "Backslash\r\n");
  EXPECT_EQ(ReadFileIn(site.P("Label1"), "two\nlines.spl", 100), "Break\r\n");
  EXPECT_EQ(ReadFileIn(site.P("Label1"), long_name, 100), "Long\r\n");
  for (const char* job : {"..\\Label1\\victim.spl", "two\nlines.spl"}) {
    EXPECT_FALSE(std::filesystem::exists(source + job)) << job;
  }
  EXPECT_FALSE(std::filesystem::exists(source + long_name));
  // Passed over, each with one line, and left as they were.
  for (const char* entry : {"0fifo.spl", "1zero.spl", "2link.spl"}) {
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(source + entry))) << entry;
    EXPECT_EQ(CountContaining(site, "## Skipped " + source + entry + " (not a regular file)"), 1u)
        << entry;
  }
  EXPECT_EQ(ReadWholeFile(site.P("elsewhere.txt")), OneBlock("Linked"));
  // No log line holds a line break of a name.
  EXPECT_EQ(CountContaining(site, "-> Loading from " + source + "two?lines.spl"), 1u);
  for (const std::string& line : site.LogLines()) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  }
}

TEST(ServiceModulePosix, ALinkToTheSourceFolderIsTheSourceFolder) {
  Site site;
  std::filesystem::create_directory_symlink(site.P("PreLabel"), site.P("Mirror"));
  auto module = site.Start("Mirror", "Label2");
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), kStatusDestDirMissing);
  module->TimerTimer();
  EXPECT_EQ(ReadWholeFile(site.P("PreLabel/a.spl")).substr(0, 5), "Ann\r\n");
}

// Makes `path` impossible to delete for as long as it lives: immutable for
// root, in a read-only folder for anyone else.
class Undeletable {
 public:
  Undeletable(std::string path, std::string folder)
      : path_(std::move(path)), folder_(std::move(folder)) {
    if (geteuid() == 0) {
      fd_ = open(path_.c_str(), O_RDONLY);
      int flags = 0;
      if (fd_ < 0 || ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) return;
      flags |= FS_IMMUTABLE_FL;
      ok_ = ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    } else {
      ok_ = chmod(folder_.c_str(), 0555) == 0;
    }
  }
  ~Undeletable() {
    if (fd_ >= 0) {
      int flags = 0;
      ioctl(fd_, FS_IOC_GETFLAGS, &flags);
      flags &= ~FS_IMMUTABLE_FL;
      ioctl(fd_, FS_IOC_SETFLAGS, &flags);
      close(fd_);
    } else {
      chmod(folder_.c_str(), 0755);
    }
  }
  bool ok() const { return ok_; }

 private:
  std::string path_;
  std::string folder_;
  int fd_ = -1;
  bool ok_ = false;
};

TEST(ServiceModulePosix, AJobThatCannotBeDeletedIsPrintedOnceUntilItChanges) {
  Site site;
  auto module = site.Start();
  {
    Undeletable stuck(site.P("PreLabel/a.spl"), site.P("PreLabel"));
    if (!stuck.ok()) GTEST_SKIP() << "this file system cannot make a file undeletable";
    for (int tick = 0; tick < 5; ++tick) module->TimerTimer();
    EXPECT_EQ(CountContaining(site, "++ Sending to "), 1u);
    EXPECT_EQ(CountContaining(site, "# Could not delete " + site.P("PreLabel/a.spl")), 1u);
    EXPECT_TRUE(site.Has("PreLabel/a.spl"));
  }
  // Changed by the host: a new order under the same name, delivered again.
  std::filesystem::remove(site.P("Label1/a.spl"));
  WriteWholeFile(site.P("PreLabel/a.spl"), OneBlock("Bob"));
  module->TimerTimer();
  EXPECT_EQ(ReadWholeFile(site.P("Label1/a.spl")), "Bob\r\n");
  EXPECT_FALSE(site.Has("PreLabel/a.spl"));

  // After a restart a job still there is delivered once more.
  site.Put("PreLabel/b.spl", OneBlock("Cy"));
  {
    Undeletable stuck(site.P("PreLabel/b.spl"), site.P("PreLabel"));
    module->TimerTimer();
    module.reset();  // the process ends, and a new one starts
    module = site.Start();
    module->TimerTimer();
    // Beside the labels of the first delivery, which still wait.
    EXPECT_EQ(CountContaining(site, "++ Sending to " + site.P("Label1/b-2.spl")), 1u);
  }
}

}  // namespace
}  // namespace cratemark
