// Sequential reads go through a read-ahead buffer. These tests hold it to its
// rules in shared mode: a record read after its lock is taken, or after a
// jump (Go, GoTop), is what the file holds now, and records another program
// appends are found at the end of a walk.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/testing/child_process.h"
#include "engine/testing/engine_fixture.h"

namespace cratemark::testing {
namespace {

constexpr int kRecords = 3000;  // several read-ahead buffers' worth

// "R" and the record's number, the name each record is given. (Appended
// rather than added: GCC 12 warns falsely on "R" + std::to_string(n).)
std::string NameOf(int record) {
  std::string name = "R";
  name.append(std::to_string(record));
  return name;
}

class ReadAheadTest : public EngineTest {
 protected:
  void SetUp() override {
    CreateTable("ORDERS.DBF", {{"NAME", "C", 10, 0}, {"NOTE", "C", 30, 0}});
    ASSERT_GE(Open(), 1);
    for (int i = 1; i <= kRecords; ++i) {
      xb_AppendBlank();
      xb_PutRecord(Record(NameOf(i)).c_str());
    }
    xb_Unlock(0);
    const std::string header = ReadBytes(table_).substr(0, 12);
    header_length_ = static_cast<unsigned char>(header[8]) | static_cast<unsigned char>(header[9])
                                                                 << 8;
  }

  int16_t Open() { return xb_UseEx(table_.c_str(), "ORDERS", XB_OPEN_SHARED, 1, 1); }

  std::string Record(const std::string& name) const {
    std::string record(41, ' ');
    record.replace(1, name.size(), name);
    return record;
  }

  // The NAME field of the current record, as read now.
  std::string CurrentName() {
    std::string record(static_cast<size_t>(xb_RecSize()), '\0');
    xb_GetRecord(record.data());
    const std::string name = record.substr(1, 10);
    return name.substr(0, name.find(' '));
  }

  // Another program rewrites a record in place.
  void WriteElsewhere(int record, const std::string& name) {
    std::fstream file(table_, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(header_length_ + static_cast<std::streamoff>(record - 1) * 41);
    file << Record(name);
  }

  // Another program appends a record: the record first, then the count.
  void AppendElsewhere(const std::string& name, int new_count) {
    std::fstream file(table_, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(header_length_ + static_cast<std::streamoff>(new_count - 1) * 41);
    file << Record(name) << '\x1A';
    file.seekp(4);
    for (int shift = 0; shift < 32; shift += 8) file.put(static_cast<char>(new_count >> shift));
  }

  // Walks from the top to `record` with Skip, reading each record, so the
  // buffer holds the records after it.
  void WalkTo(int record) {
    xb_GoTop();
    for (int i = 1; i < record; ++i) {
      CurrentName();
      xb_Skip(1);
    }
    ASSERT_EQ(xb_RecNo(), record);
  }

  const std::string table_ = PathOf("ORDERS.DBF");
  int header_length_ = 0;
};

TEST_F(ReadAheadTest, WalkReadsEveryRecordInOrder) {
  int seen = 0;
  for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
    ++seen;
    ASSERT_EQ(CurrentName(), NameOf(seen));
  }
  EXPECT_EQ(seen, kRecords);
  // And back again, from the bottom.
  for (xb_GoBottom(); !xb_Bof(); xb_Skip(-1)) {
    ASSERT_EQ(CurrentName(), NameOf(seen));
    --seen;
  }
  EXPECT_EQ(seen, 0);
}

// Each way of making a record current again after another program changed
// it: the read that follows sees the change.
TEST_F(ReadAheadTest, RecordIsCurrentAfterItsLockAJumpOrAnUnlock) {
  struct Case {
    const char* what;
    void (*make_current)(int record);
  };
  const Case cases[] = {
      {"record lock", [](int record) { ASSERT_NE(xb_Rlock(record), 0); }},
      {"file lock", [](int) { ASSERT_NE(xb_Flock(), 0); }},
      {"unlock", [](int) { xb_Unlock(0); }},
      {"Go", [](int record) { xb_Go(record); }},
  };
  int record = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WalkTo(record - 1);
    CurrentName();
    xb_Skip(1);
    WriteElsewhere(record, "CHANGED");
    c.make_current(record);
    ASSERT_EQ(xb_RecNo(), record);
    EXPECT_EQ(CurrentName(), "CHANGED");
    xb_Unlock(0);
    record += 10;
  }
  WriteElsewhere(1, "TOP");
  xb_GoTop();
  EXPECT_EQ(CurrentName(), "TOP");
}

// With real processes: one holds the record's lock, so ours is refused; a
// second changes the record under its own lock. The record is read ahead
// before the change; taking its lock makes the next read current.
TEST_F(ReadAheadTest, RecordChangedByAnotherProcessIsCurrentOnceLocked) {
  WalkTo(50);
  CurrentName();
  xb_Skip(1);
  {
    ChildProcess holder(BuiltProgram("xb_lock_holder"), {table_, "shared", "record", "51"});
    ASSERT_EQ(holder.ReadLine(), "held");
    EXPECT_EQ(xb_Rlock(51), 0);
  }
  EXPECT_EQ(CurrentName(), "R51");  // read, and buffered, before the change
  ChildProcess writer(BuiltProgram("xb_record_writer"), {table_, "51", "OTHERPROC"});
  ASSERT_EQ(writer.ReadLine(), "written");
  EXPECT_EQ(writer.Finish(), 0);
  ASSERT_NE(xb_Rlock(51), 0);
  EXPECT_EQ(CurrentName(), "OTHERPROC");
}

TEST_F(ReadAheadTest, DeletedMarkersAreReadFreshAfterAJump) {
  xb_SetDeleted(1);
  WalkTo(5);
  // Another program deletes record 6: Go makes the walk see it.
  std::string deleted = Record("R6");
  deleted[0] = '*';
  WriteElsewhere(6, "R6");
  {
    std::fstream file(table_, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(header_length_ + 5 * 41);
    file.put('*');
  }
  xb_Go(5);
  xb_Skip(1);
  EXPECT_EQ(xb_RecNo(), 7);
  EXPECT_EQ(CurrentName(), "R7");
}

TEST_F(ReadAheadTest, RecordsAppendedByAnotherProgramAreFoundAtTheEnd) {
  WalkTo(kRecords);
  AppendElsewhere("LATE", kRecords + 1);
  xb_Skip(1);
  ASSERT_FALSE(xb_Eof());
  EXPECT_EQ(CurrentName(), "LATE");
  xb_Skip(1);
  EXPECT_TRUE(xb_Eof());
  EXPECT_EQ(xb_RecCount(), kRecords + 1);
}

// A second work area of this process on the same file writes: the first
// area's buffer must not hide the write.
TEST_F(ReadAheadTest, WriteThroughAnotherWorkAreaIsSeen) {
  const int16_t first = xb_Select(0);
  xb_Select(first);
  WalkTo(20);
  const int16_t second = xb_UseEx(table_.c_str(), "AGAIN", XB_OPEN_SHARED, 1, 1);
  ASSERT_GE(second, 1);
  xb_Go(21);
  ASSERT_NE(xb_Rlock(21), 0);
  ASSERT_NE(xb_PutRecord(Record("OTHERAREA").c_str()), 0);
  xb_Unlock(0);
  xb_Select(first);
  xb_Skip(1);
  EXPECT_EQ(CurrentName(), "OTHERAREA");
}

}  // namespace
}  // namespace cratemark::testing
