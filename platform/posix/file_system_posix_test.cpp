// Path resolution exists on POSIX only: Windows resolves names itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/posix/file_mode_posix.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

TEST(ResolvePathTest, MatchesComponentsWithoutRegardToCase) {
  ScopedTempDir dir;
  const std::string root = dir.path();  // ends in "/"
  CreateDirectories(root + "PreLabel");
  CreateDirectories(root + "Label1");
  WriteWholeFile(root + "Label1/tolvanspool.err", "");
  WriteWholeFile(root + "Label1/Exact.txt", "");
  // Two names that differ only in case: only possible from outside, since
  // the system itself would write into the existing one.
  std::ofstream(root + "Label1/EXACT.TXT").put('x');

  struct Case {
    std::string path;
    std::string resolved;
  };
  const Case cases[] = {
      {root + "Label1\\TOLVANSPOOL.ERR", root + "Label1/tolvanspool.err"},
      {root + "LABEL1/TolvanSpool.err", root + "Label1/tolvanspool.err"},
      {root + "prelabel", root + "PreLabel"},
      {root + "prelabel\\", root + "PreLabel/"},
      {root + "Label1\\\\tolvanspool.err", root + "Label1/tolvanspool.err"},  // doubled separator
      {root + "Label1//\\Exact.txt", root + "Label1/Exact.txt"},
      {root + "Label1/EXACT.TXT", root + "Label1/EXACT.TXT"},  // an exact match wins
      {root + "Label1/exact.txt",
       root + "Label1/EXACT.TXT"},  // of several, the first by byte order
      {root + "prelabel\\NewJob.spl", root + "PreLabel/NewJob.spl"},  // missing keeps its spelling
      {root + "Missing\\Sub\\File.TXT", root + "Missing/Sub/File.TXT"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.path), c.resolved) << c.path;

  EXPECT_TRUE(FileExists(root + "LABEL1\\TOLVANSPOOL.ERR"));
  EXPECT_TRUE(DirectoryExists(root + "PRELABEL"));
  WriteWholeFile(root + "prelabel\\job.spl", "x");
  EXPECT_TRUE(FileExists(root + "PreLabel/job.spl"));
  EXPECT_EQ(ListDirectory(root + "PRELABEL", "*.SPL").size(), 1u);
  EXPECT_TRUE(DeleteFileAt(root + "PRELABEL\\JOB.SPL"));
}

TEST(ResolvePathTest, ProgramDirIsTheTestBinaryFolder) {
  const char* bin = std::getenv("CRATEMARK_BIN_DIR");
  if (!bin) GTEST_SKIP() << "CRATEMARK_BIN_DIR not set";
  EXPECT_EQ(ProgramDir(), std::string(bin) + "/");
}

// A disk that fills in the middle of an append (here a file size limit):
// the part written is cut off again, so the file keeps whole lines only.
TEST(AppendToFileTest, AnAppendThatFailsHalfWayLeavesTheFileAsItWas) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "log.txt";
  WriteWholeFile(path, "one\r\n");
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old_limit;
  limit.rlim_cur = 10;  // room for part of the next line only
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_THROW(AppendToFile(path, "a longer second line\r\n"), Error);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(ReadWholeFile(path), "one\r\n");
  AppendToFile(path, "two\r\n");
  EXPECT_EQ(ReadWholeFile(path), "one\r\ntwo\r\n");
}

// A program copy gets exactly its mode, also under a umask that would leave
// it writable by everybody, and replaces an older copy whole.
TEST(WriteWholeFileWithModeTest, TheModeHoldsWhateverTheUmask) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "CratemarkService";
  const mode_t old_umask = umask(0);
  for (const mode_t mode : {mode_t{0755}, mode_t{0644}}) {
    WriteWholeFileWithMode(path, "program " + std::to_string(mode), mode);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode);
    EXPECT_EQ(ReadWholeFile(path), "program " + std::to_string(mode));
  }
  umask(old_umask);
  EXPECT_EQ(ListDirectory(dir.path(), "*").size(), 1u) << "a temporary file was left";
}

TEST(ResolvePathTest, OnlyTemporariesOfProcessesThatAreGoneAreRemoved) {
  ScopedTempDir dir;
  const std::string own = ".cratemark-" + std::to_string(getpid()) + "-7.tmp";
  const std::string gone = ".cratemark-999999999-3.tmp";  // no process has this number
  for (const std::string& name :
       {own, gone, std::string(".cratemark-x-1.tmp"), std::string("a.spl")}) {
    WriteWholeFile(dir.path() + name, "");
  }
  EXPECT_EQ(RemoveAbandonedTemporaries(dir.path()), 1);
  EXPECT_FALSE(FileExists(dir.path() + gone));
  EXPECT_TRUE(FileExists(dir.path() + own)) << "a live process may still write it";
  EXPECT_EQ(ListDirectory(dir.path(), "*").size(), 3u);
}

TEST(TakeJobTest, AWriterThatOpensTheJobAfterItWasReadKeepsIt) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "a.spl";
  WriteWholeFile(path, "order");
  auto job = TakeJobIn(dir.path(), "a.spl", 100);
  if (job->lease() != LeaseAnswer::kGranted) GTEST_SKIP() << "no lease here (owner or CAP_LEASE)";
  // A non-blocking open breaks the lease at once instead of waiting for it.
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) close(fd);
  EXPECT_EQ(job->DeleteIfUnchanged(), JobDeletion::kChanged);
  EXPECT_TRUE(FileExists(path));
}

TEST(TakeJobTest, AJobOpenForWritingIsReadWithTheLeaseAnswer) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "a.spl";
  WriteWholeFile(path, "order");
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  auto job = TakeJobIn(dir.path(), "a.spl", 100);
  close(fd);
  // Whether that is a writer depends on the volume: the caller decides.
  EXPECT_EQ(job->bytes(), "order");
  if (job->lease() == LeaseAnswer::kRefused) GTEST_SKIP() << "no lease here (owner or CAP_LEASE)";
  EXPECT_EQ(job->lease(), LeaseAnswer::kWriterOpen);
}

TEST(VolumeTest, ATestFolderIsOnALocalDiskAndAMissingOneIsUnknown) {
  ScopedTempDir dir;
  const Volume volume = VolumeOf(dir.path());
  // The tests run on a local disk (ext4 or tmpfs); the name comes from the
  // mount table.
  EXPECT_EQ(volume.kind, VolumeKind::kLocalDisk) << volume.type;
  EXPECT_FALSE(volume.type.empty());
  EXPECT_FALSE(volume.local_locks);
  EXPECT_EQ(VolumeOf(dir.path() + "missing").kind, VolumeKind::kUnknown);
}

}  // namespace
}  // namespace cratemark
