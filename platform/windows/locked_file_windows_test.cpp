// Share modes exist on Windows only: a file we open for reading must not keep
// another program from opening it afterwards while denying writers.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_system.h"
#include "platform/locked_file.h"
#include "platform/scoped_temp_dir.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

TEST(LockedFileWindowsTest, ReadingOpensLeaveDenyingWritersToOthers) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "TOLVANSPOOL.DBF";
  WriteWholeFile(path, "table");
  for (FileAccess access : {FileAccess::kRead, FileAccess::kReadWithLocks}) {
    LockedFile ours(path, access, FileSharing::kShared);
    HANDLE host = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
    EXPECT_NE(host, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    if (host != INVALID_HANDLE_VALUE) CloseHandle(host);
  }
}

}  // namespace
}  // namespace cratemark
