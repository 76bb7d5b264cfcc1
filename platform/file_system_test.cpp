#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
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

TEST(FileSystemTest, FolderOfAFileKeepsOnlyARootsSeparator) {
  EXPECT_EQ(FolderOf("/srv/tolvan/CratemarkService"), "/srv/tolvan");
  EXPECT_EQ(FolderOf("/CratemarkService"), "/");
  EXPECT_EQ(FolderOf("CratemarkService"), ".");
  if (kPathSeparator == '\\') {
    EXPECT_EQ(FolderOf("C:\\Tolvan\\CratemarkService.exe"), "C:\\Tolvan");
    EXPECT_EQ(FolderOf("C:\\CratemarkService.exe"), "C:\\");
  }
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
    EXPECT_EQ(entry.type, EntryType::kDirectory);
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

namespace cratemark {
namespace {

TEST(FileSystemTest, SameFolderAsksTheFileSystemNotTheSpelling) {
  ScopedTempDir dir;
  const std::string sep(1, kPathSeparator);
  CreateDirectories(dir.path() + "PreLabel");
  CreateDirectories(dir.path() + "Label1");
  const std::string source = dir.path() + "PreLabel";
  struct Case {
    std::string other;
    bool same;
  };
  const Case cases[] = {
      {source, true},
      {source + sep, true},
      {source + sep + ".", true},
      {dir.path() + "." + sep + "PreLabel", true},
      {dir.path() + "Label1" + sep + ".." + sep + "PreLabel", true},
      {dir.path() + "PRELABEL", true},
      {dir.path() + "Label1", false},
      {dir.path() + "Missing", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameFolder(source, c.other), c.same) << c.other;
  WriteWholeFile(dir.path() + "file", "");
  EXPECT_FALSE(SameFolder(dir.path() + "file", dir.path() + "file")) << "a file is no folder";
}

TEST(FileSystemTest, EntriesAreReadOnlyWhenTheyAreFilesWithinTheLimit) {
  ScopedTempDir dir;
  WriteWholeFileIn(dir.path(), "job.spl", "12345");
  CreateDirectories(dir.path() + "folder.spl");
  EXPECT_EQ(ReadFileIn(dir.path(), "job.spl", 5), "12345");
  EXPECT_EQ(StampOfFileIn(dir.path(), "job.spl").size, 5u);
  const auto kind_of = [&](const char* name, std::uint64_t limit) {
    try {
      ReadFileIn(dir.path(), name, limit);
    } catch (const Error& error) {
      return error.kind();
    }
    return ErrorKind::kOther;
  };
  EXPECT_EQ(kind_of("job.spl", 4), ErrorKind::kTooLarge);
  EXPECT_EQ(kind_of("folder.spl", 100), ErrorKind::kNotAFile);
  EXPECT_EQ(kind_of("missing.spl", 100), ErrorKind::kNotFound);
  EXPECT_FALSE(StampOfFileIn(dir.path(), "folder.spl").exists);
  EXPECT_FALSE(DeleteFileIn(dir.path(), "folder.spl"));
  EXPECT_TRUE(DeleteFileIn(dir.path(), "job.spl"));
  EXPECT_FALSE(DeleteFileIn(dir.path(), "job.spl"));
  // No temporary file is left beside the target.
  WriteWholeFileIn(dir.path(), std::string(251, 'n') + ".spl", "x");
  EXPECT_EQ(ListDirectory(dir.path(), "*").size(), 2u);
}

TEST(FileSystemTest, ANewFileNeverReplacesOneOfTheSameName) {
  ScopedTempDir dir;
  EXPECT_EQ(WriteNewFileIn(dir.path(), "7001.spl", "first"), "7001.spl");
  EXPECT_EQ(WriteNewFileIn(dir.path(), "7001.SPL", "second"), "7001-2.SPL");
  EXPECT_EQ(WriteNewFileIn(dir.path(), "7001.spl", "third"), "7001-3.spl");
  EXPECT_EQ(ReadWholeFile(dir.path() + "7001.spl"), "first");
  EXPECT_EQ(ReadWholeFile(dir.path() + "7001-2.SPL"), "second");
  EXPECT_EQ(NamesIn(dir.path(), "*").size(), 3u) << "no temporary file is left";
  EXPECT_EQ(NumberedName("LABEL", 2), "LABEL-2");
  EXPECT_EQ(NumberedName(".spl", 4), ".spl-4");
  SyncFolder(dir.path());
}

TEST(FileSystemTest, ATakenJobIsDeletedOnlyWhileItIsTheFileRead) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "a.spl";
  WriteWholeFile(path, "order");
  {
    auto job = TakeJobIn(dir.path(), "a.spl", 100);
    EXPECT_EQ(job->bytes(), "order");
    EXPECT_EQ(job->DeleteIfUnchanged(), JobDeletion::kDeleted);
    EXPECT_FALSE(FileExists(path));
  }
  WriteWholeFile(path, "order");
  {
    auto job = TakeJobIn(dir.path(), "a.spl", 100);
    WriteWholeFile(path, "another order");  // put in its place since
    EXPECT_EQ(job->DeleteIfUnchanged(), JobDeletion::kChanged);
    EXPECT_EQ(ReadWholeFile(path), "another order");
  }
  {
    // Its writer still has it open: Windows cannot read it, POSIX reads it
    // and says so (or that nothing tells).
    std::ofstream writer(path, std::ios::app);
    ASSERT_TRUE(writer.is_open());
    try {
      auto job = TakeJobIn(dir.path(), "a.spl", 100);
      EXPECT_NE(job->lease(), LeaseAnswer::kGranted) << "a lease while open for writing";
      EXPECT_NE(job->lease(), LeaseAnswer::kShareMode) << "read while open for writing";
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), ErrorKind::kSharingViolation) << error.what();
    }
  }
}

}  // namespace
}  // namespace cratemark
