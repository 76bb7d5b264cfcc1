// dbftool as support staff and tests use it: a second program run from the
// command line, checked by what it prints and the files it leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

std::string DbfTool() {
  std::string program = ProgramDir() + "dbftool";
  return FileExists(program + ".exe") ? program + ".exe" : program;
}

// Runs dbftool with `arguments` (no blanks in them: the Windows command
// processor would need quotes) and returns what it printed.
std::string RunDbfTool(const std::string& arguments) {
  std::string output;
  FILE* pipe = popen((DbfTool() + " " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return "cannot start dbftool";
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  std::erase(output, '\r');
  return output;
}

TEST(DbfToolTest, CreatesTheFieldsAsListedAndListsThem) {
  ScopedTempDir dir;
  EXPECT_EQ(RunDbfTool("create " + dir.path() +
                       "ITEMS NAME:C:10 QTY:N:5:0 PRICE:N:8:2 OK:L DAY:D NOTE:M"),
            "");
  EXPECT_TRUE(FileExists(dir.path() + "ITEMS.DBF"));
  EXPECT_TRUE(FileExists(dir.path() + "ITEMS.DBT"));
  EXPECT_EQ(RunDbfTool("list " + dir.path() + "items.dbf"),
            "NAME C 10 0\nQTY N 5 0\nPRICE N 8 2\nOK L 1 0\nDAY D 8 0\nNOTE M 10 0\n");
}

TEST(DbfToolTest, RefusedFieldListsCreateNothing) {
  ScopedTempDir dir;
  for (const char* fields : {"1ABC:C:5", "A:Q:1", "A:C:wide", ""}) {
    EXPECT_NE(RunDbfTool("create " + dir.path() + "BAD.DBF " + fields), "") << fields;
    EXPECT_FALSE(FileExists(dir.path() + "BAD.DBF")) << fields;
  }
  EXPECT_EQ(
      RunDbfTool("list " + dir.path() + "MISSING.DBF"),
      "dbftool: Table, file or directory does not exist.\nFile: " + dir.path() + "MISSING.DBF\n");
}

TEST(DbfToolTest, FileLockHeldUntilTheStopFileAppears) {
  ScopedTempDir dir;
  const std::string table = dir.path() + "LOCKSPL.DBF";
  ASSERT_EQ(RunDbfTool("create " + table + " DUMMY:C:10"), "");
  const std::string stop = dir.path() + "stop";
  FILE* holder = popen((DbfTool() + " lock " + table + " --until " + stop).c_str(), "r");
  ASSERT_NE(holder, nullptr);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, holder), nullptr);
  EXPECT_EQ(std::string(line).substr(0, 6), "locked");

  WriteWholeFile(dir.path() + "now", "");
  EXPECT_EQ(RunDbfTool("lock " + table + " --until " + dir.path() + "now"), "not locked\n");
  EXPECT_NE(RunDbfTool("create " + table + " DUMMY:C:10"), "")
      << "the holder's table is not replaced";
  WriteWholeFile(stop, "");
  pclose(holder);
  EXPECT_EQ(RunDbfTool("lock " + table + " --until " + dir.path() + "now"), "locked\n");
}

}  // namespace
}  // namespace cratemark
