#include "xbase/table_names.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(TableNamesTest, SplitsTableNames) {
  struct Case {
    const char* name;
    const char* directory;
    const char* file;
    const char* full_file;
  };
  const Case cases[] = {
      {"LOCKSPL.DBF", "", "LOCKSPL.DBF", "LOCKSPL.DBF"},
      {"LOCKSPL", "", "LOCKSPL", "LOCKSPL.DBF"},
      {"C:\\POS\\Label1\\LOCKSPL.DBF", "C:\\POS\\Label1\\", "LOCKSPL.DBF", "LOCKSPL.DBF"},
      {"/srv/pos/lockspl.dbf", "/srv/pos/", "lockspl.dbf", "lockspl.dbf"},
      {"C:LOCKSPL", "C:", "LOCKSPL", "LOCKSPL.DBF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DirectoryPart(c.name), c.directory);
    EXPECT_EQ(FileNamePart(c.name), c.file);
    EXPECT_EQ(WithDefaultExtension(FileNamePart(c.name)), c.full_file);
  }
}

TEST(TableNamesTest, AliasBaseFromFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"LOCKSPL.DBF", "LOCKSPL"},
      {"lockspl.dbf", "LOCKSPL"},
      {"1ST-DATA.DBF", "_ST_DATA"},
      {"LABELPRINTERS.DBF", "LABELPRI"},
      {"TolvanSpool.DBF", "TOLVANSP"},
      {"ORDERS10.DBF", "ORDERS__"},
      {"A.B.C", "A"},
      {"\xC3\xA4pfel.dbf", "_PFEL"},
  };
  for (const auto& [file, alias] : cases) EXPECT_EQ(AliasBase(file), alias) << file;
}

TEST(TableNamesTest, NextAliasCandidateTrimsThePreviousOne) {
  EXPECT_EQ(NextAliasCandidate("LOCKSPL", 1), "LOCKSPL1");
  EXPECT_EQ(NextAliasCandidate("LOCKSPL1", 2), "LOCKSPL2");
  EXPECT_EQ(NextAliasCandidate("LABELPRI", 1), "LABELPR1");
  EXPECT_EQ(NextAliasCandidate("LABELPR9", 10), "LABELP10");
  EXPECT_EQ(NextAliasCandidate("A", 1), "A1");
}

}  // namespace
}  // namespace cratemark
