// A record rewritten by the table component reads back identically in a DBF
// reader we did not write (Debian's python3-dbfread), and the characters the
// edit did not touch stay as they were.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  return pclose(pipe) == 0 ? std::optional<std::string>(output) : std::nullopt;
}

// Every record as "NAME=value|..." lines, values as Python shows them.
std::optional<std::string> DbfreadRecords(const std::string& path) {
  return RunCommand(
      "/usr/bin/python3 -c \"import sys, dbfread\n"
      "for r in dbfread.DBF(sys.argv[1], encoding='cp1252', char_decode_errors='strict'):\n"
      "    print('|'.join('%s=%r' % item for item in r.items()))\" " +
      path + " 2>&1");
}

class DbfreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureEngineLoaded()) GTEST_SKIP() << kXbEngineFileName << " not found beside the test";
    if (access("/usr/bin/python3", X_OK) != 0 ||
        !RunCommand("/usr/bin/python3 -c 'import dbfread' 2>/dev/null")) {
      GTEST_SKIP() << "python3-dbfread is not installed";
    }
  }
  ScopedTempDir dir_;
};

TEST_F(DbfreadTest, RewrittenRecordReadsBackAndUntouchedCharactersStay) {
  TXbEngine& engine = XbEngineBinding().Engine();
  std::string path = dir_.path() + "LBLPRDEF.DBF";
  ASSERT_GT(engine.xb_CreateNew(path.c_str(), "LBLPRDEF", ttXBNTX, 7), 0);
  engine.xb_CreateField("NAME", "C", 10, 0);
  engine.xb_CreateField("COPIES", "N", 3, 0);
  engine.xb_CreateField("PRICE", "N", 8, 2);
  engine.xb_CreateField("ACTIVE", "L", 1, 0);
  engine.xb_CreateField("SINCE", "D", 8, 0);
  engine.xb_CreateField("NOTE", "M", 10, 0);
  engine.xb_CreateField("CODE", "C", 4, 0);
  engine.xb_CreateExec();
  engine.xb_Close();

  TDbfTable table("tblTolvanLBLDef");
  table.SetTableType(ttXBNTX);
  table.SetDatabaseName(dir_.path());
  table.SetTableName("LBLPRDEF.DBF");
  table.Open();
  for (const char* name : {"Caf\xC3\xA9", "Second"}) {
    table.Append();
    table.SetFields({TDbfValue::Text(name), TDbfValue::Integer(-7), TDbfValue::Float(123.45),
                     TDbfValue::Boolean(true), TDbfValue::Date(DayNumber(2024, 2, 29)),
                     TDbfValue::Text("a note"), TDbfValue::Text("AB")});
    table.Post();
  }
  table.First();
  std::string before = ReadWholeFile(path);

  table.Edit();
  table.FieldByName("COPIES").SetAsInteger(12);
  table.FieldByName("ACTIVE").SetAsBoolean(false);
  table.Post();
  table.Close();
  std::string after = ReadWholeFile(path);

  std::optional<std::string> records = DbfreadRecords(path);
  ASSERT_TRUE(records) << "dbfread failed";
  EXPECT_EQ(*records,
            "NAME='Caf\xC3\xA9'|COPIES=12|PRICE=123.45|ACTIVE=False|SINCE=datetime.date(2024, 2, "
            "29)|NOTE='a note'|CODE='AB'\n"
            "NAME='Second'|COPIES=-7|PRICE=123.45|ACTIVE=True|SINCE=datetime.date(2024, 2, "
            "29)|NOTE='a note'|CODE='AB'\n");

  // Only the two edited fields of the first record changed (and the header's
  // date of last change, bytes 1 to 3).
  ASSERT_EQ(before.size(), after.size());
  size_t header = static_cast<uint8_t>(before[8]) | static_cast<uint8_t>(before[9]) << 8;
  size_t copies = header + 1 + 10, active = copies + 3 + 8;
  for (size_t i = 0; i < before.size(); ++i) {
    bool edited = (i >= copies && i < copies + 3) || i == active || (i >= 1 && i <= 3);
    if (!edited) {
      EXPECT_EQ(before[i], after[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(after.substr(copies, 3), " 12");
  EXPECT_EQ(after[active], 'F');
}

}  // namespace
}  // namespace cratemark
