// Locks as another process sees them: the helper program xb_lock_holder plays
// a second program (another spooler) on the same table.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/testing/child_process.h"
#include "engine/testing/engine_fixture.h"

namespace cratemark::testing {
namespace {

class CrossProcessLockTest : public EngineTest {
 protected:
  void SetUp() override {
    CreateTable("LOCKSPL.DBF", {{"DUMMY", "C", 10, 0}});
    ASSERT_GE(xb_UseEx(table_.c_str(), "SETUP", XB_OPEN_SHARED, 1, 1), 1);
    for (int i = 0; i < 3; ++i) xb_AppendBlank();
    xb_Close();
  }

  // Starts the holder and returns it with its answer.
  std::unique_ptr<ChildProcess> Holder(const std::vector<std::string>& arguments,
                                       std::string* answer) {
    std::vector<std::string> all = {table_};
    all.insert(all.end(), arguments.begin(), arguments.end());
    auto holder = std::make_unique<ChildProcess>(BuiltProgram("xb_lock_holder"), all);
    *answer = holder->ReadLine();
    return holder;
  }

  int16_t OpenHere(int16_t mode) { return xb_UseEx(table_.c_str(), "LOCKSPL", mode, 1, 1); }

  const std::string table_ = PathOf("LOCKSPL.DBF");
};

TEST_F(CrossProcessLockTest, FileLockOfAnotherProcessHoldsUntilItEnds) {
  std::string answer;
  auto holder = Holder({"readonly", "file"}, &answer);
  ASSERT_EQ(answer, "held");

  ASSERT_GE(OpenHere(XB_OPEN_READONLY), 1);
  EXPECT_EQ(xb_Flock(), 0);
  EXPECT_EQ(xb_Rlock(2), 0);
  EXPECT_EQ(xb_AppendBlank(), 0) << "read-only";
  EXPECT_EQ(holder->Finish(), 0);
  EXPECT_NE(xb_Flock(), 0);
}

TEST_F(CrossProcessLockTest, OurFileLockIsSeenByAnotherProcess) {
  ASSERT_GE(OpenHere(XB_OPEN_READONLY), 1);
  ASSERT_NE(xb_Flock(), 0);
  std::string answer;
  auto file_holder = Holder({"shared", "file"}, &answer);
  EXPECT_EQ(answer, "refused");
  auto record_holder = Holder({"shared", "record", "1"}, &answer);
  EXPECT_EQ(answer, "refused");
  xb_Close();
  auto late_holder = Holder({"readonly", "file"}, &answer);
  EXPECT_EQ(answer, "held");
}

TEST_F(CrossProcessLockTest, RecordLockOfAnotherProcessBlocksThatRecordAndTheFile) {
  std::string answer;
  auto holder = Holder({"shared", "record", "2"}, &answer);
  ASSERT_EQ(answer, "held");
  ASSERT_GE(OpenHere(XB_OPEN_SHARED), 1);
  EXPECT_EQ(xb_Rlock(2), 0);
  EXPECT_NE(xb_Rlock(1), 0);
  EXPECT_EQ(xb_Flock(), 0);
  EXPECT_NE(xb_AppendBlank(), 0) << "appending takes only the append lock";
}

TEST_F(CrossProcessLockTest, ExclusiveOpenKeepsOtherProcessesOut) {
  std::string answer;
  {
    auto holder = Holder({"exclusive"}, &answer);
    ASSERT_EQ(answer, "held");
    EXPECT_EQ(OpenHere(XB_OPEN_SHARED), 0);
    EXPECT_EQ(OpenHere(XB_OPEN_READONLY), 0);
  }
  ASSERT_GE(OpenHere(XB_OPEN_READONLY), 1);
  auto holder = Holder({"exclusive"}, &answer);
  EXPECT_EQ(answer, "unopened");
}

// The service creates its lock table when it cannot open it, which is also
// the case while another program holds the table exclusively: creating must
// never replace a table that someone has open.
TEST_F(CrossProcessLockTest, CreationLeavesATableAnotherProcessHasOpenAlone) {
  const std::string before = ReadBytes(table_);
  for (const char* mode : {"shared", "readonly", "exclusive"}) {
    {
      std::string answer;
      auto holder = Holder({mode}, &answer);
      ASSERT_EQ(answer, "held") << mode;
      EXPECT_LT(xb_CreateNew(table_.c_str(), "LOCKSPL", 1, 1), 0) << mode;
      EXPECT_EQ(xb_WorkArea("LOCKSPL"), 0) << mode;
    }
    EXPECT_EQ(ReadBytes(table_), before) << mode;
  }

  // A holder that comes between defining the table and writing it.
  const int16_t area = xb_CreateNew(table_.c_str(), "LOCKSPL", 1, 1);
  ASSERT_GT(area, 0);
  ASSERT_NE(xb_CreateField("DUMMY", "C", 10, 0), 0);
  std::string answer;
  auto holder = Holder({"readonly", "file"}, &answer);
  ASSERT_EQ(answer, "held");
  EXPECT_EQ(xb_CreateExec(), 0);
  xb_Select(area);
  xb_Close();
  EXPECT_EQ(holder->Finish(), 0);
  EXPECT_EQ(ReadBytes(table_), before);

  CreateTable("LOCKSPL.DBF", {{"DUMMY", "C", 10, 0}});
  ASSERT_GE(OpenHere(XB_OPEN_READONLY), 1);
  EXPECT_EQ(xb_RecCount(), 0) << "replaced once nobody holds it";
}

}  // namespace
}  // namespace cratemark::testing
