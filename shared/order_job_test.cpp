#include "shared/order_job.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

Lines JobOfLines(std::size_t count) {
  Lines job;
  for (std::size_t i = 0; i < count; ++i) job.push_back("line " + std::to_string(i));
  return job;
}

TEST(OrderJobTest, BlocksOfOneHundredLines) {
  const struct {
    std::size_t lines;
    bool follows;
    std::size_t blocks;
  } cases[] = {{0, true, 0}, {100, true, 1}, {150, false, 1}, {300, true, 3}, {99, false, 0}};
  for (const auto& c : cases) {
    const Lines job = JobOfLines(c.lines);
    EXPECT_EQ(FollowsBlockLayout(job), c.follows) << c.lines;
    EXPECT_EQ(BlockCount(job), c.blocks) << c.lines;
  }
}

TEST(OrderJobTest, LinePastTheEndIsEmpty) {
  const Lines job = JobOfLines(100);
  EXPECT_EQ(JobLine(job, 100 + kJobPhone - 100), "line 9");
  EXPECT_EQ(JobLine(job, 99), "line 99");
  EXPECT_EQ(JobLine(job, 100), "");
  EXPECT_EQ(JobLine(job, 100000), "");
  EXPECT_EQ(JobLine({}, 0), "");
}

TEST(OrderJobTest, EncodingsAndFinalBreaksGiveTheSameLines) {
  ScopedTempDir dir;
  Lines job = JobOfLines(100);
  job[kJobReference] = "Caf\xC3\xA9 O'Neil";
  job[kJobItemAreaFirst] = "";
  job[kJobTotal] = "  Total: 12.50  ";  // blanks are part of the line

  const std::string ansi_path = dir.path() + "ansi.spl";
  WriteTextFile(SystemFileSystem(), ansi_path, job);
  const std::string utf16_path = dir.path() + "utf16.SPL";
  WriteTextFile(SystemFileSystem(), utf16_path, job, TextEncoding::kUtf16LE);
  const std::string unterminated_path = dir.path() + "open.spl";
  std::string text = JoinLines(job);
  WriteTextFileExact(SystemFileSystem(), unterminated_path, text.substr(0, text.size() - 2),
                     TextEncoding::kAnsi);

  for (const std::string& path : {ansi_path, utf16_path, unterminated_path}) {
    EXPECT_EQ(ReadOrderJob(SystemFileSystem(), path), job) << path;
  }
  EXPECT_EQ(ListDirectory(dir.path(), kJobFilePattern).size(), 3u);
}

}  // namespace
}  // namespace cratemark
