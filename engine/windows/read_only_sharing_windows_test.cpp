// Share modes exist on Windows only: a table we open read-only must leave the
// host free to open it afterwards denying writers.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine/testing/engine_fixture.h"
#include "platform/windows/wide_string.h"

namespace cratemark::testing {
namespace {

using ReadOnlySharingTest = EngineTest;

TEST_F(ReadOnlySharingTest, HostCanDenyWritersAfterOurReadOnlyOpen) {
  CreateTable("TOLVANSP.DBF", {{"SUBDIR", "C", 10, 0}});
  const std::string path = PathOf("TOLVANSP.DBF");
  ASSERT_GE(xb_UseEx(path.c_str(), "TOLVANSP", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_NE(xb_Flock(), 0) << "a read-only table still takes its file lock";
  HANDLE host = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            /*hTemplateFile=*/nullptr);
  EXPECT_NE(host, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  if (host != INVALID_HANDLE_VALUE) CloseHandle(host);
}

}  // namespace
}  // namespace cratemark::testing
