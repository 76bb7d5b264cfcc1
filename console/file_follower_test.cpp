#include "console/file_follower.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

using Change = FileFollower::Change;

// What the console showed before it followed files: the whole file, read and
// decoded at every tick.
std::string WholeRead(const std::string& path) {
  return JoinLines(ReadTextFile(SystemFileSystem(), path).lines);
}

// Writes in place, keeping the file's identity, as an editor might.
void WriteInPlace(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
void AppendInPlace(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

// A view that takes the follower's updates must show, after every step, what
// a whole read shows; and an unchanged file must settle to no change.
TEST(FileFollowerTest, ViewMatchesAWholeReadThroughEveryKindOfChange) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Cratemark.txt";
  FileFollower follower(SystemFileSystem(), path, /*may_append=*/true);
  std::string view;

  struct Step {
    const char* what;
    std::function<void()> change;
    Change expected;
  };
  const std::vector<Step> steps = {
      {"first file", [&] { WriteWholeFile(path, "a\r\nb\r\n"); }, Change::kReplaced},
      {"one line appended", [&] { AppendToFile(path, "c\r\n"); }, Change::kAppended},
      {"several lines, lone CR and LF", [&] { AppendToFile(path, "d\re\nf\r\n"); },
       Change::kAppended},
      {"ANSI text", [&] { AppendToFile(path, "\x80 5\r\n"); }, Change::kAppended},
      {"a line still being written", [&] { AppendInPlace(path, "g\r\nhal"); }, Change::kAppended},
      {"its end", [&] { AppendInPlace(path, "f\r\n"); }, Change::kAppended},
      {"replaced by a new process's file", [&] { WriteWholeFile(path, "new\r\n"); },
       Change::kReplaced},
      {"replaced by a longer file in place",
       [&] { WriteInPlace(path, "other\r\nlonger\r\nfile\r\n"); }, Change::kReplaced},
      {"shrunk", [&] { WriteInPlace(path, "x\r\n"); }, Change::kReplaced},
      {"same size in place", [&] { WriteInPlace(path, "y\r\n"); }, Change::kReplaced},
      {"set aside and brought back grown",
       [&] {
         RenameFile(path, dir.path() + "aside");
         AppendToFile(dir.path() + "aside", "z\r\n");
         RenameFile(dir.path() + "aside", path);
       },
       Change::kAppended},
      {"UTF-8 with its mark", [&] { WriteWholeFile(path, "\xEF\xBB\xBFu\xC3\xA9\r\n"); },
       Change::kReplaced},
      {"UTF-8 appended", [&] { AppendToFile(path, "\xE2\x82\xAC\r\n"); }, Change::kAppended},
      {"UTF-16", [&] { WriteWholeFile(path, std::string("\xFF\xFEw\0\r\0\n\0", 8)); },
       Change::kReplaced},
      {"UTF-16 grown", [&] { AppendToFile(path, std::string("v\0\r\0\n\0", 6)); },
       Change::kReplaced},
      {"no final line break", [&] { WriteWholeFile(path, "p\r\nq"); }, Change::kReplaced},
      {"grown after that", [&] { AppendToFile(path, "r\r\n"); }, Change::kReplaced},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    FileFollower::Update update = follower.Poll();
    if (update.change == Change::kAppended) view += update.text;
    if (update.change == Change::kReplaced) view = update.text;
    // A torn line waits for its end; otherwise the view is what a whole read gives.
    if (std::string(step.what) != "a line still being written") {
      EXPECT_EQ(update.change, step.expected);
      EXPECT_EQ(view, WholeRead(path));
    } else {
      EXPECT_EQ(view + "hal\r\n", WholeRead(path));
    }
    if (std::string(step.what) == "a line still being written") continue;
    // Unchanged: checked once more, then left alone.
    for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(follower.Poll().change, Change::kNone);
  }
}

// Two writes of the same size within one tick of the file system's clock
// leave the same stamp; the follower still sees the second one.
TEST(FileFollowerTest, SameSizeRewriteRightAfterAReadIsSeen) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Cratemark.err";
  FileFollower follower(SystemFileSystem(), path, /*may_append=*/false);
  WriteInPlace(path, "1\r\n");
  EXPECT_EQ(follower.Poll().text, "1\r\n");
  WriteInPlace(path, "5\r\n");
  const FileFollower::Update update = follower.Poll();
  EXPECT_EQ(update.change, Change::kReplaced);
  EXPECT_EQ(update.text, "5\r\n");
}

TEST(FileFollowerTest, MissingFileThrowsAndIsReadWholeWhenItComesBack) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "Cratemark.txt";
  FileFollower follower(SystemFileSystem(), path, /*may_append=*/true);
  EXPECT_THROW(follower.Poll(), Error);
  WriteWholeFile(path, "a\r\n");
  EXPECT_EQ(follower.Poll().change, Change::kReplaced);
  std::filesystem::remove(path);
  EXPECT_THROW(follower.Poll(), Error);
  WriteWholeFile(path, "a\r\n");
  EXPECT_EQ(follower.Poll().change, Change::kReplaced);
  follower.Forget();
  EXPECT_EQ(follower.Poll().change, Change::kReplaced);
}

}  // namespace
}  // namespace cratemark
