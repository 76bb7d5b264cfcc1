// The job rule where this machine cannot see the host's writers, on the real
// service: a FUSE mount (bindfs) whose leases know nothing of writes beneath
// it, a share that answers every lease with EAGAIN, and leases refused while
// the file server's clock is a minute behind or ahead. The host writes one
// block, stalls 2 s, writes the second: both labels print, never one alone,
// and within the quiet time plus 2 s of the last write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "platform/text_file.h"
#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

constexpr auto kQuietTime = 5s;

// `dir` mirrored by bindfs on a fresh folder, unmounted at the end.
class BindfsMount {
 public:
  explicit BindfsMount(const std::string& dir) : point_(dir.substr(0, dir.size() - 1) + ".mnt/") {
    std::filesystem::create_directories(point_);
    mounted_ = RunTool({"/usr/bin/bindfs", dir, point_}) == 0;
  }
  ~BindfsMount() {
    if (mounted_ && RunTool({"/bin/fusermount", "-u", point_}) != 0) {
      RunTool({"/bin/fusermount", "-uz", point_});  // still busy: detached
    }
    std::error_code ignored;
    std::filesystem::remove(point_.substr(0, point_.size() - 1), ignored);
  }
  bool mounted() const { return mounted_; }
  const std::string& point() const { return point_; }

 private:
  std::string point_;
  bool mounted_ = false;
};

// The preload library that makes leases fail, beside the test programs.
std::string PreloadLibrary() { return BinDir() + "liblease_refusal_preload.so"; }

struct ShareCase {
  const char* name;
  bool bindfs;
  std::vector<std::string> environment;  // for the service
  std::chrono::seconds skew;             // the host's writes stamped this far off
  const char* rule_line;                 // what the log says of PreLabel
  bool warns;                            // locks do not reach the host
};

// One site, its service running from the folder or through the mount.
struct ShareSite {
  explicit ShareSite(const ShareCase& share) : share(share) {
    folder.SetUp();
    if (share.bindfs) mount = std::make_unique<BindfsMount>(folder.dir());
  }
  // Where the service runs and reads the host's folder.
  std::string ServiceDir() const { return mount ? mount->point() : folder.dir(); }

  const ShareCase& share;
  ProgramFolder folder;  // the host writes here, beneath any mount
  std::unique_ptr<BindfsMount> mount;
  Child service;  // ends before the mount does
  std::optional<std::ofstream> host;
};

std::string Block(const std::string& reference, const std::string& item) {
  Lines block(100);
  block[0] = reference;
  block[20] = item;
  return JoinLines(block);
}

// Stamps the file's modification time `skew` off this machine's clock, as a
// file server whose clock is off would.
void Stamp(const std::string& path, std::chrono::seconds skew) {
  if (skew.count() == 0) return;
  timespec times[2];
  clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec += skew.count();
  times[1] = times[0];
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

TEST(ServiceNetworkShare, AJobWrittenInTwoSittingsPrintsWholeWithinTheQuietTime) {
  std::vector<std::string> asan{"ASAN_OPTIONS=verify_asan_link_order=0"};
  const auto preload = [&](const char* error, const char* magic) {
    std::vector<std::string> environment = asan;
    environment.push_back("LD_PRELOAD=" + PreloadLibrary());
    environment.push_back(std::string("CRATEMARK_TEST_LEASE_ERRNO=") + error);
    if (magic) environment.push_back(std::string("CRATEMARK_TEST_FS_MAGIC=") + magic);
    return environment;
  };
  const bool fuse_usable = access("/dev/fuse", R_OK | W_OK) == 0;
  std::vector<ShareCase> cases = {
      {"leases answered EAGAIN on a SMB mount", false, preload("EAGAIN", "0xFF534D42"), 0s,
       "is on a network file system (cifs): a job is taken after 5 s without change", false},
      {"leases refused, the file server's clock a minute behind", false, preload("EINVAL", nullptr),
       -60s, "is on a local disk", false},
      {"leases refused, the file server's clock a minute ahead", false, preload("EINVAL", nullptr),
       60s, "is on a local disk", false},
  };
  if (fuse_usable) {
    cases.push_back({"a bindfs mount, the host writing beneath it",
                     true,
                     {},
                     0s,
                     "is on a FUSE file system (fuse): a job is taken after 5 s without change",
                     true});
  } else {
    std::printf("/dev/fuse cannot be used here: the bindfs case is left out\n");
  }

  std::vector<std::unique_ptr<ShareSite>> sites;
  for (const ShareCase& share : cases) {
    auto site = std::make_unique<ShareSite>(share);
    if (site->mount) {
      ASSERT_TRUE(site->mount->mounted()) << "bindfs could not mount";
    }
    site->service = Child({site->ServiceDir() + "CratemarkService"}, "/dev/null", "/dev/null",
                          share.environment);
    sites.push_back(std::move(site));
  }
  for (auto& site : sites) {
    // Started, with a line for each folder (and the warning).
    const std::size_t lines = kStartLines + (site->share.warns ? 1 : 0);
    ASSERT_TRUE(WaitUntil(
        [&] { return site->folder.Status() == "0" && site->folder.LogMessages().size() >= lines; },
        15000ms))
        << site->share.name;
    const Lines log = site->folder.LogMessages();
    EXPECT_NE(
        std::find_if(log.begin(), log.end(),
                     [&](const std::string& line) {
                       return line.starts_with("! PreLabel " + std::string(site->share.rule_line));
                     }),
        log.end())
        << site->share.name;
    const bool warned = std::any_of(log.begin(), log.end(), [](const std::string& line) {
      return line.starts_with("## WARNING: Locks taken on PreLabel, Label1 and Label2 (fuse)");
    });
    EXPECT_EQ(warned, site->share.warns) << site->share.name;
  }

  // The first sitting, held open through a stall.
  const std::string job = "PreLabel/two.spl";
  for (auto& site : sites) {
    site->host.emplace(site->folder.Path(job), std::ios::binary);
    *site->host << Block("Ann", "Soup") << std::flush;
    Stamp(site->folder.Path(job), site->share.skew);
  }
  std::this_thread::sleep_for(2000ms);
  for (auto& site : sites) {
    EXPECT_TRUE(site->folder.Exists(job)) << site->share.name << ": taken between two sittings";
    *site->host << Block("Bob", "Tea");
    site->host.reset();
    Stamp(site->folder.Path(job), site->share.skew);
  }
  const auto finished = std::chrono::steady_clock::now();
  for (auto& site : sites) {
    EXPECT_TRUE(WaitUntil([&] { return !site->folder.Exists(job); }, 15000ms)) << site->share.name;
    const auto taken = std::chrono::steady_clock::now() - finished;
    EXPECT_LE(taken, kQuietTime + 2s) << site->share.name;
    EXPECT_EQ(site->folder.ReadFile("Label1/two.spl"), "Ann/Soup/\r\nBob/Tea/\r\n")
        << site->share.name;
  }
}

}  // namespace
}  // namespace cratemark::e2e
