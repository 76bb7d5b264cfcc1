#include "shared/reprint_job.h"

#include <gtest/gtest.h>

#include "platform/testing/memory_file_system.h"

namespace cratemark {
namespace {

using testing::MemoryFileSystem;

TEST(ReprintJob, NamesAndTheirMark) {
  EXPECT_EQ(ReprintJobName("1234.spl", 1), "Reprint-1234-1.spl");
  EXPECT_EQ(ReprintJobName("1234.SPL", 2), "Reprint-1234-2.spl");
  EXPECT_EQ(ReprintJobName("odd", 3), "Reprint-odd-3.spl");
  EXPECT_TRUE(IsReprintJobName("Reprint-1234-1.spl"));
  EXPECT_TRUE(IsReprintJobName("REPRINT-x.spl"));
  EXPECT_FALSE(IsReprintJobName("Reprint.spl"));
  EXPECT_FALSE(IsReprintJobName("1234.spl"));
}

TEST(ReprintJob, NeverReplacesAFile) {
  MemoryFileSystem fs;
  fs.Put("/site/PreLabel/reprint-1234-1.spl", "waiting");  // any case counts
  EXPECT_EQ(WriteReprintJob(fs, "/site/PreLabel", "1234.spl", "A"), "Reprint-1234-2.spl");
  EXPECT_EQ(WriteReprintJob(fs, "/site/PreLabel", "1234.spl", "B"), "Reprint-1234-3.spl");
  EXPECT_EQ(fs.Get("/site/PreLabel/reprint-1234-1.spl"), "waiting");
  EXPECT_EQ(fs.Get("/site/PreLabel/Reprint-1234-2.spl"), "A");
  EXPECT_EQ(fs.Get("/site/PreLabel/Reprint-1234-3.spl"), "B");
}

TEST(ReprintJob, OneBlockKeepsTheJobsEncoding) {
  std::string job;
  for (int i = 0; i < 200; ++i)
    job += (i == 100 ? "Bob" : i == 120 ? "Bread" : "") + std::string("\r\n");
  std::string block;
  for (int i = 0; i < 100; ++i)
    block += (i == 0 ? "Bob" : i == 20 ? "Bread" : "") + std::string("\r\n");
  EXPECT_EQ(JobBlockBytes(job, 1), block);
  EXPECT_EQ(JobBlockBytes(job, 2), "");
  EXPECT_EQ(JobBlockBytes("\xEF\xBB\xBF" + job, 1), "\xEF\xBB\xBF" + block);
  EXPECT_EQ(JobBlockBytes("short\r\n", 0), "");
}

}  // namespace
}  // namespace cratemark
