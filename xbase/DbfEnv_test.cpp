// Environment settings: what reaches the engine from the object's property
// writes and from a table's open, checked with the recorded engine calls.
#include "xbase/DbfEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "xbase/testing/fake_table_fixture.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kSettingCalls[] = {"xb_SetEpoch",         "xb_SetDeleted",    "xb_SetCentury",
                                     "xb_SetMemoBlockSize", "xb_SetDateFormat", "xb_SetSoftSeek",
                                     "xb_SetExact",         "xb_SetLockTimeout"};

FakeTable OneRecord() {
  FakeTable table;
  table.fields = {{"SUBDIR", "C", 10, 0}};
  table.records = {" Label1    "};
  return table;
}

class DbfEnvTest : public FakeTableFixture {
 protected:
  std::vector<std::string> SettingCalls() {
    std::vector<std::string> calls;
    for (const std::string& call : recorder_.Calls()) {
      for (const char* name : kSettingCalls) {
        if (call.rfind(std::string(name) + "(", 0) == 0) calls.push_back(call);
      }
    }
    return calls;
  }
  TDbfTable table_{"tblTolvanSpool"};
};

TEST_F(DbfEnvTest, WithoutAnEnvironmentAnOpenSendsOnlyTheErrorLevels) {
  AddTable(table_, "TOLVANSPOOL.DBF", OneRecord());
  table_.Open();
  EXPECT_THAT(SettingCalls(), IsEmpty());
  EXPECT_THAT(recorder_.CallsStartingWith("xb_ErrorLevel"),
              ElementsAre("xb_ErrorLevel(0)", "xb_ErrorLevel(1)"));
}

TEST_F(DbfEnvTest, AnOpenCopiesAndSendsTheEnvironmentInOrder) {
  TDbfEnv env;
  TDbfComponentSearch::Register(&env);
  env.SetEpoch(2010);
  recorder_.ClearCalls();
  AddTable(table_, "TOLVANSPOOL.DBF", OneRecord());
  table_.Open();
  // dfWinDefault goes as 7 from an open; the error level was never set: 0.
  EXPECT_THAT(SettingCalls(),
              ElementsAre("xb_SetEpoch(2010)", "xb_SetDeleted(0)", "xb_SetCentury(-1)",
                          "xb_SetMemoBlockSize(64)", "xb_SetDateFormat(7)", "xb_SetSoftSeek(0)",
                          "xb_SetExact(0)"));
  EXPECT_THAT(recorder_.CallsStartingWith("xb_ErrorLevel"),
              ElementsAre("xb_ErrorLevel(0)", "xb_ErrorLevel(0)"));
  EXPECT_EQ(table_.Epoch(), 2010);

  // An environment that does not apply to local tables is not copied.
  table_.Close();
  env.SetApplyTo(atServer);
  recorder_.ClearCalls();
  table_.Open();
  EXPECT_THAT(SettingCalls(), IsEmpty());
}

TEST_F(DbfEnvTest, EpochIsBounded) {
  const struct {
    int value, sent;
  } cases[] = {{0, 1900}, {50, 100}, {3500, 2999}, {2010, 2010}, {-5, 100}};
  TDbfEnv env;
  for (const auto& c : cases) {
    recorder_.ClearCalls();
    env.SetEpoch(c.value);
    EXPECT_EQ(env.Epoch(), c.sent);
    EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_SetEpoch(" + std::to_string(c.sent) + ")"));
  }
}

TEST_F(DbfEnvTest, WhichWritesAreSkippedWhenUnchanged) {
  TDbfEnv env;
  env.SetExact(false);
  env.SetSoftSeek(false);
  env.SetMemoBlockSize(64);
  env.SetLockTimeOut(1);
  EXPECT_THAT(recorder_.Calls(), IsEmpty());

  env.SetDeleted(false);
  env.SetCentury(true);
  env.SetDateFormat(dfWinDefault);
  env.SetExact(true);
  env.SetLockTimeOut(5);
  // The date format sets the century again when it is on.
  EXPECT_THAT(recorder_.Calls(),
              ElementsAre("xb_SetDeleted(0)", "xb_SetCentury(-1)", "xb_SetDateFormat(99)",
                          "xb_SetCentury(-1)", "xb_SetExact(-1)", "xb_SetLockTimeout(5)"));
}

TEST_F(DbfEnvTest, CenturyAndDeletedRefreshOpenTables) {
  AddTable(table_, "TOLVANSPOOL.DBF", OneRecord());
  TDbfComponentSearch::Register(&table_);
  table_.Open();
  Records("TOLVANSPOOL.DBF")[0] = " Label2    ";
  TDbfEnv env;
  env.AutoRefresh = false;
  env.SetDeleted(true);
  EXPECT_EQ(table_.FieldByName("SUBDIR").AsString(), "Label1");
  env.AutoRefresh = true;
  env.SetCentury(true);
  EXPECT_EQ(table_.FieldByName("SUBDIR").AsString(), "Label2");
  TDbfComponentSearch::Unregister(&table_);
}

TEST_F(DbfEnvTest, EmptyApplyToChangesNothing) {
  TDbfEnv env;
  env.SetApplyTo(0);
  env.SetEpoch(2010);
  env.SetDeleted(true);
  env.SetExact(true);
  env.SetDateFormat(dfGerman);
  env.SetOptimisticBuffer(true);
  EXPECT_THAT(recorder_.Calls(), IsEmpty());
  EXPECT_EQ(env.Epoch(), 1980);
  EXPECT_FALSE(env.Deleted());
  EXPECT_FALSE(env.Exact());
  EXPECT_EQ(env.DateFormat(), dfWinDefault);
}

TEST_F(DbfEnvTest, ErrorFunctionAndLevel) {
  TDbfEnv env;
  EXPECT_EQ(env.SetErrorFunc(nullptr, 0), 0);
  EXPECT_EQ(env.ErrorFunc(), -1) << "an empty function stores -1 whatever the engine returns";
  env.ErrorLevel(2);
  EXPECT_EQ(env.GetErrorLevel(), 2);
  env.SetApplyTo(atServer);
  EXPECT_EQ(env.ErrorLevel(3), 0);
  EXPECT_EQ(env.SetErrorFunc(nullptr, 0), -1);
  EXPECT_EQ(env.GetErrorLevel(), 2);
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_SetErrorFunc(<buffer>, 0)", "xb_ErrorLevel(2)"));
}

TEST_F(DbfEnvTest, OptimisticBufferIsWhatTheEngineAnswers) {
  TDbfEnv env;
  env.SetOptimisticBuffer(true);
  EXPECT_FALSE(env.OptimisticBuffer());  // the fake engine answers 0
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_SysProp(1009, -1)", "xb_SysProp(1008, 0)"));
}

TEST_F(DbfEnvTest, OpenDataSetsShowsATablesErrorAndOpensTheNext) {
  TDbfTable missing("tblMissing");
  missing.SetDatabaseName(dir_.path());
  missing.SetTableName("MISSING.DBF");
  AddTable(table_, "TOLVANSPOOL.DBF", OneRecord());
  TDbfComponentSearch::Register(&missing);
  TDbfComponentSearch::Register(&table_);
  TDbfEnv env;
  std::vector<std::string> shown;
  env.ShowError = [&](const std::string& message) { shown.push_back(message); };
  env.OpenDataSets();
  EXPECT_THAT(shown, ElementsAre("Table, file or directory does not exist.\rFile: " +
                                 missing.GetFullTableName()));
  EXPECT_FALSE(missing.Active());
  EXPECT_TRUE(table_.Active());
  env.CloseDataSets();
  EXPECT_FALSE(table_.Active());
  TDbfComponentSearch::Unregister(&missing);
  TDbfComponentSearch::Unregister(&table_);
}

}  // namespace
}  // namespace cratemark
