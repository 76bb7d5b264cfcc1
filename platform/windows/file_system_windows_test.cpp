// Share modes exist on Windows only: a reader keeps writers out, and a file
// held open for writing cannot be read.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

HANDLE OpenWith(const std::string& path, DWORD access, DWORD share) {
  return CreateFileW(ToWide(path).c_str(), access, share, /*lpSecurityAttributes=*/nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
}

TEST(FileSystemWindowsTest, FileHeldOpenForWritingCannotBeRead) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "job.spl";
  WriteWholeFile(path, "half");
  HANDLE writer = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  try {
    ReadWholeFile(path);
    ADD_FAILURE() << "read a file that is being written";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kSharingViolation) << e.what();
  }
  CloseHandle(writer);
  EXPECT_EQ(ReadWholeFile(path), "half");
}

TEST(FileSystemWindowsTest, WriterFailsWhileAReaderHoldsTheFile) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Cratemark.txt";
  WriteWholeFile(path, "old");
  HANDLE reader = OpenWith(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_THROW(WriteWholeFile(path, "new"), Error);
  CloseHandle(reader);
  EXPECT_EQ(ReadWholeFile(path), "old");
  WriteWholeFile(path, "new");
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(ListDirectory(dir.path(), "*").size(), 1u);  // no temporary file left behind
}

TEST(FileSystemWindowsTest, OnlyTemporariesOfProcessesThatAreGoneAreRemoved) {
  ScopedTempDir dir;
  const std::string own = "~cratemark-" + std::to_string(GetCurrentProcessId()) + "-7.tmp";
  const std::string gone = "~cratemark-999999999-3.tmp";  // no process has this number
  for (const std::string& name :
       {own, gone, std::string("~cratemark-x-1.tmp"), std::string("a.spl")}) {
    WriteWholeFile(dir.path() + name, "");
  }
  EXPECT_EQ(RemoveAbandonedTemporaries(dir.path()), 1);
  EXPECT_FALSE(FileExists(dir.path() + gone));
  EXPECT_TRUE(FileExists(dir.path() + own)) << "a live process may still write it";
  EXPECT_EQ(ListDirectory(dir.path(), "*").size(), 3u);
}

}  // namespace
}  // namespace cratemark
