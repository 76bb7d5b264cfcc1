#include "platform/locked_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

bool ClaimRefused(const std::string& path) {
  try {
    const ReplaceClaim claim(path);
    return false;
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::kSharingViolation) << error.what();
    return true;
  }
}

TEST(ReplaceClaimTest, RefusedWhileAnyOpenHoldsTheFile) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "LOCKSPL.DBF";
  EXPECT_FALSE(ClaimRefused(path)) << "a missing file needs no claim";
  WriteWholeFile(path, "table");
  EXPECT_FALSE(ClaimRefused(path));

  for (FileSharing sharing : {FileSharing::kShared, FileSharing::kExclusive}) {
    for (FileAccess access :
         {FileAccess::kRead, FileAccess::kReadWithLocks, FileAccess::kReadWriteIfAllowed}) {
      if (sharing == FileSharing::kExclusive && access == FileAccess::kRead) continue;
      std::optional<LockedFile> holder(std::in_place, path, access, sharing);
      EXPECT_TRUE(ClaimRefused(path));
      holder.reset();
      EXPECT_FALSE(ClaimRefused(path));
    }
  }
}

// A read-only table still takes the file lock, and the lock excludes others.
TEST(LockedFileTest, ReadWithLocksTakesExclusiveLocksButIsNotWritable) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "LOCKSPL.DBF";
  WriteWholeFile(path, "table");
  LockedFile reader(path, FileAccess::kReadWithLocks, FileSharing::kShared);
  EXPECT_FALSE(reader.is_writable());
  char bytes[5] = {};
  EXPECT_EQ(reader.ReadAt(0, bytes, sizeof bytes), 5u);
  EXPECT_TRUE(reader.TryLock(1'000'000'001, 1'000'000'000));
  LockedFile other(path, FileAccess::kReadWithLocks, FileSharing::kShared);
  EXPECT_FALSE(other.TryLock(1'000'000'001, 1));
  reader.Unlock(1'000'000'001, 1'000'000'000);
  EXPECT_TRUE(other.TryLock(1'000'000'001, 1));
}

// Whoever reads the report must learn which table failed, and why, in the
// system's own number.
TEST(LockedFileTest, FailuresNameTheFileAndKeepTheSystemsCode) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "LOCKSPL.DBF";
  WriteWholeFile(path, "table");
  LockedFile reader(path, FileAccess::kRead, FileSharing::kShared);
  const std::vector<std::pair<std::string, std::function<void()>>> failures = {
      {"write", [&] { reader.WriteAt(0, "x", 1); }},
      {"truncate", [&] { reader.Truncate(1); }},
  };
  for (const auto& [verb, fail] : failures) {
    try {
      fail();
      ADD_FAILURE() << verb << " through a reading open succeeded";
    } catch (const Error& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find("Cannot " + verb + " file \"" + path + "\"."), std::string::npos) << text;
      EXPECT_TRUE(std::regex_search(text, std::regex(R"(\([0-9]+\)$)"))) << text;
    }
  }
}

TEST(ReplaceClaimTest, ClaimedFileCanBeReplaced) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "LOCKSPL.DBF";
  WriteWholeFile(path, "damaged");
  {
    const ReplaceClaim claim(path);
    WriteWholeFile(path, "new table");
  }
  EXPECT_EQ(ReadWholeFile(path), "new table");
  LockedFile reopened(path, FileAccess::kReadWriteIfAllowed, FileSharing::kShared);
  EXPECT_EQ(reopened.Size(), 9u);
}

}  // namespace
}  // namespace cratemark
