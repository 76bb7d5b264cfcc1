// The power-cut double must lose exactly what a disk loses, or the crash
// loop built on it proves nothing.
#include "platform/testing/memory_file_system.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace cratemark::testing {
namespace {

TEST(MemoryFileSystem, APowerCutUndoesNamesNotMadeDurable) {
  MemoryFileSystem fs;
  fs.Put("/p/a/old.spl", "old");
  fs.CreateDirectories("/p/b");
  fs.WriteWholeFile("/p/a/whole.txt", "whole");                     // syncs its folder
  EXPECT_EQ(fs.WriteNewFileIn("/p/b", "new.spl", "x"), "new.spl");  // named, folder not synced
  fs.WriteNewFileIn("/p/b", "synced.spl", "y");
  fs.SyncFolder("/p/b");
  fs.WriteNewFileIn("/p/b", "late.spl", "z");
  fs.DeleteFileIn("/p/a", "old.spl");
  fs.CutPowerNow();
  EXPECT_THROW(fs.FileExists("/p/a/old.spl"), Error);
  fs.PowerOn();
  EXPECT_EQ(fs.Get("/P/A/OLD.SPL"), "old") << "the delete was never synced";
  EXPECT_EQ(fs.Get("/p/a/whole.txt"), "whole");
  EXPECT_EQ(fs.Get("/p/b/new.spl"), "x") << "synced with the folder after it";
  EXPECT_EQ(fs.Get("/p/b/synced.spl"), "y");
  EXPECT_FALSE(fs.Get("/p/b/late.spl"));
}

TEST(MemoryFileSystem, ATakenJobWithAWriterIsRefusedOrKept) {
  MemoryFileSystem fs;
  fs.Put("/p/a.spl", "order");
  fs.SetWriterOpen("/p/a.spl", true);
  EXPECT_EQ(fs.TakeJobIn("/p", "a.spl", 100)->lease(), LeaseAnswer::kWriterOpen);
  fs.SetWriterOpen("/p/a.spl", false);
  // A share with oplocks off answers so whatever the writers.
  fs.AnswerLeasesWith(LeaseAnswer::kWriterOpen);
  EXPECT_EQ(fs.TakeJobIn("/p", "a.spl", 100)->lease(), LeaseAnswer::kWriterOpen);
  fs.AnswerLeasesWith(std::nullopt);
  auto job = fs.TakeJobIn("/p", "a.spl", 100);
  fs.SetWriterOpen("/p/a.spl", true);
  fs.SetWriterOpen("/p/a.spl", false);
  EXPECT_EQ(job->DeleteIfUnchanged(), JobDeletion::kChanged);
  auto again = fs.TakeJobIn("/p", "a.spl", 100);
  EXPECT_EQ(again->DeleteIfUnchanged(), JobDeletion::kDeleted);
}

}  // namespace
}  // namespace cratemark::testing
