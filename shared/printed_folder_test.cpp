#include "shared/printed_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/testing/fault_file_system.h"
#include "platform/testing/memory_file_system.h"
#include "shared/order_history.h"

namespace cratemark {
namespace {

using testing::MemoryFileSystem;

const std::string kDir = "/site/";
constexpr std::int64_t kHourNs = 3'600'000'000'000;
constexpr std::int64_t kStartNs = 1'800'000'000'000'000'000;

PrintedRecord Record(std::int64_t time_ns, std::string name) {
  return {time_ns, std::move(name), PrintedWhere::kPrinter, "Label1"};
}

TEST(PrintedFolder, EntryKeepsTheJobBytesAndAnyNameWhole) {
  const std::string bytes("Ann\r\n\xFF\xFE\0x\r\n", 11);
  for (const PrintedRecord& record :
       {PrintedRecord{kStartNs, "1234.spl", PrintedWhere::kPrinter, "Label1"},
        PrintedRecord{-5, "a\r\nTime=1\r\n\r\n%41.spl", PrintedWhere::kBackup, "La%bel\n2"},
        PrintedRecord{0, "", PrintedWhere::kWaiting, ""}}) {
    SCOPED_TRACE(record.job_name);
    const auto entry = ParsePrintedEntry(PrintedEntryBytes(record, bytes));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->record.time_ns, record.time_ns);
    EXPECT_EQ(entry->record.job_name, record.job_name);
    EXPECT_EQ(entry->record.where, record.where);
    EXPECT_EQ(entry->record.printer, record.printer);
    EXPECT_EQ(entry->job_bytes, bytes);
  }
}

TEST(PrintedFolder, EntryNames) {
  const auto name = ParsePrintedEntryName("000000000042-1800000000000000000.job");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->number, 42u);
  EXPECT_EQ(name->time_ns, 1'800'000'000'000'000'000);
  for (const char* other :
       {"42-1.job", "000000000042-.job", "000000000042-1.spl", "00000000004x-1.job",
        "000000000042-99999999999999999999.job", "000000000042_1.job", ".job"}) {
    EXPECT_FALSE(ParsePrintedEntryName(other)) << other;
  }
}

TEST(PrintedFolder, DamagedEntriesAreNotRead) {
  const std::string good = PrintedEntryBytes(Record(7, "a.spl"), "Ann\r\n");
  const std::string damaged[] = {
      "",
      "Ann\r\n",
      good.substr(0, good.find("\r\n\r\n")),                                     // no end of header
      "Cratemark printed order 1\r\nTime=7\r\nName=a\r\nWhere=printer\r\n\r\n",  // no printer
      "Cratemark printed order 1\r\nTime=x\r\nName=a\r\nWhere=printer\r\nPrinter=L\r\n\r\n",
      "Cratemark printed order 1\r\nTime=99999999999999999999\r\nName=a\r\nWhere=printer\r\n"
      "Printer=L\r\n\r\n",
      "Cratemark printed order 1\r\nTime=7\r\nName=a%4\r\nWhere=printer\r\nPrinter=L\r\n\r\n",
      "Cratemark printed order 1\r\nTime=7\r\nName=a\r\nWhere=moon\r\nPrinter=L\r\n\r\n",
      "Cratemark printed order 1\r\nTime=7\r\nName=a\r\nno equals\r\n\r\n",
  };
  for (const std::string& bytes : damaged) EXPECT_FALSE(ParsePrintedEntry(bytes)) << bytes;
  EXPECT_TRUE(ParsePrintedEntry(good));
}

TEST(PrintedFolder, KeepsTheNewestThousand) {
  MemoryFileSystem fs;
  PrintedFolder folder(fs, kDir);
  for (int i = 1; i <= 1001; ++i) {
    ASSERT_FALSE(folder.Keep(Record(kStartNs + i, std::to_string(i) + ".spl"), "x"));
  }
  const std::vector<std::string> names = fs.FileNames(kDir + "Printed");
  EXPECT_EQ(names.size(), 1000u);
  EXPECT_TRUE(ParsePrintedEntryName(names.front())) << names.front();
  const auto history = ReadHistory(fs, kDir, kStartNs + 2000);
  ASSERT_EQ(history.size(), 1000u);
  EXPECT_EQ(history.front().job_name, "1001.spl");  // newest first
  EXPECT_EQ(history.back().job_name, "2.spl");      // the first is gone

  // A restart finds what is kept and goes on numbering after it.
  PrintedFolder again(fs, kDir);
  ASSERT_FALSE(again.Keep(Record(kStartNs + 3000, "next.spl"), "x"));
  const auto after = ReadHistory(fs, kDir, kStartNs + 4000);
  ASSERT_EQ(after.size(), 1000u);
  EXPECT_EQ(after.front().job_name, "next.spl");
  EXPECT_EQ(after.back().job_name, "3.spl");
}

TEST(PrintedFolder, AnOrderOlderThanADayIsGone) {
  MemoryFileSystem fs;
  PrintedFolder folder(fs, kDir);
  ASSERT_FALSE(folder.Keep(Record(kStartNs, "old.spl"), "x"));
  ASSERT_FALSE(folder.Keep(Record(kStartNs + 2 * kHourNs, "young.spl"), "x"));
  // The console no longer lists it once the day has passed...
  const auto listed = ReadHistory(fs, kDir, kStartNs + 24 * kHourNs + 1);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed.front().job_name, "young.spl");
  EXPECT_EQ(fs.FileNames(kDir + "Printed").size(), 2u);
  // ...and the next order kept removes it.
  ASSERT_FALSE(folder.Keep(Record(kStartNs + 25 * kHourNs, "new.spl"), "x"));
  EXPECT_EQ(fs.FileNames(kDir + "Printed").size(), 2u);
  EXPECT_EQ(ReadHistory(fs, kDir, kStartNs + 25 * kHourNs).back().job_name, "young.spl");
}

TEST(PrintedFolder, AFailureIsReportedOnceUntilItWorksAgain) {
  MemoryFileSystem memory;
  testing::FaultFileSystem fs(memory);
  PrintedFolder folder(fs, kDir);
  fs.FailAt(1, /*from_then_on=*/true, testing::FaultFileSystem::Only::kWrites);
  const auto first = folder.Keep(Record(kStartNs, "1.spl"), "x");
  ASSERT_TRUE(first);
  EXPECT_NE(first->find("# Could not keep 1.spl in /site/Printed: "), std::string::npos) << *first;
  EXPECT_FALSE(folder.Keep(Record(kStartNs + 1, "2.spl"), "x"));  // the same failure: no news
  fs.Heal();
  EXPECT_FALSE(folder.Keep(Record(kStartNs + 2, "3.spl"), "x"));
  EXPECT_EQ(ReadHistory(memory, kDir, kStartNs + 3).size(), 1u);
}

TEST(OrderHistory, UnprintedComeFirstAndHostileEntriesAreLeftOut) {
  MemoryFileSystem fs;
  PrintedFolder folder(fs, kDir);
  ASSERT_FALSE(folder.Keep(Record(kStartNs, "a.spl"), "Ann\r\n"));
  fs.Put(kDir + "Unprinted/odd.spl", "Bob\r\n");
  fs.Put(kDir + "Printed/000000000099-1.job", "not an entry");
  fs.Put(kDir + "Printed/notes.job", PrintedEntryBytes(Record(kStartNs, "n.spl"), ""));
  fs.CreateDirectories(kDir + "Printed/000000000100-1.job");
  const auto history = ReadHistory(fs, kDir, kStartNs + 1);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_TRUE(history[0].unprinted);
  EXPECT_EQ(history[0].job_name, "odd.spl");
  EXPECT_EQ(history[0].job_bytes, "Bob\r\n");
  EXPECT_FALSE(history[1].unprinted);
  EXPECT_EQ(history[1].job_bytes, "Ann\r\n");

  EXPECT_TRUE(RemoveUnprinted(fs, kDir, "odd.spl"));
  EXPECT_FALSE(RemoveUnprinted(fs, kDir, "odd.spl"));
  EXPECT_EQ(ReadHistory(fs, kDir, kStartNs + 1).size(), 1u);
}

TEST(OrderHistory, SummaryListsEachLabelsItemAndModifiersWithinItsBlock) {
  Lines job(300);
  job[0] = "Ann";
  job[20] = " Soup ";
  job[21] = "no salt";
  job[22] = "hot";
  job[125] = "Bread";
  // The third block's item area is empty: nothing is taken from beyond it.
  const OrderSummary summary = SummarizeOrder(job);
  EXPECT_EQ(summary.reference, "Ann");
  ASSERT_EQ(summary.labels.size(), 3u);
  EXPECT_EQ(summary.labels[0].item, "Soup");
  EXPECT_EQ(summary.labels[0].modifiers, (Lines{"no salt", "hot"}));
  EXPECT_EQ(summary.labels[1].item, "Bread");
  EXPECT_TRUE(summary.labels[1].modifiers.empty());
  EXPECT_EQ(summary.labels[2].item, "");
  EXPECT_TRUE(SummarizeOrder(Lines(150, "x")).labels.empty());
}

}  // namespace
}  // namespace cratemark
