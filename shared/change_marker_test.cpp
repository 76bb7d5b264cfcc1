#include "shared/change_marker.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

TEST(ChangeMarkerTest, OnlyAFileCountsWhateverItsContent) {
  ScopedTempDir dir;
  EXPECT_FALSE(ChangeMarkerExists(SystemFileSystem(), dir.path()));

  WriteWholeFile(dir.path() + "CratemarkConfigChanged", "");  // length zero counts
  EXPECT_TRUE(ChangeMarkerExists(SystemFileSystem(), dir.path()));
  EXPECT_TRUE(DeleteChangeMarker(SystemFileSystem(), dir.path()));
  EXPECT_FALSE(ChangeMarkerExists(SystemFileSystem(), dir.path()));
  EXPECT_FALSE(DeleteChangeMarker(SystemFileSystem(), dir.path()));

  CreateDirectories(dir.path() + "CratemarkConfigChanged");
  EXPECT_FALSE(ChangeMarkerExists(SystemFileSystem(), dir.path()));
  EXPECT_FALSE(DeleteChangeMarker(SystemFileSystem(), dir.path()));
}

TEST(ChangeMarkerTest, TheConsoleWritesTheSettingsTextIntoIt) {
  ScopedTempDir dir;
  WriteChangeMarker(SystemFileSystem(), dir.path(), {{"SPLDirSource=A", "X"}, TextEncoding::kUtf8});
  EXPECT_TRUE(ChangeMarkerExists(SystemFileSystem(), dir.path()));
  EXPECT_EQ(ReadWholeFile(ChangeMarkerPath(dir.path())), "\xEF\xBB\xBFSPLDirSource=A\r\nX\r\n");
}

}  // namespace
}  // namespace cratemark
