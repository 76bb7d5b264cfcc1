#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "platform/error.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

std::set<std::string> NamesIn(const std::string& dir, const char* pattern) {
  std::set<std::string> names;
  for (const DirectoryEntry& entry : ListDirectory(dir, pattern)) names.insert(entry.name);
  return names;
}

TEST(FileSystemTest, ProgramDirEndsWithASeparatorAndExists) {
  const std::string dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), kPathSeparator);
  EXPECT_TRUE(DirectoryExists(dir));
}

TEST(FileSystemTest, ListsByPatternWithoutRegardToCase) {
  ScopedTempDir dir;
  for (const char* name : {"A.SPL", "b.spl", "c.Spl", "d.splx", "e.txt", "LOCKSPL.DBF"}) {
    WriteWholeFile(dir.path() + name, "x");
  }
  CreateDirectories(dir.path() + "sub.spl");
  EXPECT_EQ(NamesIn(dir.path(), "*.spl"),
            (std::set<std::string>{"A.SPL", "b.spl", "c.Spl", "sub.spl"}));
  EXPECT_EQ(NamesIn(dir.path(), "lockspl.dbf"), (std::set<std::string>{"LOCKSPL.DBF"}));
  EXPECT_EQ(NamesIn(dir.path(), "*").size(), 7u);
  for (const DirectoryEntry& entry : ListDirectory(dir.path(), "sub*")) {
    EXPECT_TRUE(entry.is_directory);
  }
  EXPECT_TRUE(ListDirectory(dir.path() + "missing", "*").empty());
}

TEST(FileSystemTest, ExistenceTellsFilesFromDirectories) {
  ScopedTempDir dir;
  WriteWholeFile(dir.path() + "file", "");
  CreateDirectories(dir.path() + "folder" + kPathSeparator + "inner");
  EXPECT_TRUE(FileExists(dir.path() + "file"));
  EXPECT_FALSE(DirectoryExists(dir.path() + "file"));
  EXPECT_TRUE(DirectoryExists(dir.path() + "folder"));
  EXPECT_FALSE(FileExists(dir.path() + "folder"));  // a directory is not a file
  EXPECT_TRUE(PathExists(dir.path() + "folder" + kPathSeparator + "inner"));
  EXPECT_FALSE(PathExists(dir.path() + "nothing"));

  EXPECT_TRUE(DeleteFileAt(dir.path() + "file"));
  EXPECT_FALSE(FileExists(dir.path() + "file"));
  EXPECT_FALSE(DeleteFileAt(dir.path() + "file"));
  EXPECT_FALSE(DeleteFileAt(dir.path() + "folder"));
  EXPECT_TRUE(DirectoryExists(dir.path() + "folder"));
}

TEST(FileSystemTest, ReadErrorsNameTheFile) {
  ScopedTempDir dir;
  CreateDirectories(dir.path() + "job.spl");
  for (const std::string& path : {dir.path() + "missing.spl", dir.path() + "job.spl"}) {
    try {
      ReadWholeFile(path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const Error& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("Cannot open file \"" + path + "\". ", 0), 0u) << message;
      EXPECT_EQ(message.back(), ')') << message;  // the system's number beside its text
    }
  }
}

TEST(FileSystemTest, WriteCreatesAndReplacesWholeLeavingNoTemporaryFile) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Cratemark.txt";
  WriteWholeFile(path, "first");
  EXPECT_EQ(ReadWholeFile(path), "first");
  WriteWholeFile(path, std::string("second\0binary", 13));
  EXPECT_EQ(ReadWholeFile(path), std::string("second\0binary", 13));
  WriteWholeFile(path, "");
  EXPECT_EQ(ReadWholeFile(path), "");
  EXPECT_EQ(NamesIn(dir.path(), "*"), (std::set<std::string>{"Cratemark.txt"}));
}

TEST(FileSystemTest, WriteIntoMissingFolderFailsWithTheFileName) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "missing" + kPathSeparator + "x.spl";
  try {
    WriteWholeFile(path, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + path + "\". ", 0), 0u)
        << e.what();
  }
}

// A reader that polls a file while it is rewritten sees either the old or
// the new content, never a mix or a short file; and a job reader listing
// "*.spl" never sees the temporary file.
TEST(FileSystemTest, ReadersSeeOldOrNewContentNeverAPartialFile) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Label.spl";
  const std::string old_content(200000, 'o');
  const std::string new_content(300000, 'n');
  WriteWholeFile(path, old_content);

  std::atomic<bool> done{false};
  std::atomic<int> bad_reads{0}, stray_names{0};
  std::thread reader([&] {
    while (!done) {
      try {
        const std::string seen = ReadWholeFile(path);
        if (seen != old_content && seen != new_content) ++bad_reads;
      } catch (const Error&) {
        // Windows: the file may be in the middle of its one-step replacement.
      }
      for (const DirectoryEntry& entry : ListDirectory(dir.path(), "*.spl")) {
        if (entry.name != "Label.spl") ++stray_names;
      }
    }
  });
  for (int i = 0; i < 20; ++i) {
    try {
      WriteWholeFile(path, i % 2 ? old_content : new_content);
    } catch (const Error&) {
      // Windows: a writer fails while a reader holds the file; the next try goes on.
    }
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad_reads, 0);
  EXPECT_EQ(stray_names, 0);
}

TEST(FileSystemTest, AppendAddsAtTheEndAndCreatesAMissingFileWhole) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "log.txt";
  AppendToFile(path, "one\r\n");
  AppendToFile(path, "two\r\n");
  EXPECT_EQ(ReadWholeFile(path), "one\r\ntwo\r\n");
  EXPECT_EQ(NamesIn(dir.path(), "*"), (std::set<std::string>{"log.txt"}));

  // A directory in the file's place: the error names the file.
  CreateDirectories(dir.path() + "folder");
  try {
    AppendToFile(dir.path() + "folder", "x");
    ADD_FAILURE() << "appended to a directory";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("folder"), std::string::npos);
  }
}

// The console tells an unchanged file from a grown or replaced one by its
// stamp: an append keeps the identity, a whole write or a rename gives the
// place a new one.
TEST(FileSystemTest, StampTellsGrownFromReplacedFiles) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "log.txt";
  EXPECT_FALSE(StampOf(path).exists);
  WriteWholeFile(path, "one\r\n");
  const FileStamp first = StampOf(path);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 5u);
  EXPECT_EQ(StampOf(path), first);

  AppendToFile(path, "two\r\n");
  const FileStamp grown = StampOf(path);
  EXPECT_EQ(grown.identity, first.identity);
  EXPECT_EQ(grown.size, 10u);
  FileStamp seen;
  EXPECT_EQ(ReadFileFrom(path, 5, &seen), "two\r\n");
  EXPECT_EQ(seen, grown);
  EXPECT_EQ(ReadFileFrom(path, 99), "");

  RenameFile(path, dir.path() + "aside.txt");
  EXPECT_FALSE(StampOf(path).exists);
  EXPECT_EQ(StampOf(dir.path() + "aside.txt").identity, first.identity);
  RenameFile(dir.path() + "aside.txt", path);
  EXPECT_EQ(StampOf(path).identity, first.identity);

  WriteWholeFile(path, "one\r\ntwo\r\n");
  EXPECT_NE(StampOf(path).identity, first.identity);
  EXPECT_THROW(RenameFile(dir.path() + "missing.txt", path), Error);
}

}  // namespace
}  // namespace cratemark
